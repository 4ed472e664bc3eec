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
from names import KEY, ROOT
from portal import Portal
from scene import TickerTest

INSTALL_WIN = r"C:\ostrivane"
UPDATE_HOST = "ftp.ostrivane.example"
HOSTS = (f"{UPDATE_HOST} my.tamzo.example login.tamzo.example search.tamzo.example "
         "quote.tamzo.example")
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
    probe = subprocess.run(["unshare", "--net", "--mount", "true"], capture_output=True, text=True)
    if probe.returncode != 0:  # not root, or no namespaces here
        print(f"SKIPPED: unshare --net --mount failed: {probe.stderr.strip()}")
        sys.exit(77)
    hosts = w.BUILD / "e2e-work" / f"hosts-{os.getpid()}"
    hosts.parent.mkdir(parents=True, exist_ok=True)
    hosts.write_text(f"127.0.0.1 localhost {HOSTS}\n::1 localhost\n")
    try:
        # Bounded below CTest's own limit, so nothing in the namespace outlives the test.
        code = subprocess.run(["timeout", "-k", "10", "570",
                               "unshare", "--net", "--mount", "--", sys.executable,
                               str(Path(script).resolve()), *sys.argv[1:]],
                              env=dict(os.environ, **{_MARK: str(hosts)})).returncode
    finally:
        hosts.unlink(missing_ok=True)
    sys.exit(code)


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


# -- the update server ----------------------------------------------------------------------
class FtpServer:
    # vsftpd on 127.0.0.1:21, anonymous and read-only, serving `root`; its log records every
    # connection, command and transfer.

    def __init__(self, session, work, zone=None):
        # zone: the server's time zone (a TZ value) for the times its listings show; by
        # default UTC, the ticker's own.
        self.root = work / "ftp"
        self.log = work / "vsftpd.log"
        self.root.mkdir(parents=True)  # made readable for vsftpd's session by publish()
        conf = work / "vsftpd.conf"
        conf.write_text("\n".join([
            "listen=YES", "listen_ipv6=NO", "listen_address=127.0.0.1", "listen_port=21",
            "background=NO", "seccomp_sandbox=NO", "anonymous_enable=YES", "local_enable=NO",
            "write_enable=NO", "no_anon_password=NO", f"anon_root={self.root}", "pasv_enable=YES",
            "secure_chroot_dir=/var/run/vsftpd/empty", f"use_localtime={'YES' if zone else 'NO'}",
            "port_enable=YES", "connect_from_port_20=NO", "xferlog_enable=YES", "syslog_enable=NO",
            "xferlog_std_format=NO", "log_ftp_protocol=YES", f"vsftpd_log_file={self.log}", ""]))
        proc = session.spawn_native("vsftpd", conf, log=work / "vsftpd.out",
                                    env=dict(os.environ, TZ=zone or "UTC"))
        # Listening is read from the kernel's table rather than found by connecting, so that
        # the log holds only the ticker's own connections.
        listening = lambda: proc.poll() is not None or any(  # noqa: E731
            line.split()[1:4:2] == ["0100007F:0015", "0A"]  # 127.0.0.1:21, LISTEN
            for line in Path("/proc/net/tcp").read_text().splitlines()[1:])
        if not session.wait_for(listening, 20) or proc.poll() is not None:
            raise RuntimeError(f"vsftpd does not listen on port 21 ({proc.poll()})")

    def publish(self, data, mtime, name="ticker.ex_", directory="pub/ostrivane"):
        # Puts `data` on the server as directory/name with the given modification time.
        path = self.root / directory / name
        path.parent.mkdir(parents=True, exist_ok=True)
        for d in [Path(directory), *Path(directory).parents]:  # readable for vsftpd's session
            os.chmod(self.root / d, 0o755)
        path.write_bytes(data)
        os.chmod(path, 0o644)
        os.utime(path, (mtime, mtime))
        return path

    def count(self, text):
        # Log lines holding text: CONNECTS, LISTINGS, DOWNLOADS, any other ("": every line).
        log = self.log.read_text(errors="replace") if self.log.exists() else ""
        return sum(text in line for line in log.splitlines())


CONNECTS, LISTINGS, DOWNLOADS = "CONNECT: Client", '"LIST', "OK DOWNLOAD"


# -- files --------------------------------------------------------------------------------
def utc(year, month, day, hour=0, minute=0):
    return calendar.timegm((year, month, day, hour, minute, 0))


def compress(data, work):
    # The update file as the maker makes it: Debian's mscompress (LZ, "SZDD").
    source = work / "compress" / "payload.exe"
    source.parent.mkdir(exist_ok=True)
    source.write_bytes(data)
    subprocess.run(["mscompress", str(source)], check=True, capture_output=True)
    packed = source.with_suffix(".exe_").read_bytes()
    assert packed.startswith(b"SZDD"), "mscompress did not make an LZ file"
    return packed


def build(signed_exe, marker):
    # Another build of the ticker, unsigned: the program without its signature and with a
    # marker after its last section. To the loader the same program, to every file comparison
    # another build, so what comes up is honestly a ticker and honestly the new file.
    assert signed_exe.endswith(b"\x89TSIG\r\n\x1a"), "Ticker.exe is not signed"
    return signed_exe[:-280] + b"\0" * 7 + marker


def signed(data, work, key=BUILD_KEY):
    # data with a signature trailer made with key (None: a new key), as the build signs
    # Ticker.exe.
    path = work / "signing" / "build.exe"
    path.parent.mkdir(exist_ok=True)
    if key is None:
        subprocess.run([*SIGN, "new-key", key := work / "other-key.pem"], check=True)
    path.write_bytes(data)
    subprocess.run([*SIGN, "sign", key, path], check=True)
    return path.read_bytes()


# -- the installed ticker -------------------------------------------------------------------
class Install:
    # The install directory C:\ostrivane in the session's prefix, named by the "Path"
    # setting, with the real Ticker.exe (and Update.exe unless told otherwise).

    def __init__(self, session, with_program=True, with_updater=True, program_time=None):
        # program_time: the program file's time, by default OLD_LOCAL.
        self.dir = session.prefix / "drive_c" / "ostrivane"
        self.dir.mkdir(parents=True)
        self.program = self.dir / "Ticker.exe"
        session.reg_add(KEY, "Path", INSTALL_WIN, "REG_SZ")
        self.original = w.TICKER_EXE.read_bytes()
        if with_program:
            shutil.copyfile(w.TICKER_EXE, self.program)
            os.utime(self.program, (program_time or OLD_LOCAL,) * 2)
        if with_updater:
            shutil.copyfile(UPDATE_EXE, self.dir / "Update.exe")

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

    def tickers(self):
        return self.s.windows("Ticker")

    def start_installed(self, install, exe=None):
        # Starts the installed ticker (or exe); returns its process and its Ticker window.
        proc = self.s.spawn(exe or install.program, timeout=900)
        return proc, self.until(self.tickers, lambda: f"no ticker: {self.s.state_of(proc)}", 60)[0]

    def refreshed(self, count):
        # Whether the portal has seen `count` content requests: that many refreshes have got
        # past their update check.
        return sum(r["path"] == "/zrt/update" for r in self.portal.requests()) >= count

    def wait_refreshes(self, count, update_now=False, timeout=90):
        # Waits for `count` refreshes; with update_now, chooses "Update Now" until they come.
        wait = self.refresh_until if update_now else self.until
        wait(lambda: self.refreshed(count), f"no refresh {count}", timeout)


# -- one update, start to end ---------------------------------------------------------------
OLD_LOCAL = utc(2024, 1, 15, 12, 0)
SERVER_NEWER = utc(2024, 2, 1, 9, 30)


class UpdateRun:
    # Publishes `served`, compressed, as a newer build, starts the installed ticker and follows the
    # hand-over: the old ticker ends, the updater does its work, and a ticker (new or old) runs
    # its own first check. Fields: ticker, the Ticker window that runs at the end, whose
    # coming the run asserts; back_after, seconds from the first ticker's end to its window.
    # Windows are told apart by handle: Wine may give a new process the id of one that has
    # ended, but not a new window an old window's handle.

    def __init__(self, world, install, served, listed=SERVER_NEWER, crash_new=False):
        # crash_new: end the new build's process, as a crash would, once its window shows.
        self.world = world
        world.ftp.publish(compress(served, world.s.work), listed)
        proc, first = world.start_installed(install)
        world.until(lambda: proc.poll() is not None, "the ticker did not close for the update",
                    180)
        ended = time.time()
        # The crash comes once the updater watches the new build's window, as it would after
        # some seconds of a real build's life.
        if crash_new and world.s.wait_for(
                lambda: "The new build showed its window" in install.log(), 120, 0.5):
            for pid in world.s.processes("Ticker.exe"):
                os.kill(pid, signal.SIGKILL)
        world.s.wait_for(lambda: "Updater finished:" in install.log(), 180, 0.5)
        self.ticker = world.until(
            lambda: [t for t in world.tickers() if t["hwnd"] != first["hwnd"]],
            lambda: f"no ticker came back after {first['hwnd']}: {world.tickers()}; "
                    f"log:\n{install.log()}", 120)[0]
        self.back_after = time.time() - ended

    def wait_next_check(self):
        # Waits until the ticker that runs now has been through its own update check.
        #
        # The old ticker may or may not have reached the portal once after its check (it goes
        # on with its refresh while its window thread ends the program), so one request says
        # nothing. Two do: we keep asking the new ticker for "Update Now", which it ignores
        # until its first refresh, check included, is over; so whichever way the old one went,
        # the second request comes after the new ticker's check.
        self.world.wait_refreshes(2, update_now=True, timeout=120)
