# The installer, TickerSetup.exe, run silently under Wine the way an administrator would run
# it: the files in the program folder, "Path" in the ticker's key, the all-users Startup
# shortcut and the Add/Remove Programs entry; the installed ticker started through that
# shortcut, its "Help..." handed to the browser as the installed help page; an installation
# over a running ticker; and the uninstaller taking away exactly what the installer added.
#
# The uninstaller copies itself to the temporary folder and runs from there, so its own
# process ends at once; the tests wait for what it does, not for it. Every wine call runs
# under `timeout`, and the session's close() ends every program the scenario started.
import filecmp
import struct
import subprocess
import unittest
from pathlib import Path, PureWindowsPath

import winetest as w
from names import KEY as SETTINGS_KEY, ids
from scene import OPEN_TAIL, TickerTest

SETUP_EXE = w.WIN_BIN / "installer" / "TickerSetup.exe"
MAKER_KEY = r"HKLM\SOFTWARE\Ostrivane"
UNINSTALL_KEY = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Ostrivane Ticker"
DEFAULT_FOLDER = r"C:\Program Files\Tamzo!"
LINK_NAME = "Ostrivane Ticker.lnk"
MENU_FOLDER = "Ostrivane Ticker"
INSTALLED = {"Ticker.exe": w.TICKER_EXE, "Update.exe": w.WIN_BIN / "src" / "Update.exe",
             "zrthelp.html": Path(__file__).resolve().parents[2] / "installer" / "zrthelp.html"}
FIRST_RUN_VALUES = {"US Headlines", "Stock Quotes", "Bold Font", "Show in Screen Saver",
                    "Weather", "Temperature System", "News Refresh", "Ticker Speed", "Airports",
                    "Stories per Topic"}
WAIT = 90.0  # seconds: generous, the machine may be loaded


def read_shell_link(data):
    # The target and the counted strings of a .lnk file (the shell's binary link format: a
    # 76-byte header, an optional ID list, the link info whose local path names the target,
    # then counted strings, UTF-16 when flag 0x80 is set).
    flags = struct.unpack_from("<I", data, 0x14)[0]
    at = 0x4C + (2 + struct.unpack_from("<H", data, 0x4C)[0] if flags & 0x01 else 0)
    link = {"target": None}
    if flags & 0x02:
        size, _, _, _, base = struct.unpack_from("<5I", data, at)
        link["target"] = data[at + base:data.index(b"\0", at + base)].decode("latin-1")
        at += size
    wide = 2 if flags & 0x80 else 1
    for bit, name in ((0x04, "description"), (0x08, "relative_path"), (0x10, "working_dir"),
                      (0x20, "arguments"), (0x40, "icon")):
        if flags & bit:
            count = struct.unpack_from("<H", data, at)[0] * wide
            # Some writers count the terminating zero as well.
            raw = data[at + 2:at + 2 + count]
            link[name] = raw.decode("utf-16-le" if wide == 2 else "latin-1").rstrip("\0")
            at += 2 + count
    return link


def find(root, *names):
    # The entry under root that the names lead to, case aside (Windows names), or None.
    for name in names:
        if not root or not root.is_dir():
            return None
        root = next((c for c in root.iterdir() if c.name.lower() == name.lower()), None)
    return root


class Installer(TickerTest):
    def setUp(self):
        self.assertTrue(SETUP_EXE.is_file(), f"{SETUP_EXE} was not built (makensis missing?)")
        super().setUp()
        self.drive_c = self.s.prefix / "drive_c"

    def same_place(self, windows_path, unix_path):
        # Whether a Windows path of this prefix names unix_path, as Wine resolves it (short
        # names included).
        result = subprocess.run(["timeout", "-k", "5", "60", "winepath", "-u", windows_path],
                                env=self.s.env, stdin=subprocess.DEVNULL,
                                capture_output=True, text=True)
        place = Path(result.stdout.strip())
        return result.returncode == 0 and place.exists() and unix_path.exists() and \
            place.samefile(unix_path)

    def install(self, folder=None):
        if folder is None:
            result = self.s.run(SETUP_EXE, "/S", timeout=180)
        else:
            # "/D=" comes last and unquoted, blanks and all, as Windows passes a command line
            # on. Wine would quote an argument with blanks, so cmd hands the line over whole.
            setup = "Z:" + str(SETUP_EXE).replace("/", "\\")
            self.assertNotIn(" ", setup)
            result = self.s.run("cmd", "/c", f"{setup} /S /D={folder}", timeout=180)
        self.assertEqual(0, result.returncode, f"setup failed: {result.stderr[-2000:]}")
        # Setup has finished when its entry is there.
        self.assertTrue(self.s.wait_for(lambda: self.s.registry(UNINSTALL_KEY), WAIT),
                        "setup did not finish")

    def folder_of(self, windows_folder):
        return self.drive_c / Path(*PureWindowsPath(windows_folder).parts[1:])

    def programs_folder(self):
        return find(self.drive_c, "ProgramData", "Microsoft", "Windows", "Start Menu", "Programs")

    def check_installed(self, windows_folder):
        # Everything the installer adds, for a folder given as Windows path. Returns the
        # value of "Path".
        folder = self.folder_of(windows_folder)
        self.assertTrue(folder.is_dir(), f"no folder {folder}")
        self.assertEqual(set(INSTALLED) | {"Uninstall.exe"}, {p.name for p in folder.iterdir()})
        for name, built in INSTALLED.items():
            self.assertTrue(filecmp.cmp(built, folder / name, shallow=False), name)

        # "Path": the folder, as REG_SZ, without a trailing backslash and without blanks (the
        # short form where the folder's long name has some).
        path = (self.s.registry(SETTINGS_KEY) or {}).get("Path")
        self.assertEqual("REG_SZ", path and path["type"], "no Path")
        self.assertFalse(path["data"].endswith("\\"), path["data"])
        self.assertNotIn(" ", path["data"])
        self.assertTrue(self.same_place(path["data"], folder), f"Path {path['data']!r}")

        # The Startup shortcut, for every user: Ticker.exe in the folder, started there; the
        # Start menu's two.
        link_file = find(self.programs_folder(), "StartUp", LINK_NAME)
        self.assertIsNotNone(link_file, "no shortcut in the all-users Startup folder")
        link = read_shell_link(link_file.read_bytes())
        self.assertTrue(link["target"] and self.same_place(link["target"], folder / "Ticker.exe"),
                        f"shortcut target {link['target']!r}")
        self.assertTrue(self.same_place(link["working_dir"], folder), link.get("working_dir"))
        self.assertEqual([], [p for p in (self.drive_c / "users").rglob("*.lnk")
                              if "ostrivane" in p.name.lower()], "shortcuts in a user's folders")
        menu = find(self.programs_folder(), MENU_FOLDER)
        self.assertEqual({"ticker.lnk", "ticker help.lnk"},
                         {p.name.lower() for p in menu.iterdir()} if menu else None)
        help_link = read_shell_link(find(menu, "Ticker Help.lnk").read_bytes())
        self.assertTrue(self.same_place(help_link["target"], folder / "zrthelp.html"))

        # Add/Remove Programs.
        entry = self.s.registry(UNINSTALL_KEY)
        self.assertIsNotNone(entry, "no Add/Remove Programs entry")
        self.assertEqual("Ostrivane Ticker", entry["DisplayName"]["data"])
        uninstaller = entry["UninstallString"]["data"]
        self.assertTrue(uninstaller.startswith('"') and uninstaller.endswith('"'), uninstaller)
        self.assertTrue(self.same_place(uninstaller.strip('"'), folder / "Uninstall.exe"))
        self.assertEqual(uninstaller + " /S", entry["QuietUninstallString"]["data"])
        self.assertTrue(self.same_place(entry["InstallLocation"]["data"], folder))
        return path["data"]

    def uninstall(self, windows_folder, remaining=()):
        # Runs the uninstaller as Add/Remove Programs would, silently, and waits until it has
        # done: the folder gone, or holding only `remaining`, and the entry gone. The
        # shortcuts go too.
        command = self.s.registry(UNINSTALL_KEY)["QuietUninstallString"]["data"]
        program, _, options = command[1:].partition('"')
        result = self.s.run(program, *options.split(), timeout=120)
        self.assertEqual(0, result.returncode, result.stderr[-2000:])
        folder = self.folder_of(windows_folder)

        def left():
            return sorted(p.name for p in folder.iterdir()) if folder.exists() else None

        expected = sorted(remaining) or None
        done = self.s.wait_for(lambda: left() == expected and
                                     self.s.registry(UNINSTALL_KEY) is None, WAIT, 0.5)
        self.assertTrue(done, f"left behind: {left()}")
        self.assertIsNone(find(self.programs_folder(), "StartUp", LINK_NAME))
        self.assertIsNone(find(self.programs_folder(), MENU_FOLDER))

    def start_from_startup_link(self):
        # Starts the ticker the way logon does: the shell opens the Startup shortcut.
        self.s.run("start", "/unix", find(self.programs_folder(), "StartUp", LINK_NAME), timeout=60)
        shown = self.s.wait_for(lambda: (self.ticker() or {}).get("visible"), WAIT)
        self.assertTrue(shown, "the installed ticker did not come up beside the clock")

    def test_install_start_install_again_over_it_and_uninstall(self):
        self.install()
        path = self.check_installed(DEFAULT_FOLDER)
        folder = self.folder_of(DEFAULT_FOLDER)
        self.assertEqual({"Path"}, set(self.s.registry(SETTINGS_KEY)), "the ticker has not run yet")

        # The installed ticker, started through the shortcut, finds its key, seeds it with its
        # first-run choices and fetches them from the portal.
        portal = self.start_portal("--frozen")
        self.start_taskbar()
        self.start_from_startup_link()
        seeded = FIRST_RUN_VALUES | {"Last Stock Update"}
        self.assertTrue(self.s.wait_for(lambda: seeded <= set(self.s.registry(SETTINGS_KEY) or {}),
                                        WAIT), f"no content came in: {self.registry()}")
        self.assertTrue(any(r.get("path", "").startswith("/zrt/update")
                            for r in portal.requests()), portal.requests())
        self.assertEqual(path, self.registry()["Path"])

        # "Help..." hands the installed page to the browser.
        self.start_browser("--netscape")
        self.command(ids.IDM_HELP)
        self.assertEqual(("NETSCAPE", "WWW_OpenURL", path + "\\zrthelp.html" + OPEN_TAIL),
                         self.dde_requests(1)[0])

        # Installing again closes the running ticker (which gives its icons back) and keeps
        # the user's settings, and a file of theirs in the folder.
        self.s.reg_add(SETTINGS_KEY, "Stock Symbols", "IBM+MSFT", "REG_SZ")
        (folder / "notes.txt").write_text("mine\n")
        self.install()
        self.assertTrue(self.s.wait_for(lambda: not self.s.windows("Ticker"), WAIT),
                        "the running ticker was not closed")
        self.assertEqual(self.base_icons, self.icon_count())
        self.assertEqual("IBM+MSFT", self.registry()["Stock Symbols"])

        # The uninstaller, with the ticker running again: it closes the ticker, takes away what
        # was installed and "Path", and keeps the settings and the user's file (so the folder).
        self.start_from_startup_link()
        self.uninstall(DEFAULT_FOLDER, remaining={"notes.txt"})
        self.assertEqual("mine\n", (folder / "notes.txt").read_text())
        self.assertEqual([], self.s.windows("Ticker"))
        self.assertEqual(self.base_icons, self.icon_count())
        self.assertEqual(seeded | {"Stock Symbols"}, set(self.registry()),
                         "the user's settings went with the program, or Path stayed")

    def test_a_folder_with_blanks_is_kept_as_its_short_name(self):
        chosen = r"C:\Ostrivane Tools\Tamzo Ticker"
        # The folder above it is the user's, with something of theirs in it.
        theirs = self.folder_of(r"C:\Ostrivane Tools") / "readme.txt"
        theirs.parent.mkdir()
        theirs.write_text("mine\n")
        self.install(chosen)
        path = self.check_installed(chosen)
        self.assertFalse(self.folder_of(DEFAULT_FOLDER).exists())
        self.assertNotEqual(chosen.lower(), path.lower())

        # Installing again without naming a folder goes to the same one.
        self.install()
        self.assertEqual(path, self.check_installed(chosen))
        self.assertFalse(self.folder_of(DEFAULT_FOLDER).exists())

        # Removed before the ticker ever ran: nothing of the user's was in the key, so the
        # maker's key goes as well. The folder above stays as it was.
        self.uninstall(chosen)
        self.assertIsNone(self.s.registry(SETTINGS_KEY))
        self.assertIsNone(self.s.registry(MAKER_KEY))
        self.assertEqual(["readme.txt"], [p.name for p in theirs.parent.iterdir()])


if __name__ == "__main__":
    unittest.main(verbosity=2)
