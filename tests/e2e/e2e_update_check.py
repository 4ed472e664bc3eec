"""The update check of the real Ticker.exe against a real FTP server (vsftpd) in a private
network: when it looks at the server and when it does not, what counts as newer, and how the
download reaches the disk. The updater's own work is in e2e_update_install.py.

Times: vsftpd lists a file older than half a year with its date and year only, which the
ticker's FTP layer reads as noon of that day; a recent one with hour and minute, read in the
current year. The local Ticker.exe's time is its last-write time in local time, and Wine runs
with TZ=UTC here, so a file time set in UTC is the local time the ticker compares.
"""
import os
import time
import unittest

import update_world as u

u.private_network(__file__)

OLD_LOCAL = u.utc(2024, 1, 15, 12, 0)   # what the server lists as "Jan 15  2024"
OLD_SERVER_SAME = u.utc(2024, 1, 15, 17, 45)  # same listing: the time of day is not shown
OLD_SERVER_NEWER = u.utc(2024, 2, 1, 9, 30)


def payload(length):
    """Incompressible bytes, so the compressed file is larger than the check's buffer too."""
    return os.urandom(length)


class UpdateCheck(u.UpdateTest):
    def assert_no_message_box(self):
        self.assertEqual([], [b["title"] for b in self.s.windows("#32770")])

    def test_same_listing_time_is_no_update_and_a_second_refresh_does_not_look_again(self):
        install = self.install(program_time=OLD_LOCAL)
        self.ftp.publish(u.compress(payload(5000), self.s.work), OLD_SERVER_SAME)
        self.start_installed(install)
        self.assertTrue(self.wait_refreshes(1), "the first refresh never reached the portal")
        self.assertEqual(1, self.ftp.connections())
        self.assertEqual(1, self.ftp.listings(), "the check did not look for ticker.ex_")
        self.assertEqual(0, self.ftp.downloads())
        for name in ("zrt-comp.exe", "zrttemp.exe", "update.log"):
            self.assertFalse(install.file(name).exists(), name)

        self.assertTrue(self.refresh_until(2), "Update Now did not refresh")
        self.assertTrue(self.refresh_until(3), "Update Now did not refresh again")
        self.assertEqual(1, self.ftp.connections(), "a later refresh checked again")
        self.assertEqual(1, len(self.tickers()))
        self.assert_no_message_box()

    def test_same_time_to_the_minute_is_no_update(self):
        now = time.gmtime()
        stamp = u.utc(now.tm_year, now.tm_mon, now.tm_mday, now.tm_hour, now.tm_min) - 2 * 3600
        if time.gmtime(stamp).tm_year != now.tm_year:
            self.skipTest("two hours ago was last year: the listing would name no year")
        install = self.install(program_time=stamp)
        self.ftp.publish(u.compress(payload(5000), self.s.work), stamp + 30)  # same minute
        self.start_installed(install)
        self.assertTrue(self.wait_refreshes(1))
        self.assertEqual(1, self.ftp.listings())
        self.assertEqual(0, self.ftp.downloads())

    def test_without_the_program_file_the_check_never_touches_the_network(self):
        # "Path" names a folder without Ticker.exe; the ticker itself runs from elsewhere.
        install = self.install(with_program=False)
        self.ftp.publish(u.compress(payload(5000), self.s.work), u.utc(2030, 1, 1))
        elsewhere = self.s.prefix / "drive_c" / "elsewhere"
        elsewhere.mkdir()
        (elsewhere / "Ticker.exe").write_bytes(install.original)
        self.s.spawn(elsewhere / "Ticker.exe", timeout=900)
        self.assertTrue(self.wait(self.tickers, 60))
        self.assertTrue(self.wait_refreshes(1))
        self.assertEqual([], self.ftp.lines(), "the FTP server was contacted")
        self.assertEqual(["Update.exe"], sorted(p.name for p in install.dir.iterdir()))
        self.assert_no_message_box()

    def test_a_server_without_the_update_directory_changes_nothing(self):
        install = self.install(program_time=OLD_LOCAL)
        self.ftp.publish(b"not here", OLD_SERVER_NEWER, directory="pub/other")
        self.start_installed(install)
        self.assertTrue(self.wait_refreshes(1))
        self.assertEqual(1, self.ftp.connections())
        self.assertTrue(any('"CWD pub/ostrivane"' in line for line in self.ftp.lines()))
        self.assertEqual(0, self.ftp.listings())
        self.assertEqual(0, self.ftp.downloads())
        self.assertEqual(sorted(["Ticker.exe", "Update.exe"]),
                         sorted(p.name for p in install.dir.iterdir()))
        self.assertEqual(1, len(self.tickers()))
        self.assert_no_message_box()

    def test_a_failed_expansion_keeps_the_download_exactly_as_served(self):
        # The expanded file cannot be made (folders hold its name and the "...ex_" name that
        # LZ32 falls back on), so the compressed one stays: it must be the server's file to
        # the byte, longer than the 300,000-byte buffer and not a whole number of 50-byte
        # reads. Nothing is started.
        install = self.install(program_time=OLD_LOCAL)
        data = u.compress(payload(400_001), self.s.work)
        while len(data) % 50 == 0 or len(data) <= 300_000:
            data = u.compress(payload(400_001 + len(data) % 7 + 1), self.s.work)
        self.ftp.publish(data, OLD_SERVER_NEWER)
        install.file("zrttemp.exe").mkdir()
        install.file("zrttemp.ex_").mkdir()
        self.start_installed(install)
        self.assertTrue(self.wait_refreshes(1))
        self.assertEqual(1, self.ftp.downloads())
        kept = install.file("zrt-comp.exe")
        self.assertTrue(kept.is_file())
        self.assertEqual(len(data), kept.stat().st_size)
        self.assertEqual(data, kept.read_bytes())
        self.assertEqual("", install.log(), "the updater was started")
        self.assertEqual(install.original, install.program.read_bytes())
        self.assertEqual(1, len(self.tickers()))
        self.assert_no_message_box()

    def test_a_download_file_that_cannot_be_made_is_reported_by_name(self):
        install = self.install(program_time=OLD_LOCAL)
        self.ftp.publish(u.compress(payload(5000), self.s.work), OLD_SERVER_NEWER)
        install.file("zrt-comp.exe").mkdir()
        self.start_installed(install)
        boxes = self.wait(lambda: [b for b in self.s.windows("#32770")
                                    if b["title"] == "Failed to Create Temp File"], 90)
        self.assertTrue(boxes, "no message box")
        texts = [r["title"] for r in self.s.windows("Static") if r["parent"] == boxes[0]["hwnd"]]
        self.assertIn(r"C:\ostrivane\zrt-comp.exe", texts)
        self.assertEqual(0, int(boxes[0]["owner"], 16), "the box has an owner")
        self.assertEqual(0, self.content_requests(), "the refresh did not wait")
        self.post(boxes[0]["hwnd"], u.WM_COMMAND, 1)  # OK
        self.assertTrue(self.wait_refreshes(1), "the refresh did not go on after OK")
        self.assertFalse(install.file("zrttemp.exe").exists())
        self.assertEqual("", install.log())
        self.assertEqual(1, len(self.tickers()))

    def test_a_download_longer_than_its_listing_leaves_no_file_and_starts_nothing(self):
        # The listing shows a link, so the size it gives is the link's own: what comes after
        # it is refused as from a server that never ends, and the part that came is removed.
        install = self.install(program_time=OLD_LOCAL)
        build = self.ftp.publish(u.compress(payload(50_000), self.s.work), 0, name="build.bin")
        link = build.with_name("ticker.ex_")
        link.symlink_to(build.name)
        os.utime(link, (OLD_SERVER_NEWER, OLD_SERVER_NEWER), follow_symlinks=False)
        self.start_installed(install)
        self.assertTrue(self.wait_refreshes(1))
        self.assertEqual(1, self.ftp.count('"RETR'))
        for name in ("zrt-comp.exe", "zrttemp.exe"):
            self.assertFalse(install.file(name).exists(), name)
        self.assertEqual("", install.log(), "the updater was started")
        self.assertEqual(1, len(self.tickers()))

    def test_without_an_updater_the_ticker_runs_on_with_the_expanded_build(self):
        install = self.install(program_time=OLD_LOCAL, with_updater=False)
        original = payload(654_321)
        self.ftp.publish(u.compress(original, self.s.work), OLD_SERVER_NEWER)
        self.start_installed(install)
        self.assertTrue(self.wait_refreshes(1))
        self.assertEqual(1, self.ftp.downloads())
        expanded = install.file("zrttemp.exe")
        self.assertEqual(len(original), expanded.stat().st_size)
        self.assertEqual(original, expanded.read_bytes())
        self.assertFalse(install.file("zrt-comp.exe").exists(), "the download was not removed")
        self.assertEqual(install.original, install.program.read_bytes())
        self.assertEqual(1, len(self.tickers()), "the ticker closed with no updater to follow")
        self.assert_no_message_box()


if __name__ == "__main__":
    unittest.main(verbosity=2)
