"""The main job: the portal with its sample content, the taskbar stand-in and the ticker, live.

With a usable $DISPLAY the ticker runs there until you press Ctrl-C (or choose Exit from its
menu). Without one it runs on a private Xvfb display and writes screenshots of the docked and
the expanded ticker into out/.
"""
import argparse
import os
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "harness"))
import winetest as w  # noqa: E402
from names import WM_COMMAND, ids  # noqa: E402
from portal import Portal  # noqa: E402

DEMO_EXE = w.WIN_BIN / "tools" / "demo" / "TickerDemo.exe"


def display_is_usable(display):
    if not display:
        return False
    return subprocess.run(["xdpyinfo", "-display", display], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0


def crop(src, dst, geometry):
    subprocess.run(["convert", str(src), "-crop", geometry, "+repage", str(dst)], check=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--out", default=str(ROOT / "out"))
    parser.add_argument("--headless", action="store_true", help="ignore $DISPLAY")
    args = parser.parse_args()

    live = not args.headless and display_is_usable(os.environ.get("DISPLAY"))
    session = w.WineSession("demo", display=os.environ["DISPLAY"] if live else True)
    try:
        portal = Portal(session, "portal", "--seed", "1995")
        session.env["http_proxy"] = portal.proxy
        ticker = session.spawn(DEMO_EXE, timeout=24 * 3600)
        if not session.wait_window("Ticker"):
            raise RuntimeError("the ticker did not start")
        if live:
            print(f"Ticker is running on {os.environ['DISPLAY']} (portal on port {portal.port}); "
                  "Ctrl-C or its menu's Exit ends it.")
            try:
                ticker.wait()
            except KeyboardInterrupt:
                pass
            return
        out = Path(args.out)
        out.mkdir(parents=True, exist_ok=True)
        time.sleep(8)  # the first refresh, and some scrolling
        session.screenshot(out / "ticker-screen-docked.png")
        crop(out / "ticker-screen-docked.png", out / "ticker-docked.png", "700x40+324+728")
        session.send("class:Ticker", WM_COMMAND, ids.IDM_EXPAND)
        time.sleep(2)
        session.screenshot(out / "ticker-screen-expanded.png")
        crop(out / "ticker-screen-expanded.png", out / "ticker-expanded.png", "1024x60+0+708")
        print("Screenshots:", *sorted(str(p) for p in out.glob("ticker-*.png")), sep="\n  ")
    finally:
        session.close()


if __name__ == "__main__":
    main()
