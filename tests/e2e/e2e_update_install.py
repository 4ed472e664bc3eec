"""A newer build on the update server, all the way through: the real ticker finds it,
downloads and expands it, starts the real Update.exe and closes; the updater puts the new build
in place, keeps the old one, and the ticker comes back. Also the new build that ends at once,
which the updater takes out again. (Files the updater refuses: e2e_update_refuse.py.)

The "new build" is the real Ticker.exe with a marker after its last section: to the loader
the same program, to every file comparison another build, so what comes up is honestly a
ticker and honestly the new file."""
import time
import unittest

import update_world as u

u.private_network(__file__)


class UpdateInstall(u.UpdateTest):

    def test_a_newer_build_is_installed_kept_apart_from_the_old_and_comes_up(self):
        install = self.install(program_time=u.OLD_LOCAL)
        new_build = u.with_marker(install.original, b"build 2 of the ticker")
        run = u.UpdateRun(self, install, u.compress(new_build, self.s.work))

        self.assertIsNotNone(run.ticker, f"no ticker came back: {run.explain()}")
        self.assertEqual(new_build, install.program.read_bytes(), "the new build is not in place")
        self.assertEqual(install.original, install.file("Ticker.bak").read_bytes())
        for name in ("zrttemp.exe", "zrt-comp.exe"):
            self.assertFalse(install.file(name).exists(), name)
        self.assertEqual(1, len(self.tickers()))
        log = install.log()
        for step in ("Update started in C:\\ostrivane", "No ticker is running.",
                     f"The new build ({len(new_build)} bytes) is a Windows program for x86-64.",
                     "Kept the old build as C:\\ostrivane\\Ticker.bak",
                     "Installed the new build as C:\\ostrivane\\Ticker.exe",
                     "The new build is running.",
                     "Updater finished: the new build is installed."):
            self.assertIn(step, log)
        # Every line carries its date and time.
        for line in log.splitlines():
            self.assertRegex(line, r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d  \S")

        # The new ticker checks too, and finds nothing newer than itself.
        self.assertTrue(run.wait_next_check(), "the new ticker never refreshed")
        self.assertEqual(2, self.ftp.listings())
        self.assertEqual(1, self.ftp.downloads())
        self.assertEqual(new_build, install.program.read_bytes())

    def test_a_new_build_that_ends_at_once_is_taken_out_and_the_old_one_returns(self):
        install = self.install(program_time=u.OLD_LOCAL)
        broken = u.entry_returns_at_once(u.with_marker(install.original, b"build 3"))
        before = time.time()
        run = u.UpdateRun(self, install, u.compress(broken, self.s.work))

        self.assertIsNotNone(run.ticker, f"no ticker came back: {run.explain()}")
        self.assertEqual(install.original, install.program.read_bytes(), "the old build is gone")
        self.assertFalse(install.file("Ticker.bak").exists())
        self.assertFalse(install.file("zrttemp.exe").exists())
        log = install.log()
        self.assertIn("The new build ended without showing its window (exit code 0).", log)
        self.assertIn("Put the old build back into C:\\ostrivane\\Ticker.exe", log)
        self.assertIn("The old build is running.", log)
        self.assertIn("Updater finished: the old build stays.", log)
        # Marked as tried now, so the restarted ticker does not fetch the same build again.
        self.assertGreaterEqual(install.program.stat().st_mtime, before - 5)
        self.assertTrue(run.wait_next_check(), "the old ticker never refreshed")
        self.assertEqual(2, self.ftp.listings())
        self.assertEqual(1, self.ftp.downloads(), "the bad build was fetched again")
        self.assertEqual(1, len(self.tickers()))


if __name__ == "__main__":
    unittest.main(verbosity=2)
