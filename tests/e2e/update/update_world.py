# The world of the self-update tests: a private network where the update server's and the
# portal's host names mean this machine, a real FTP server (vsftpd) and the portal stand-in on
# their usual ports there, an install directory with the real Ticker.exe and Update.exe, and the
# taskbar stand-in for the ticker to dock in.
#
# The ticker is not told about any of this: it reaches "ftp.ostrivane.example" on port 21 and
# the portal on port 80 because, inside the network namespace that `private_network()` makes,
# those names resolve to 127.0.0.1 (a hosts file bind-mounted over /etc/hosts). Everything a
# test starts runs inside the namespace and is stopped by the WineSession that owns it; no
# traffic leaves loopback.
import calendar
import os
import shutil
import signal
import socket
import subprocess
import sys
import time
import unittest
from pathlib import Path

import winetest as w
from names import KEY, ROOT, WM_COMMAND, ids
from portal import Portal
from scene import TickerTest

INSTALL_WIN = r"C:\ostrivane"
UPDATE_HOST = "ftp.ostrivane.example"
PORTAL_HOSTS = ["my.tamzo.example", "login.tamzo.example", "search.tamzo.example",
                "quote.tamzo.example"]
WIN32_BIN = Path(os.environ.get("TICKER_WIN32_BIN", w.BUILD / "win-i686"))
UPDATE_EXE = w.WIN_BIN / "src" / "Update.exe"
SIGN = [sys.executable, str(ROOT / "cmake" / "sign_build.py")]
# The key the build signed Ticker.exe with, and whose public half Update.exe trusts.
BUILD_KEY = Path(os.environ.get("TICKER_SIGNING_KEY", w.BUILD / "signing" / "build-key.pem"))
_MARK = "TICKER_UPDATE_PRIVATE_NET"


# -- the private network ----------------------------------------------------------------------
def private_network(script):
    # Runs the rest of `script` inside a private network and mount namespace. Returns when
    # already inside; otherwise re-executes the script there and exits with its status, or exits
    # 77 (skipped) with a SKIPPED line when this machine cannot make one (not root, no
    # namespaces).
    if os.environ.get(_MARK):
        _set_up_inside(Path(os.environ[_MARK]))
        return
    if os.geteuid() != 0:
        _skip("the update tests need root to make a private network namespace")
    probe = subprocess.run(["unshare", "--net", "--mount", "true"], capture_output=True, text=True)
    if probe.returncode != 0:
        _skip(f"unshare --net --mount failed: {probe.stderr.strip()}")
    hosts = w.BUILD / "e2e-work" / f"hosts-{os.getpid()}"
    hosts.parent.mkdir(parents=True, exist_ok=True)
    names = " ".join([UPDATE_HOST, *PORTAL_HOSTS])
    hosts.write_text(f"127.0.0.1 localhost {names}\n::1 localhost\n")
    try:
        # Bounded below CTest's own limit, so nothing in the namespace outlives the test.
        code = subprocess.run(["timeout", "-k", "10", "570",
                               "unshare", "--net", "--mount", "--", sys.executable,
                               str(Path(script).resolve()), *sys.argv[1:]],
                              env=dict(os.environ, **{_MARK: str(hosts)})).returncode
    finally:
        hosts.unlink(missing_ok=True)
    sys.exit(code)


def _skip(reason):
    print(f"SKIPPED: {reason}")
    sys.exit(77)


_stopping = False


def _stop(*_):
    # SIGTERM (the time limit above): end the running test through its clean-ups, which stop
    # its servers and Wine, and start no other.
    global _stopping
    _stopping = True
    raise SystemExit("stopped: out of time")


def _set_up_inside(hosts):
    signal.signal(signal.SIGTERM, _stop)
    subprocess.run(["ip", "link", "set", "lo", "up"], check=True)
    # unshare --mount makes our mounts private: the bind mount is seen only in here.
    subprocess.run(["mount", "--bind", str(hosts), "/etc/hosts"], check=True)
    if socket.gethostbyname(UPDATE_HOST) != "127.0.0.1":
        raise RuntimeError("the hosts file does not take effect")


def _listening(port):
    # Whether a socket listens on 127.0.0.1:port, read from the kernel's table rather than
    # by connecting, so that the servers' logs hold only the ticker's own connections.
    want = f"0100007F:{port:04X}"
    for line in Path("/proc/net/tcp").read_text().splitlines()[1:]:
        fields = line.split()
        if fields[1] == want and fields[3] == "0A":
            return True
    return False


def _wait_port(port, proc, timeout=20):
    deadline = time.time() + timeout
    while time.time() < deadline:
        if proc.poll() is not None:
            raise RuntimeError(f"the server for port {port} ended ({proc.returncode})")
        if _listening(port):
            return
        time.sleep(0.1)
    raise RuntimeError(f"nothing listens on port {port}")


# -- the update server ----------------------------------------------------------------------
class FtpServer:
    # vsftpd on 127.0.0.1:21, anonymous and read-only, serving `root`; its log records every
    # connection, command and transfer.

    def __init__(self, session, work, zone=None):
        # zone: the server's time zone (a TZ value) for the times its listings show; by
        # default UTC, the ticker's own.
        self.root = work / "ftp"
        self.log = work / "vsftpd.log"
        self.root.mkdir(parents=True)
        os.chmod(self.root, 0o755)
        conf = work / "vsftpd.conf"
        conf.write_text("\n".join([
            "listen=YES", "listen_ipv6=NO", "listen_address=127.0.0.1", "listen_port=21",
            "background=NO", "seccomp_sandbox=NO", "anonymous_enable=YES", "local_enable=NO",
            "write_enable=NO", "no_anon_password=NO", f"anon_root={self.root}",
            "secure_chroot_dir=/var/run/vsftpd/empty", f"use_localtime={'YES' if zone else 'NO'}",
            "pasv_enable=YES", "port_enable=YES", "connect_from_port_20=NO",
            "xferlog_enable=YES", "xferlog_std_format=NO", "log_ftp_protocol=YES",
            "syslog_enable=NO", f"vsftpd_log_file={self.log}", ""]))
        self.proc = session.spawn_native("vsftpd", conf, log=work / "vsftpd.out",
                                         env=dict(os.environ, TZ=zone or "UTC"))
        _wait_port(21, self.proc)

    def publish(self, data, mtime, name="ticker.ex_", directory="pub/ostrivane"):
        # Puts `data` on the server as directory/name with the given modification time.
        folder = self.root / directory
        folder.mkdir(parents=True, exist_ok=True)
        relative = Path(directory)
        for d in [relative, *relative.parents]:  # readable for vsftpd's unprivileged session
            os.chmod(self.root / d, 0o755)
        path = folder / name
        path.write_bytes(data)
        os.chmod(path, 0o644)
        os.utime(path, (mtime, mtime))
        return path

    def lines(self):
        return self.log.read_text(errors="replace").splitlines() if self.log.exists() else []

    def count(self, text):
        return sum(text in line for line in self.lines())

    def connections(self):
        return self.count("CONNECT: Client")

    def listings(self):
        return self.count('"LIST')

    def downloads(self):
        return self.count("OK DOWNLOAD")


# -- files --------------------------------------------------------------------------------
def utc(year, month, day, hour=0, minute=0):
    return calendar.timegm((year, month, day, hour, minute, 0))


def compress(data, work, name="payload"):
    # The update file as the maker makes it: Debian's mscompress (LZ, "SZDD").
    folder = work / "compress"
    folder.mkdir(exist_ok=True)
    source = folder / f"{name}.exe"
    source.write_bytes(data)
    subprocess.run(["mscompress", str(source)], check=True, capture_output=True)
    out = folder / f"{name}.exe_"
    packed = out.read_bytes()
    assert packed.startswith(b"SZDD"), "mscompress did not make an LZ file"
    return packed


def build(signed_exe, marker):
    # Another build of the ticker, unsigned: the program without its signature and with a
    # marker after its last section. To the loader the same program, to every file comparison
    # another build, so what comes up is honestly a ticker and honestly the new file.
    assert signed_exe.endswith(b"\x89TSIG\r\n\x1a"), "Ticker.exe is not signed"
    return signed_exe[:-280] + b"\0" * 7 + marker


def signed(data, work, key=BUILD_KEY):
    # data with a signature trailer made with key, as the build signs Ticker.exe.
    path = work / "signing" / "build.exe"
    path.parent.mkdir(exist_ok=True)
    path.write_bytes(data)
    subprocess.run([*SIGN, "sign", key, path], check=True)
    return path.read_bytes()


def new_key(work):
    subprocess.run([*SIGN, "new-key", work / "other-key.pem"], check=True)
    return work / "other-key.pem"


# -- the installed ticker -------------------------------------------------------------------
class Install:
    # The install directory C:\ostrivane in the session's prefix, named by the "Path"
    # setting, with the real Ticker.exe (and Update.exe unless told otherwise).

    def __init__(self, session, with_program=True, with_updater=True, program_time=None):
        self.session = session
        self.dir = session.prefix / "drive_c" / "ostrivane"
        self.dir.mkdir(parents=True)
        session.reg_add(KEY, "Path", INSTALL_WIN, "REG_SZ")
        self.original = w.TICKER_EXE.read_bytes()
        if with_program:
            shutil.copyfile(w.TICKER_EXE, self.program)
            if program_time is not None:
                os.utime(self.program, (program_time, program_time))
        if with_updater:
            shutil.copyfile(UPDATE_EXE, self.dir / "Update.exe")

    @property
    def program(self):
        return self.dir / "Ticker.exe"

    def file(self, name):
        return self.dir / name

    def log(self):
        path = self.dir / "update.log"
        return path.read_text(errors="replace") if path.exists() else ""


class UpdateTest(TickerTest):
    # A scenario's world: its Wine session with the taskbar, the FTP server and the portal on
    # their usual ports, reached by name from the private network.
    server_zone = None  # the update server's time zone, when it is not the ticker's (UTC)

    def setUp(self):
        if _stopping:
            raise unittest.SkipTest("out of time")
        super().setUp()
        del self.s.env["http_proxy"]
        self.ftp = FtpServer(self.s, self.s.work, self.server_zone)
        # On its usual port: each refresh ends with a content request we can see, and after
        # it the update check of that refresh is over.
        self.portal = Portal(self.s, "portal", "--frozen", port=80)
        self.start_taskbar()

    def install(self, **options):
        return Install(self.s, **options)

    def tickers(self):
        return self.s.windows("Ticker")

    def wait(self, predicate, timeout=90):
        return self.s.wait_for(predicate, timeout=timeout, interval=0.5)

    def start_installed(self, install):
        # Starts the installed ticker; returns its process and its Ticker window.
        proc = self.s.spawn(install.program, timeout=900)
        tickers = self.wait(self.tickers, 60)
        self.assertTrue(tickers, f"the ticker did not come up: {self.s.state_of(proc)}")
        return proc, tickers[0]

    def content_requests(self):
        return sum(r["path"] == "/zrt/update" for r in self.portal.requests())

    def refresh_until(self, count, timeout=90):
        # Chooses "Update Now" until the portal has seen `count` content requests. A ticker
        # ignores it while a refresh still runs, so it is asked again until one starts.
        def reached():
            if self.content_requests() >= count:
                return True
            self.s.send("class:Ticker", WM_COMMAND, ids.IDM_UPDATE_NOW, post=True)
            return False

        return self.wait(reached, timeout)

    def wait_refreshes(self, count, timeout=90):
        # Waits until the portal has seen `count` content requests: that many refreshes
        # have got past their update check.
        return self.wait(lambda: self.content_requests() >= count, timeout)


# -- one update, start to end ---------------------------------------------------------------
OLD_LOCAL = utc(2024, 1, 15, 12, 0)
SERVER_NEWER = utc(2024, 2, 1, 9, 30)


class UpdateRun:
    # Publishes `served` as a newer build, starts the installed ticker and follows the
    # hand-over: the old ticker ends, the updater does its work, and a ticker (new or old) runs
    # its own first check. Fields: old_window, the first ticker's window; ticker, the Ticker
    # window that runs at the end (or None). Windows are told apart by handle: Wine may give a
    # new process the id of one that has ended, but not a new window an old window's handle.

    def __init__(self, world, install, served, listed=SERVER_NEWER, crash_new=False):
        # crash_new: end the new build's process, as a crash would, once its window shows.
        # Field back_after: seconds from the first ticker's end to the last one's window.
        self.world, self.install = world, install
        world.ftp.publish(served, listed)
        proc, ticker = world.start_installed(install)
        self.old_window = ticker["hwnd"]
        try:
            proc.wait(timeout=180)
        except Exception:
            raise AssertionError("the ticker did not close for the update") from None
        ended = time.time()
        # The crash comes once the updater watches the new build's window, as it would after
        # some seconds of a real build's life.
        if crash_new and world.wait(lambda: "The new build showed its window" in install.log(),
                                    120):
            for pid in world.s.processes("Ticker.exe"):
                os.kill(pid, signal.SIGKILL)
        world.wait(lambda: "Updater finished:" in install.log(), 180)
        self.ticker = world.wait(self._other_ticker, 120)
        self.ticker = self.ticker[0] if self.ticker else None
        self.back_after = time.time() - ended

    def explain(self):
        # What a failed run leaves to look at: the updater's log and the tickers now.
        found = [(t["hwnd"], t["pid"]) for t in self.world.tickers()]
        return (f"first ticker {self.old_window}; Ticker windows now {found}; "
                f"log:\n{self.install.log()}")

    def _other_ticker(self):
        return [t for t in self.world.tickers() if t["hwnd"] != self.old_window]

    def wait_next_check(self):
        # Waits until the ticker that runs now has been through its own update check.
        #
        # The old ticker may or may not have reached the portal once after its check (it goes
        # on with its refresh while its window thread ends the program), so one request says
        # nothing. Two do: we keep asking the new ticker for "Update Now", which it ignores
        # until its first refresh, check included, is over; so whichever way the old one went,
        # the second request comes after the new ticker's check.
        return self.world.refresh_until(2, 120)
