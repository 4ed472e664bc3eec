"""Downloads the real Update.exe must not install: junk from a damaged compressed file (LZ
expansion turns it into junk without any error) and a build for the other processor. Either
way the installed build stays, the old ticker comes back, and it does not fetch the same file
again at its own check."""
import os
import struct
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent / "update"))
import update_world as u  # noqa: E402

u.private_network(__file__)


def damaged(packed):
    """The LZ header of a real compressed build, then noise where the compressed data was."""
    return packed[:14] + os.urandom(len(packed) - 14)


class UpdateRefuse(unittest.TestCase):
    def refused(self, served, reason):
        world = u.World(f"update_refuse_{self._testMethodName}")
        self.addCleanup(world.close)
        install = u.Install(world.session, program_time=u.OLD_LOCAL)
        before = time.time()
        run = u.UpdateRun(world, install, served(install, world))

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
        self.assertEqual(2, world.ftp.listings())
        self.assertEqual(1, world.ftp.downloads(), "the refused file was fetched again")
        self.assertEqual(1, len(world.tickers()))
        return log

    def test_junk_from_a_damaged_download_is_refused(self):
        def served(install, world):
            packed = u.compress(install.original, world.work)
            return damaged(packed)
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
        self.refused(lambda install, world: u.compress(data, world.work),
                     r"built for another kind of processor")


if __name__ == "__main__":
    unittest.main(verbosity=2)
