# Runs the in-process Windows tests (win_tests.exe) under Wine with a display of their own.
import sys

import winetest

with winetest.WineSession("win_tests") as session:
    exe = winetest.WIN_BIN / "tests" / "win" / "win_tests.exe"
    result = session.run(exe, *sys.argv[1:], timeout=600)
    print(result.stdout)
    print(result.stderr, file=sys.stderr)
    sys.exit(result.returncode)
