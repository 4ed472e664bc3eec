"""Downloads the real Update.exe must not install: junk from a damaged compressed file (LZ
expansion turns it into junk without any error) and a build for the other processor. Either
way the installed build stays, the old ticker comes back, and it does not fetch the same file
again at its own check."""
import os
import struct
import time
import unittest

import update_world as u

u.private_network(__file__)


def damaged(packed):
    """The LZ header of a real compressed build, then noise where the compressed data was."""
    return packed[:14] + os.urandom(len(packed) - 14)


class UpdateRefuse(u.UpdateTest):
    def refused(self, served, reason):
        install = self.install(program_time=u.OLD_LOCAL)
        before = time.time()
        run = u.UpdateRun(self, install, served(install))

        self.assertIsNotNone(run.ticker, f"no ticker came back: {run.explain()}")
        log = install.log()
        self.assertRegex(log, f"Refused the new build: {reason}\\.")
        self.assertIn("The old build is running.", log)
        self.assertIn("Updater finished: the old build stays.", log)
        self.assertNotIn("Installed", log)
        self.assertEqual(install.original, install.program.read_bytes())
        for name in ("zrttemp.exe", "zrt-comp.exe", "Ticker.bak"):
            self.assertFalse(install.file(name).exists(), name)
        self.assertGreaterEqual(install.program.stat().st_mtime, before - 5)
        self.assertTrue(run.wait_next_check(), "the old ticker never refreshed")
        self.assertEqual(2, self.ftp.listings())
        self.assertEqual(1, self.ftp.downloads(), "the refused file was fetched again")
        self.assertEqual(1, len(self.tickers()))
        return log

    def test_junk_from_a_damaged_download_is_refused(self):
        def served(install):
            return damaged(u.compress(install.original, self.s.work))
        # Almost always "no MZ header"; junk that happens to start with "MZ" fails further on.
        self.refused(served, r"(not a Windows program|its PE header|the file is cut short).*")

    def test_a_build_for_the_other_processor_is_refused(self):
        # The era's 32-bit build: a sound program, but not for this (x86-64) updater's machine.
        other = u.WIN32_BIN / "src" / "Ticker.exe"
        if not other.exists():
            other = u.WIN32_BIN / "src" / "Update.exe"
        if not other.exists():
            self.skipTest(f"no i686 build in {u.WIN32_BIN}")
        data = other.read_bytes()
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        self.assertEqual(0x14C, struct.unpack_from("<H", data, pe + 4)[0])
        self.refused(lambda install: u.compress(data, self.s.work),
                     r"built for another kind of processor")


if __name__ == "__main__":
    unittest.main(verbosity=2)
