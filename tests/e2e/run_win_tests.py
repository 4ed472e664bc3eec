"""Runs the in-process Windows tests (win_tests.exe) under Wine with a display of their own."""
import sys

sys.path.insert(0, str(__import__("pathlib").Path(__file__).resolve().parents[1] / "harness"))
import winetest  # noqa: E402

with winetest.WineSession("win_tests") as session:
    exe = winetest.WIN_BIN / "tests" / "win" / "win_tests.exe"
    result = session.run(exe, *sys.argv[1:], timeout=600)
    print(result.stdout)
    print(result.stderr, file=sys.stderr)
    sys.exit(result.returncode)
