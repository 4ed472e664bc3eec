# A newer signed build on the update server, all the way through: the real ticker finds it,
# downloads and expands it, starts the real Update.exe and closes; the updater puts the new build
# in place, keeps the old one, and the ticker comes back, once per published build. Also the new
# build that dies after showing its window, which the updater takes out again, and every other
# way out of the updater, each of which leaves the installed ticker running. (Builds the
# updater refuses: e2e_update_refuse.py.)
import os
import signal
import time
import unittest

import update_world as u
from names import ids

u.private_network(__file__)


class UpdateInstall(u.UpdateTest):
    # The server lists its files in a zone ten hours east of the ticker's: a build published
    # now is listed hours ahead of the ticker's clock.
    server_zone = "XYZ-10"

    def test_a_signed_newer_build_is_installed_once_and_comes_up(self):
        now = time.time()
        if time.gmtime(now + 36000).tm_year != time.gmtime(now).tm_year:
            self.skipTest("the listing would fall in next year, and it names no year")
        install = self.install(program_time=u.OLD_LOCAL)
        new_build = u.signed(u.build(install.original, b"build 2 of the ticker"), self.s.work)
        run = u.UpdateRun(self, install, u.compress(new_build, self.s.work), listed=now)

        self.assertIsNotNone(run.ticker, f"no ticker came back: {run.explain()}")
        self.assertEqual(new_build, install.program.read_bytes(), "the new build is not in place")
        self.assertEqual(install.original, install.file("Ticker.bak").read_bytes())
        left = [n for n in ("zrttemp.exe", "zrt-comp.exe") if install.file(n).exists()]
        self.assertEqual([], left)
        self.assertEqual(1, len(self.tickers()))
        log = install.log()
        for step in ("Update started in C:\\ostrivane", "No ticker is running.",
                     f"The new build ({len(new_build)} bytes) is signed with our key and is a "
                     "Windows program for x86-64.",
                     "Kept the old build as C:\\ostrivane\\Ticker.bak",
                     "Installed the new build as C:\\ostrivane\\Ticker.exe",
                     "The new build is running.",
                     "Updater finished: the new build is installed."):
            self.assertIn(step, log)
        # Every line carries its date and time.
        for line in log.splitlines():
            self.assertRegex(line, r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d  \S")

        # The new ticker checks too, and its own listing, hours ahead, is not newer than itself.
        self.assertTrue(run.wait_next_check(), "the new ticker never refreshed")
        self.assertEqual(2, self.ftp.listings())
        self.assertEqual(1, self.ftp.downloads(), "the same build was fetched again")

    def test_a_new_build_that_dies_after_showing_its_window_is_taken_out(self):
        install = self.install(program_time=u.OLD_LOCAL)
        new_build = u.signed(u.build(install.original, b"build 3"), self.s.work)
        run = u.UpdateRun(self, install, u.compress(new_build, self.s.work), crash_new=True)

        self.assertIsNotNone(run.ticker, f"no ticker came back: {run.explain()}")
        self.assertEqual(install.original, install.program.read_bytes(), "the old build is gone")
        self.assertEqual([], [n for n in ("Ticker.bak", "zrttemp.exe") if install.file(n).exists()],
                         "left behind")
        for step in ("The new build ended within seconds of showing its window",
                     "Put the old build back into C:\\ostrivane\\Ticker.exe",
                     "The old build is running.", "Updater finished: the old build stays."):
            self.assertIn(step, install.log())
        self.assertTrue(run.wait_next_check(), "the old ticker never refreshed")
        self.assertEqual(1, self.ftp.downloads(), "the failed build was fetched again")
        self.assertEqual(1, len(self.tickers()))

    def test_every_way_out_of_the_updater_leaves_the_installed_ticker_running(self):
        install = self.install(program_time=u.OLD_LOCAL)
        updater = install.file("Update.exe")
        install.file("update.log").write_bytes(b"earlier runs\r\n" * 5000)  # past 64 KB

        # Nothing to install and no ticker: the updater starts the installed one.
        self.assertEqual(2, self.s.run(updater, timeout=120).returncode)
        first = self.wait(self.tickers, 60)
        self.assertTrue(first, install.log())
        self.assertIn("Nothing to install", install.log())
        self.assertIn(b"earlier runs", install.file("update.log.1").read_bytes())

        # A ticker that will not close (stopped, as a hung one would be) stays, and nothing is
        # replaced while it runs.
        new_build = u.signed(u.build(install.original, b"build 4"), self.s.work)
        install.file("zrttemp.exe").write_bytes(new_build)
        hung = self.s.processes("Ticker.exe")
        for pid in hung:
            os.kill(pid, signal.SIGSTOP)
        try:
            self.assertEqual(2, self.s.run(updater, timeout=120).returncode)
        finally:
            for pid in hung:
                os.kill(pid, signal.SIGCONT)
        self.assertIn("did not end, not even when asked; nothing was replaced", install.log())
        self.assertEqual(install.original, install.program.read_bytes())
        self.assertEqual([first[0]["hwnd"]], [t["hwnd"] for t in self.tickers()])

        # Two updaters at once with no ticker running: one installs, the other waits for it,
        # finds nothing left to install and the new ticker running.
        self.s.send("class:Ticker", ids.WM_TICKER_CLOSE)
        self.assertTrue(self.wait(lambda: not self.tickers(), 60))
        for proc in [self.s.spawn(updater), self.s.spawn(updater)]:
            proc.wait(timeout=240)
        log = install.log()
        self.assertIn("Another updater is running; waiting for it to finish.", log)
        self.assertEqual(2, log.count("Nothing to install"))
        self.assertEqual(new_build, install.program.read_bytes())
        self.assertEqual(1, len(self.tickers()))


if __name__ == "__main__":
    unittest.main(verbosity=2)
