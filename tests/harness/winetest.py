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
import select
import shutil
import signal
import subprocess
import threading
import time
from pathlib import Path

# Absolute, whatever the caller gave: Wine takes only an absolute WINEPREFIX.
_DEFAULT_BUILD = Path(__file__).resolve().parents[2] / "build"
BUILD = Path(os.environ.get("TICKER_BUILD", _DEFAULT_BUILD)).resolve()
WIN_BIN = Path(os.environ.get("TICKER_WIN_BIN", BUILD / "win-x86_64")).resolve()
TEMPLATE = BUILD / "wine-template"
SCREEN = (1024, 768)

TICKER_EXE = WIN_BIN / "src" / "Ticker.exe"
TASKBAR_EXE = WIN_BIN / "tools" / "taskbar" / "Taskbar.exe"
PROBE_EXE = WIN_BIN / "tests" / "probe" / "Probe.exe"
SCREENSAVER_EXE = WIN_BIN / "tools" / "screensaver" / "Screensaver.exe"

BASE_ENV = {
    "WINEDEBUG": "-all",
    "WINEDLLOVERRIDES": "mscoree,mshtml=",
    "LANG": "C.UTF-8",
    "LC_ALL": "C.UTF-8",
    "TZ": "UTC",
}


def wine_env(prefix, display=None):
    # No proxy of this machine's: a test routes the ticker to its own servers, or nowhere.
    env = {k: v for k, v in os.environ.items()
           if not k.startswith(("WINE", "DISPLAY")) and not k.lower().endswith("_proxy")}
    env.update(BASE_ENV)
    env["WINEPREFIX"] = str(prefix)
    if display:
        env["DISPLAY"] = display
    return env


def _quiet(*cmd, env):
    # Output goes to /dev/null: Wine's background services must not inherit CTest's pipes.
    subprocess.run(cmd, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=False)


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
        self.name = name
        self.work = BUILD / "e2e-work" / name
        shutil.rmtree(self.work, ignore_errors=True)
        self.work.mkdir(parents=True)
        self.prefix = self.work / "prefix"
        self._procs = []
        self._closers = []
        self._probe, self._probe_lock = None, threading.Lock()
        self._runs = 0
        self._xvfb = None
        self.display = None
        self._copy_template()
        if isinstance(display, str):
            self.display = display
        elif display:
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
        read_end, write_end = os.pipe()
        proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
             f"{SCREEN[0]}x{SCREEN[1]}x24", "-nolisten", "tcp", "-noreset"],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            pass_fds=(write_end,), start_new_session=True)
        os.close(write_end)
        with os.fdopen(read_end, "rb") as pipe:
            ready, _, _ = select.select([pipe], [], [], 20)
            number = pipe.readline().strip() if ready else b""
        if not number.isdigit():
            proc.kill()
            proc.wait()
            raise RuntimeError("Xvfb did not start")
        self._xvfb, self.display = proc, f":{number.decode()}"

    def _start_wineserver(self):
        server = subprocess.Popen(["wineserver", "-p"], env=self.env, stdin=subprocess.DEVNULL,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                  start_new_session=True)
        server.wait(timeout=30)
        _quiet("timeout", "-k", "5", "120", "wine", "wineboot", env=self.env)

    # -- running programs ---------------------------------------------------------------------
    def run(self, exe, *args, timeout=30, check=False):
        # Runs a Windows program to its end; returns the CompletedProcess (text output).
        #
        # The output goes through files, not pipes: a Wine process that the program happens to
        # start (the desktop, a service) would inherit a pipe and keep it open for its whole life.
        cmd = ["timeout", "-k", "5", str(timeout), "wine", str(exe), *map(str, args)]
        self._runs += 1
        out_path = self.work / f".run{self._runs}.out"
        err_path = self.work / f".run{self._runs}.err"
        with open(out_path, "wb") as out, open(err_path, "wb") as err:
            code = subprocess.run(cmd, env=self.env, stdin=subprocess.DEVNULL, stdout=out,
                                  stderr=err).returncode
        result = subprocess.CompletedProcess(
            cmd, code, out_path.read_text(errors="replace"), err_path.read_text(errors="replace"))
        out_path.unlink()
        err_path.unlink()
        if check and result.returncode != 0:
            raise RuntimeError(f"{exe} {args} failed: {result.returncode} "
                               f"{result.stdout} {result.stderr}")
        return result

    def spawn(self, exe, *args, timeout=600, log=None):
        # Starts a Windows program in the background; close() stops it. Its output (Wine's
        # own messages included) goes to log, by default a file of its own in the work folder.
        if log is None:
            log = self.work / f"{Path(exe).stem}-{len(self._procs)}.log"
        with open(log, "ab") as out:  # the child keeps its own copy
            proc = subprocess.Popen(["timeout", "-k", "5", str(timeout), "wine", str(exe),
                                     *map(str, args)], env=self.env, stdin=subprocess.DEVNULL,
                                    stdout=out, stderr=subprocess.STDOUT,
                                    start_new_session=True)
        proc.log = Path(log)
        self._procs.append(proc)
        return proc

    def state_of(self, proc):
        # What a started program is up to, for a failure's message: whether it still runs,
        # the end of its output and the top-level windows of the session.
        code = proc.poll()
        try:
            output = proc.log.read_text(errors="replace")[-1500:]
        except (AttributeError, OSError):
            output = ""
        tops = [f"{r['class']}:{r['title']!r}" for r in self.windows() if r.get("depth") == 0]
        return (f"{'running' if code is None else f'ended with {code}'}; "
                f"output: {output!r}; top-level windows: {tops}")

    def on_close(self, stop):
        # Has close() call stop() first, for what the session did not start as a process.
        self._closers.append(stop)

    def processes(self, exe_name):
        # Linux pids of this session's running Wine programs named exe_name ("Ticker.exe").
        found = []
        for entry in Path("/proc").iterdir():
            try:
                cmdline = (entry / "cmdline").read_bytes().split(b"\0")
                environ = (entry / "environ").read_bytes().split(b"\0")
            except OSError:
                continue
            if (f"WINEPREFIX={self.prefix}".encode() in environ and
                    any(arg.replace(b"\\", b"/").endswith(b"/" + exe_name.encode())
                        for arg in cmdline[:1])):
                found.append(int(entry.name))
        return found

    def spawn_native(self, *cmd, log=None, **kw):
        # Starts a native helper (a server) in the background; close() stops it.
        out = open(log, "ab") if log else subprocess.DEVNULL
        proc = subprocess.Popen([str(c) for c in cmd], stdin=subprocess.DEVNULL, stdout=out,
                                stderr=subprocess.STDOUT, start_new_session=True, **kw)
        if log:
            out.close()
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
                self._probe_output = b""
            self._probe.stdin.write(("\t".join(map(str, args)) + "\n").encode())
            self._probe.stdin.flush()
            rows, deadline, fd = [], time.time() + timeout, self._probe.stdout.fileno()
            while True:
                line, newline, rest = self._probe_output.partition(b"\n")
                if not newline:
                    ready = select.select([fd], [], [], max(0, deadline - time.time()))[0]
                    chunk = os.read(fd, 65536) if ready else b""
                    if not chunk:
                        break
                    self._probe_output += chunk
                    continue
                self._probe_output = rest
                line = line.decode(errors="replace").strip()
                row = json.loads(line) if line.startswith("{") else None
                if row and list(row) == ["end"]:
                    return rows, row["end"]
                if row:
                    rows.append(row)
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
            for proc in self._procs:
                if proc.poll() is None:
                    try:
                        os.killpg(proc.pid, signal.SIGTERM)
                    except ProcessLookupError:
                        pass
            for proc in self._procs:
                try:
                    proc.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    os.killpg(proc.pid, signal.SIGKILL)
                    proc.wait()
            _quiet("timeout", "-k", "5", "30", "wineserver", "-k", env=self.env)
        finally:  # the display goes whatever went wrong before
            if self._xvfb:
                self._xvfb.terminate()
                try:
                    self._xvfb.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    self._xvfb.kill()
                    self._xvfb.wait()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


if __name__ == "__main__":
    make_template()
