"""The real ticker scrolling about 20 KB of content: its CPU use and memory at each speed.

    TICKER_BUILD=build TICKER_WIN_BIN=build/win-x86_64 python3 bench/ticker_cpu.py \\
        [--seconds 60] [--speeds 1,2,3,4] [--demo PATH | --alone] [--floor]

For each speed a fresh Wine session (own prefix, Xvfb display, wineserver) runs TickerDemo.exe,
the ticker with the taskbar stand-in on a thread of its own, so that the docked strip is drawn
as it is shown. Its content comes from the portal (--raw-reply, through http_proxy): a reply
whose strip is about 19 KB. Once the strip scrolls, the script reads the CPU time of the Wine
process (all its threads, and the first one, which runs the ticker's window) and of the
session's wineserver and Xvfb from /proc, and the process's memory as the system reports it
(procstat.exe: GetProcessMemoryInfo and the committed private regions); waits; reads again.
Figures only: nothing fails on time. --demo runs another build's TickerDemo.exe, to compare;
--alone runs Ticker.exe as it is installed, in its own process beside the taskbar stand-in;
--floor also measures tick_floor.exe, a window with the same 50 ms timer that only copies
ready-made frames to the screen, which is the least any such ticker costs under Wine here.
"""
import argparse
import json
import os
import re
import signal
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "tests" / "harness"))
sys.path.insert(0, str(HERE))
import replies  # noqa: E402
import winetest  # noqa: E402
from portal import Portal  # noqa: E402

KEY = r"HKLM\SOFTWARE\Ostrivane\Ticker"
DEMO_EXE = winetest.WIN_BIN / "tools" / "demo" / "TickerDemo.exe"
PROCSTAT_EXE = winetest.WIN_BIN / "bench" / "procstat.exe"
FLOOR_EXE = winetest.WIN_BIN / "bench" / "tick_floor.exe"
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


def proc_cpu_seconds(pid):
    """utime + stime of a Linux process, in seconds, or None."""
    try:
        fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    except OSError:
        return None
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS


def thread_cpu_seconds(pid):
    """{tid: utime + stime in seconds} of every thread of a Linux process."""
    threads = {}
    try:
        tasks = list(Path(f"/proc/{pid}/task").iterdir())
    except OSError:
        return threads
    for task in tasks:
        seconds = proc_cpu_seconds(f"{pid}/task/{task.name}")
        if seconds is not None:
            threads[int(task.name)] = seconds
    return threads


def proc_memory(pid):
    """(resident, anonymous resident) bytes of a Linux process, or (None, None). Anonymous
    memory is the process's own data (heaps, stacks, bitmaps); file pages that happen to be
    mapped by this process alone are left out, unlike in "private"."""
    try:
        rollup = Path(f"/proc/{pid}/smaps_rollup").read_text()
    except OSError:
        return None, None
    kb = {m.group(1): int(m.group(2)) for m in re.finditer(r"^(\w+):\s+(\d+) kB", rollup, re.M)}
    return kb.get("Rss", 0) * 1024, kb.get("Anonymous", 0) * 1024


def linux_pids(name, env_prefix=None):
    """Pids whose command name starts with name (and, with env_prefix, whose WINEPREFIX is it)."""
    found = []
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            comm = (entry / "comm").read_text().strip()
            if not comm.startswith(name[:15]):
                continue
            if env_prefix is not None:
                environ = (entry / "environ").read_bytes().split(b"\0")
                if f"WINEPREFIX={env_prefix}".encode() not in environ:
                    continue
        except OSError:
            continue
        found.append(int(entry.name))
    return found


def read_procstat(session, pid):
    result = session.run(PROCSTAT_EXE, pid, timeout=30)
    for line in result.stdout.splitlines():
        line = line.strip()
        if line.startswith("{"):
            return json.loads(line)
    return None


def measure(speed, seconds, demo, reply_path, alone=False):
    with winetest.WineSession(f"ticker_cpu_speed{speed}") as s:
        for name, value in (("US Headlines", 1), ("Stock Quotes", 1), ("Ticker Speed", speed)):
            s.reg_add(KEY, name, value)
        portal = Portal(s, "portal", "--raw-reply", reply_path)
        s.env["http_proxy"] = portal.proxy
        if alone:
            s.spawn(winetest.TASKBAR_EXE, timeout=seconds + 300)
            if not s.wait_window("TrayNotifyWnd"):
                return {"speed": speed, "error": "the taskbar stand-in did not start"}
        s.spawn(demo, timeout=seconds + 300)
        if not s.wait_window("Ticker"):
            return {"speed": speed, "error": "the ticker window did not appear"}
        if not s.wait_for(lambda: any("/zrt/update" in r["target"] for r in portal.requests()), 60):
            return {"speed": speed, "error": "the ticker asked the portal for nothing"}
        time.sleep(5)  # the reply is parsed, handed over and scrolls

        windows = s.windows("Ticker")
        pid = windows[0]["pid"] if windows else 0
        wine = linux_pids(Path(demo).name, s.prefix)
        server = linux_pids("wineserver", s.prefix)
        xvfb_pid = s._xvfb.pid if s._xvfb else None

        def sample():
            return {
                "wall": time.monotonic(),
                "win": read_procstat(s, pid),
                "wine": sum(proc_cpu_seconds(p) or 0 for p in wine),
                "threads": {p: thread_cpu_seconds(p) for p in wine},
                "server": sum(proc_cpu_seconds(p) or 0 for p in server),
                "xvfb": proc_cpu_seconds(xvfb_pid) if xvfb_pid else 0,
            }

        first = sample()
        time.sleep(seconds)
        last = sample()
        wall = last["wall"] - first["wall"]
        row = {"speed": speed, "seconds": wall}
        if first["win"] and last["win"]:
            cpu_ms = (last["win"]["user_ms"] + last["win"]["kernel_ms"]
                      - first["win"]["user_ms"] - first["win"]["kernel_ms"])
            row["process_cpu"] = cpu_ms / 1000 / wall * 100
            row["private_bytes"] = last["win"]["private_bytes"]
            row["committed_private"] = last["win"]["committed_private"]
            row["working_set"] = last["win"]["working_set"]
        row["wine_cpu"] = (last["wine"] - first["wine"]) / wall * 100
        # The ticker's window runs on the process's first thread (the Linux thread whose id is
        # the process's); the taskbar stand-in and Wine's own helpers on others.
        main = [last["threads"][p].get(p, 0) - first["threads"][p].get(p, 0) for p in wine]
        row["window_thread_cpu"] = sum(main) / wall * 100
        row["wineserver_cpu"] = (last["server"] - first["server"]) / wall * 100
        row["xvfb_cpu"] = ((last["xvfb"] or 0) - (first["xvfb"] or 0)) / wall * 100
        rss, anonymous = (0, 0)
        for pid in wine:
            r, a = proc_memory(pid)
            rss += r or 0
            anonymous += a or 0
        row["linux_rss"], row["linux_anonymous"] = rss, anonymous
        return row


def measure_floor(frames, seconds):
    """CPU of tick_floor.exe copying `frames` frames per tick: (process, wineserver, Xvfb) in %."""
    with winetest.WineSession(f"tick_floor{frames}") as s:
        s.spawn(FLOOR_EXE, frames, timeout=seconds + 120)
        if not s.wait_window("TickFloor"):
            return None
        time.sleep(3)
        wine = linux_pids(FLOOR_EXE.name, s.prefix)
        server = linux_pids("wineserver", s.prefix)

        def sample():
            return (time.monotonic(), sum(proc_cpu_seconds(p) or 0 for p in wine),
                    sum(proc_cpu_seconds(p) or 0 for p in server),
                    proc_cpu_seconds(s._xvfb.pid) or 0)

        first = sample()
        time.sleep(seconds)
        last = sample()
        wall = last[0] - first[0]
        return tuple((b - a) / wall * 100 for a, b in zip(first[1:], last[1:]))


def mb(n):
    return f"{n / 1048576:6.2f} MB" if n is not None else "     n/a"


def main():
    # Stopped from outside (a time limit, a kill), the run still closes its session: its Xvfb
    # and its persistent wineserver would otherwise outlive it.
    for stop in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(stop, lambda *_: sys.exit("ticker_cpu: stopped"))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seconds", type=float, default=60, help="measured time per speed")
    parser.add_argument("--speeds", default="1,2,3,4", help="speeds to measure, e.g. 2,4")
    parser.add_argument("--demo", default=str(DEMO_EXE), help="the TickerDemo.exe to run")
    parser.add_argument("--alone", action="store_true",
                        help="run Ticker.exe in a process of its own beside Taskbar.exe, as "
                             "it is installed (its memory without the stand-in's thread; Wine "
                             "shows no strip drawn into another process's window)")
    parser.add_argument("--floor", action="store_true",
                        help="also measure tick_floor.exe copying 0 and 2 frames per tick")
    args = parser.parse_args()
    if args.alone:
        args.demo = str(winetest.TICKER_EXE)
    for exe in (Path(args.demo), PROCSTAT_EXE, FLOOR_EXE):
        if not exe.exists():
            sys.exit(f"{exe} is missing: build the Windows tree first")

    work = winetest.BUILD / "e2e-work" / "ticker_cpu_replies"
    reply_path = replies.write_all(work)["strip-20KB"]
    print(f"ticker_cpu: {args.demo}, reply {reply_path.stat().st_size} bytes "
          f"(a strip of about 19 KB), {args.seconds:.0f} s per speed, {os.cpu_count()} cores")
    print("CPU in % of one core: the ticker's window thread and its whole Wine process, and the "
          "session's wineserver and Xvfb (from /proc: GetProcessTimes of another process reads "
          "next to nothing under Wine). Memory: committed private regions and working set as the "
          "system reports them (procstat.exe), anonymous resident memory of the Wine process.")
    print("speed  window thread  process  wineserver   Xvfb   committed private  working set  "
          "Linux anonymous")
    for speed in (int(x) for x in args.speeds.split(",")):
        row = measure(speed, args.seconds, args.demo, reply_path, args.alone)
        if "error" in row:
            print(f"{speed:5}  {row['error']}")
            continue
        print(f"{speed:5}  {row['window_thread_cpu']:11.2f} %  {row['wine_cpu']:5.2f} %  "
              f"{row['wineserver_cpu']:8.2f} %  {row['xvfb_cpu']:5.2f} %  "
              f"{mb(row.get('committed_private'))}     {mb(row.get('working_set'))}  "
              f"{mb(row['linux_anonymous'])}", flush=True)
    if args.floor:
        for frames in (0, 2):
            cpu = measure_floor(frames, args.seconds)
            if cpu:
                print(f"floor: a 50 ms timer, GetDC/ReleaseDC and {frames} clipped BitBlts per "
                      f"tick: process {cpu[0]:.2f} %, wineserver {cpu[1]:.2f} %, "
                      f"Xvfb {cpu[2]:.2f} %", flush=True)


if __name__ == "__main__":
    sys.exit(main())
