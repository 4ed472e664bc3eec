# Harness for tests that run our Windows programs under Wine.
#
# Each session gets a private Wine prefix (a hard-linked copy of the template prefix that the
# `wine_prefix` fixture makes once per build; registry files are real copies), its own Xvfb
# display and its own wineserver. Every wine call runs under `timeout`, every process the session
# starts is remembered by pid and stopped in close(), also when a test fails.
#
# Environment (set by CTest): TICKER_BUILD (the native build directory) and TICKER_WIN_BIN (the
# x86_64 Windows build directory).
import contextlib
import json
import os
import queue
import select
import shutil
import signal
import subprocess
import tempfile
import threading
import time
from pathlib import Path

# Absolute, whatever the caller gave: Wine takes only an absolute WINEPREFIX.
BUILD = Path(os.environ.get("TICKER_BUILD",
                            Path(__file__).resolve().parents[2] / "build")).resolve()
WIN_BIN = Path(os.environ.get("TICKER_WIN_BIN", BUILD / "win-x86_64")).resolve()
TEMPLATE = BUILD / "wine-template"
SCREEN = (1024, 768)
TICKER_EXE = WIN_BIN / "src" / "Ticker.exe"
TASKBAR_EXE = WIN_BIN / "tools" / "taskbar" / "Taskbar.exe"
PROBE_EXE = WIN_BIN / "tests" / "probe" / "Probe.exe"
SCREENSAVER_EXE = WIN_BIN / "tools" / "screensaver" / "Screensaver.exe"
# Output goes to /dev/null: Wine's background services must not inherit CTest's pipes.
QUIET = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def wine_env(prefix, display=None):
    # No proxy of this machine's: a test routes the ticker to its own servers, or nowhere.
    env = {k: v for k, v in os.environ.items()
           if not k.startswith(("WINE", "DISPLAY")) and not k.lower().endswith("_proxy")}
    env.update(WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=", LANG="C.UTF-8",
               LC_ALL="C.UTF-8", TZ="UTC", WINEPREFIX=str(prefix))
    return dict(env, DISPLAY=display) if display else env


def _quiet(*cmd, env):
    subprocess.run(cmd, env=env, check=False, **QUIET)


def make_template():
    # Creates the template prefix once per build directory (about 10 s).
    stamp = TEMPLATE / ".ready"
    if stamp.exists():
        return
    shutil.rmtree(TEMPLATE, ignore_errors=True)
    env = wine_env(TEMPLATE)
    _quiet("timeout", "-k", "5", "180", "wine", "wineboot", "-i", env=env)
    # Without a window manager, Wine waits about 2 s for every activated top-level window
    # to be withdrawn when it closes; unmanaged windows close at once.
    _quiet("timeout", "-k", "5", "60", "wine", "reg", "add", r"HKCU\Software\Wine\X11 Driver",
           "/v", "Managed", "/d", "N", "/f", env=env)
    subprocess.run(["timeout", "60", "wineserver", "-w"], env=env, check=False)
    if not (TEMPLATE / "system.reg").exists():
        raise RuntimeError("wineboot did not make a prefix")
    stamp.write_text("ok\n")


class WineSession:
    def __init__(self, name, display=True):
        # display: True for a private Xvfb display, a display name (":0") to use that one,
        # or False for none.
        self.work = BUILD / "e2e-work" / name
        shutil.rmtree(self.work, ignore_errors=True)
        self.work.mkdir(parents=True)
        self.prefix = self.work / "prefix"
        self._procs, self._closers = [], []
        self._probe, self._probe_lock = None, threading.Lock()
        self._xvfb, self.display = None, display if isinstance(display, str) else None
        self._copy_template()
        if display is True:
            self._start_xvfb()
        self.env = wine_env(self.prefix, self.display)
        self._start_wineserver()

    # -- set-up ------------------------------------------------------------------------------
    def _copy_template(self):
        make_template()
        subprocess.run(["cp", "-al", str(TEMPLATE), str(self.prefix)], check=True)
        for reg in TEMPLATE.glob("*.reg"):
            copy = self.prefix / reg.name  # registry files must not be shared with the template
            copy.unlink()
            shutil.copyfile(reg, copy)

    def _start_xvfb(self):
        # Xvfb picks a free display itself and writes its number to the pipe once it listens:
        # looking for a free number first races with sessions of other test runs.
        read, write = os.pipe()
        self._xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", f"{SCREEN[0]}x{SCREEN[1]}x24",
             "-nolisten", "tcp", "-noreset"], pass_fds=(write,), start_new_session=True, **QUIET)
        os.close(write)
        with os.fdopen(read) as pipe:
            number = pipe.readline().strip() if select.select([pipe], [], [], 20)[0] else ""
        if not number.isdigit():
            _stop([self._xvfb], os.kill)
            raise RuntimeError("Xvfb did not start")
        self.display = f":{number}"

    def _start_wineserver(self):
        subprocess.Popen(["wineserver", "-p"], env=self.env, start_new_session=True,
                         **QUIET).wait(timeout=30)
        _quiet("timeout", "-k", "5", "120", "wine", "wineboot", env=self.env)

    # -- running programs ---------------------------------------------------------------------
    def run(self, exe, *args, timeout=30, check=False):
        # Runs a Windows program to its end; returns the CompletedProcess (text output).
        #
        # The output goes through files, not pipes: a Wine process that the program happens to
        # start (the desktop, a service) would inherit a pipe and keep it open for its whole life.
        cmd = ["timeout", "-k", "5", str(timeout), "wine", str(exe), *map(str, args)]
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            code = subprocess.run(cmd, env=self.env, stdin=subprocess.DEVNULL, stdout=out,
                                  stderr=err).returncode
            text = [f.seek(0) or f.read().decode(errors="replace") for f in (out, err)]
        result = subprocess.CompletedProcess(cmd, code, *text)
        if check and result.returncode != 0:
            raise RuntimeError(f"{exe} {args} failed: {result.returncode} "
                               f"{result.stdout} {result.stderr}")
        return result

    def spawn(self, exe, *args, timeout=600, log=None):
        # Starts a Windows program in the background; close() stops it. Its output (Wine's
        # own messages included) goes to log, by default a file of its own in the work folder.
        log = Path(log or self.work / f"{Path(exe).stem}-{len(self._procs)}.log")
        proc = self.spawn_native("timeout", "-k", "5", timeout, "wine", exe, *args, log=log,
                                 env=self.env)
        proc.log = log
        return proc

    def state_of(self, proc):
        # What a started program is up to, for a failure's message: whether it still runs,
        # the end of its output and the top-level windows of the session.
        code, log = proc.poll(), getattr(proc, "log", None)
        output = log.read_text(errors="replace")[-1500:] if log and log.exists() else ""
        tops = [f"{r['class']}:{r['title']!r}" for r in self.windows() if r.get("depth") == 0]
        return (f"{'running' if code is None else f'ended with {code}'}; "
                f"output: {output!r}; top-level windows: {tops}")

    def on_close(self, stop):
        # Has close() call stop() first, for what the session did not start as a process.
        self._closers.append(stop)

    def processes(self, exe_name):
        # Linux pids of this session's running Wine programs named exe_name ("Ticker.exe").
        found, mark = [], f"WINEPREFIX={self.prefix}".encode()
        for entry in Path("/proc").iterdir():
            with contextlib.suppress(OSError):
                argv0 = (entry / "cmdline").read_bytes().split(b"\0")[0].replace(b"\\", b"/")
                if argv0.endswith(b"/" + exe_name.encode()) and \
                        mark in (entry / "environ").read_bytes().split(b"\0"):
                    found.append(int(entry.name))
        return found

    def spawn_native(self, *cmd, log=None, **kw):
        # Starts a native helper (a server) in the background; close() stops it.
        with open(log or os.devnull, "ab") as out:  # the child keeps its own copy
            proc = subprocess.Popen([str(c) for c in cmd], stdin=subprocess.DEVNULL, stdout=out,
                                    stderr=subprocess.STDOUT, start_new_session=True, **kw)
        self._procs.append(proc)
        return proc

    def probe(self, *args, timeout=60):
        # Has the probe run one command; returns its JSON lines as dicts and its exit code.
        #
        # One probe process ("Probe serve") answers every command of the session, one at a time:
        # a Wine process costs about half a second to start on a loaded machine. Its output goes
        # through a pipe that nothing but it may hold, so it is started once the session's own
        # Wine services run. A probe that does not answer in time is stopped, and the next
        # command starts another.
        with self._probe_lock:
            if not self._probe or self._probe.poll() is not None:
                self._probe = subprocess.Popen(
                    ["timeout", "-k", "5", "3600", "wine", str(PROBE_EXE), "serve"],
                    env=self.env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                    stderr=subprocess.DEVNULL, start_new_session=True)
                self._procs.append(self._probe)
                self._lines = queue.Queue()
                threading.Thread(target=_pump, args=(self._probe.stdout, self._lines),
                                 daemon=True).start()
            self._probe.stdin.write(("\t".join(map(str, args)) + "\n").encode())
            self._probe.stdin.flush()
            rows, deadline = [], time.time() + timeout
            with contextlib.suppress(queue.Empty):
                while (line := self._lines.get(timeout=max(0, deadline - time.time()))) is not None:
                    line = line.decode(errors="replace").strip()
                    row = json.loads(line) if line.startswith("{") else None
                    if row and list(row) == ["end"]:
                        return rows, row["end"]
                    rows += [row] if row else []
            os.killpg(self._probe.pid, signal.SIGKILL)
            self._probe.wait()
            return rows, 1

    def windows(self, cls=None):
        # The window tree as dicts (Probe tree), optionally only the windows of one class.
        rows = self.probe("tree")[0]
        return [r for r in rows if cls is None or r["class"] == cls]

    def send(self, target, message, wparam=0, lparam=0, post=False):
        # Sends (or posts) a message; target is a hex handle or "class:NAME". Returns the
        # probe's answer (a dict with "ok" and "result") or None.
        rows, _ = self.probe("post" if post else "send", target, message, wparam, lparam)
        return rows[0] if rows else None

    @contextlib.contextmanager
    def window_counts(self, cls):
        # While the block runs, counts the windows of class cls as often as the probe can
        # look; yields the list the counts go to (complete once the block has ended).
        counts, stop = [], threading.Event()

        def watch():
            while not stop.is_set():
                counts.append(len(self.windows(cls)))

        watcher = threading.Thread(target=watch)
        watcher.start()
        try:
            yield counts
        finally:
            stop.set()
            watcher.join()

    def wait_window(self, cls, timeout_ms=30000, gone=False):
        # Generous: a first Wine program in a fresh session can take many seconds to start on
        # a machine busy with other sessions; a window that comes returns at once.
        return self.probe("wait-gone" if gone else "wait", cls, timeout_ms,
                          timeout=timeout_ms // 1000 + 30)[1] == 0

    def text(self, target):
        # What a control holds now: {"text": its WM_GETTEXT text (an edit box's, not its
        # creation title), "items": the entries of a list box}, or None.
        rows, code = self.probe("text", target)
        return rows[0] if code == 0 else None

    def registry(self, key):
        # Values of a registry key as {name: row}; row has type, length and data.
        rows, code = self.probe("reg", key)
        return {r["name"]: r for r in rows if "name" in r} if code == 0 else None

    def reg_add(self, key, name, value, kind="REG_DWORD"):
        args = ["reg", "add", key, "/f", "/t", kind, "/d", str(value)]
        args[3:3] = ["/v", name] if name is not None else ["/ve"]
        # Wine's reg.exe once failed here, without a word, as the first program of a fresh
        # session on a loaded machine; a second try tells that apart from a real refusal.
        if self.run(*args).returncode != 0:
            time.sleep(1)
            self.run(*args, check=True)

    def screenshot(self, path):
        xwd = subprocess.run(["xwd", "-root", "-silent", "-display", self.display],
                             capture_output=True, timeout=30, check=True)
        subprocess.run(["convert", "xwd:-", f"png:{path}"], input=xwd.stdout, timeout=30,
                       check=True)
        return path

    def wait_for(self, predicate, timeout=10.0, interval=0.2):
        # Polls predicate() until it returns a true value; returns that value or None.
        deadline = time.time() + timeout
        while True:
            value = predicate()
            if value or time.time() > deadline:
                return value
            time.sleep(interval)

    # -- tear-down ----------------------------------------------------------------------------
    def close(self):
        try:
            for stop in reversed(self._closers):
                stop()
            _stop(self._procs, os.killpg)
            _quiet("timeout", "-k", "5", "30", "wineserver", "-k", env=self.env)
        finally:  # the display goes whatever went wrong before
            _stop([self._xvfb] if self._xvfb else [], os.kill)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


def _pump(stream, lines):
    # The probe's output, line by line, into a queue; None once it has ended.
    for line in stream:
        lines.put(line)
    lines.put(None)


def _stop(procs, kill):
    # SIGTERM to every one, then SIGKILL to those that have not ended within 5 s.
    for sig in (signal.SIGTERM, signal.SIGKILL):
        for proc in procs:
            with contextlib.suppress(ProcessLookupError):
                if proc.poll() is None:
                    kill(proc.pid, sig)
        for proc in procs:
            with contextlib.suppress(subprocess.TimeoutExpired):
                proc.wait(timeout=5)


if __name__ == "__main__":
    make_template()
