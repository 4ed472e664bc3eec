# The update check of the real Ticker.exe against a real FTP server (vsftpd) in a private
# network: when it looks at the server and when it does not, what counts as newer, and how the
# download reaches the disk. The updater's own work is in e2e_update_install.py.
#
# Times: vsftpd lists a file older than half a year with its date and year only, which the
# ticker's FTP layer reads as noon of that day; a recent one with hour and minute, read in the
# current year. The local Ticker.exe's time is its last-write time in local time, and Wine runs
# with TZ=UTC here, so a file time set in UTC is the local time the ticker compares.
import os
import time
import unittest

import update_world as u
from names import WM_COMMAND

u.private_network(__file__)

OLD_SERVER_SAME = u.utc(2024, 1, 15, 17, 45)  # listed as "Jan 15  2024", as u.OLD_LOCAL is
LEFT = ("zrt-comp.exe", "zrttemp.exe", "zrttemp.ex_", "update.log")  # what a check may leave


class UpdateCheck(u.UpdateTest):
    def first_check(self, listed, data=None, folders=(), directory="pub/ostrivane", wait=True,
                    **install_options):
        # Publishes data (by default 5000 incompressible bytes, compressed) in directory as
        # listed, makes the given folders in the install directory and starts the installed
        # ticker. Returns the install, once the first refresh is past its check unless wait is
        # false.
        install = u.Install(self.s, **install_options)
        self.ftp.publish(data or u.compress(os.urandom(5000), self.s.work), listed,
                         directory=directory)
        for name in folders:
            install.file(name).mkdir()
        self.start_installed(install)
        if wait:
            self.wait_refreshes(1)
        return install

    def assert_left(self, install, names):
        # The files of LEFT found in the install directory, and one ticker running with no
        # message box.
        self.assertEqual(names, [name for name in LEFT if install.file(name).is_file()])
        self.assertEqual(1, len(self.tickers()))
        self.assertEqual([], [b["title"] for b in self.s.windows("#32770")])

    def test_same_listing_time_is_no_update_and_a_second_refresh_does_not_look_again(self):
        install = self.first_check(OLD_SERVER_SAME)
        self.assertEqual(1, self.ftp.count(u.CONNECTS))
        self.assertEqual(1, self.ftp.count(u.LISTINGS), "the check did not look for ticker.ex_")
        self.assertEqual(0, self.ftp.count(u.DOWNLOADS))
        self.wait_refreshes(3, update_now=True)
        self.assertEqual(1, self.ftp.count(u.CONNECTS), "a later refresh checked again")
        self.assert_left(install, [])

    def test_same_time_to_the_minute_is_no_update(self):
        now = time.gmtime()
        stamp = u.utc(now.tm_year, now.tm_mon, now.tm_mday, now.tm_hour, now.tm_min) - 2 * 3600
        if time.gmtime(stamp).tm_year != now.tm_year:
            self.skipTest("two hours ago was last year: the listing would name no year")
        self.first_check(stamp + 30, program_time=stamp)  # the same minute
        self.assertEqual((1, 0), (self.ftp.count(u.LISTINGS), self.ftp.count(u.DOWNLOADS)))

    def test_without_the_program_file_the_check_never_touches_the_network(self):
        # "Path" names a folder without Ticker.exe; the ticker itself runs from elsewhere.
        install = u.Install(self.s, with_program=False)
        self.ftp.publish(u.compress(os.urandom(5000), self.s.work), u.utc(2030, 1, 1))
        elsewhere = self.s.prefix / "drive_c" / "elsewhere" / "Ticker.exe"
        elsewhere.parent.mkdir()
        elsewhere.write_bytes(install.original)
        self.start_installed(install, elsewhere)
        self.wait_refreshes(1)
        self.assertEqual(0, self.ftp.count(""), "the FTP server was contacted")
        self.assertEqual(["Update.exe"], sorted(p.name for p in install.dir.iterdir()))
        self.assert_left(install, [])

    def test_a_server_without_the_update_directory_changes_nothing(self):
        install = self.first_check(u.SERVER_NEWER, b"not here", directory="pub/other")
        self.assertEqual(1, self.ftp.count(u.CONNECTS))
        self.assertTrue(self.ftp.count('"CWD pub/ostrivane"'))
        self.assertEqual((0, 0), (self.ftp.count(u.LISTINGS), self.ftp.count(u.DOWNLOADS)))
        self.assertEqual(["Ticker.exe", "Update.exe"],
                         sorted(p.name for p in install.dir.iterdir()))
        self.assert_left(install, [])

    def test_a_failed_expansion_keeps_the_download_exactly_as_served(self):
        # The expanded file cannot be made (folders hold its name and the "...ex_" name that
        # LZ32 falls back on), so the compressed one stays: it must be the server's file to
        # the byte, longer than the 300,000-byte buffer and not a whole number of 50-byte
        # reads. Nothing is started.
        data = u.compress(os.urandom(400_001), self.s.work)
        while len(data) % 50 == 0 or len(data) <= 300_000:
            data = u.compress(os.urandom(400_001 + len(data) % 7 + 1), self.s.work)
        install = self.first_check(u.SERVER_NEWER, data, ("zrttemp.exe", "zrttemp.ex_"))
        self.assertEqual(data, install.file("zrt-comp.exe").read_bytes())
        self.assertEqual(install.original, install.program.read_bytes())
        self.assertEqual(1, self.ftp.count(u.DOWNLOADS))
        self.assert_left(install, ["zrt-comp.exe"])  # and no update.log: nothing was started

    def test_a_download_file_that_cannot_be_made_is_reported_by_name(self):
        install = self.first_check(u.SERVER_NEWER, folders=["zrt-comp.exe"], wait=False)
        box = self.dialog("Failed to Create Temp File", 90)
        self.assertIn(r"C:\ostrivane\zrt-comp.exe", self.texts(box))
        self.assertEqual(0, int(box["owner"], 16), "the box has an owner")
        self.assertFalse(self.refreshed(1), "the refresh did not wait")
        self.post(box["hwnd"], WM_COMMAND, 1)  # OK
        self.wait_refreshes(1)  # the refresh goes on after OK
        self.assert_left(install, [])

    def test_a_download_longer_than_its_listing_leaves_no_file_and_starts_nothing(self):
        # The listing shows a link, so the size it gives is the link's own: what comes after
        # it is refused as from a server that never ends, and the part that came is removed.
        install = u.Install(self.s)
        build = self.ftp.publish(u.compress(os.urandom(50_000), self.s.work), 0, name="build.bin")
        link = build.with_name("ticker.ex_")
        link.symlink_to(build.name)
        os.utime(link, (u.SERVER_NEWER, u.SERVER_NEWER), follow_symlinks=False)
        self.start_installed(install)
        self.wait_refreshes(1)
        self.assertEqual(1, self.ftp.count('"RETR'))
        self.assert_left(install, [])

    def test_without_an_updater_the_ticker_runs_on_with_the_expanded_build(self):
        original = os.urandom(654_321)
        install = self.first_check(u.SERVER_NEWER, u.compress(original, self.s.work),
                                   with_updater=False)
        self.assertEqual(original, install.file("zrttemp.exe").read_bytes())
        self.assertEqual(install.original, install.program.read_bytes())
        # The download is removed, and the ticker does not close with no updater to follow.
        self.assertEqual(1, self.ftp.count(u.DOWNLOADS))
        self.assert_left(install, ["zrttemp.exe"])


if __name__ == "__main__":
    unittest.main(verbosity=2)
