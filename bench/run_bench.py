"""Runs strip_bench.exe under Wine with a display of its own and prints its figures.

    TICKER_BUILD=build TICKER_WIN_BIN=build/win-x86_64 python3 bench/run_bench.py [--seconds S]

The replies are made from the portal's sample data (bench/replies.py): strips of about 2 KB and
20 KB to paint, replies of about 10 KB / 50 links and 100 KB / 200 links to lay out. Every
figure stands beside the same figure for the straightforward algorithm, measured in the same
run, with their ratio. Nothing fails on time.
"""
import argparse
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "tests" / "harness"))
sys.path.insert(0, str(HERE))
import replies  # noqa: E402
import winetest  # noqa: E402

BENCH_EXE = winetest.WIN_BIN / "bench" / "strip_bench.exe"


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seconds", type=float, default=0.5,
                        help="how long each figure is measured, at least (default 0.5)")
    parser.add_argument("--width", type=int, default=600, help="strip window width")
    parser.add_argument("--height", type=int, default=24, help="strip window height")
    args = parser.parse_args()
    if not BENCH_EXE.exists():
        sys.exit(f"{BENCH_EXE} is missing: build the Windows tree first")

    with winetest.WineSession("strip_bench") as session:
        files = replies.write_all(session.work / "replies")
        jobs = [f"layout:{name}={windows_path(files[name])}" for name in ("reply-10KB",
                                                                          "reply-100KB")]
        jobs += [f"paint:{name}={windows_path(files[name])}" for name in ("strip-2KB",
                                                                         "strip-20KB")]
        result = session.run(BENCH_EXE, "--width", args.width, "--height", args.height,
                             "--seconds", args.seconds, *jobs, timeout=1800)
        print(result.stdout, end="")
        if result.returncode != 0:
            print(result.stderr, file=sys.stderr)
        return result.returncode


if __name__ == "__main__":
    sys.exit(main())
