# Builds the real Update.exe must not install: one nobody signed, one signed with another key,
# one changed after it was signed, and a signed build for the other processor. Each time the
# installed build stays byte for byte, the old ticker is back within a minute, and it does not
# fetch the same file again, though the server lists it years ahead of the local clock.
import unittest

import update_world as u

u.private_network(__file__)


class UpdateRefuse(u.UpdateTest):
    def refused(self, served, reason):
        install = self.install(program_time=u.OLD_LOCAL)
        run = u.UpdateRun(self, install, u.compress(served(install), self.s.work),
                          listed=u.utc(2099, 1, 1))

        self.assertIsNotNone(run.ticker, f"no ticker came back: {run.explain()}")
        self.assertLess(run.back_after, 60, "the ticker took over a minute to come back")
        log = install.log()
        self.assertRegex(log, f"Refused the new build: {reason}\\.")
        self.assertIn("The old build is running.", log)
        self.assertIn("Updater finished: the old build stays.", log)
        self.assertNotIn("Installed", log)
        self.assertEqual(install.original, install.program.read_bytes())
        self.assertEqual([], [name for name in ("zrttemp.exe", "zrt-comp.exe", "Ticker.bak")
                              if install.file(name).exists()])
        self.assertTrue(run.wait_next_check(), "the old ticker never refreshed")
        self.assertEqual(2, self.ftp.listings())
        self.assertEqual(1, self.ftp.downloads(), "the refused file was fetched again")
        self.assertEqual(1, len(self.tickers()))

    def test_an_unsigned_build_is_refused(self):
        self.refused(lambda install: u.build(install.original, b"unsigned"),
                     "it carries no signature")

    def test_a_build_signed_with_another_key_is_refused(self):
        # Signed with another key under our key's id, so that only the signature check itself
        # stands in the way (a trailer naming another key is refused before it).
        def served(install):
            data = u.signed(u.build(install.original, b"other key"), self.s.work,
                            u.new_key(self.s.work))
            ours = install.original[-24:-16]
            return data[:-24] + ours + data[-16:]
        self.refused(served, r"its signature does not match its contents \(error .*\)")

    def test_a_build_changed_after_signing_is_refused(self):
        def served(install):
            data = bytearray(u.signed(u.build(install.original, b"changed"), self.s.work))
            data[0x4E] ^= 0x20  # "This program cannot be run..." begins with a "t" now
            return bytes(data)
        self.refused(served, r"its signature does not match its contents \(error .*\)")

    def test_a_signed_build_for_the_other_processor_is_refused(self):
        # The era's 32-bit build, signed like ours: a sound program, but not for this (x86-64)
        # updater's machine.
        other = u.WIN32_BIN / "src" / "Ticker.exe"
        if not other.exists():
            self.skipTest(f"no i686 build in {u.WIN32_BIN}")
        # (That it is a 32-bit program is the i686_build test's.)
        self.refused(lambda install: other.read_bytes(), "built for another kind of processor")


if __name__ == "__main__":
    unittest.main(verbosity=2)
