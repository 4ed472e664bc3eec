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

ROOT = Path(__file__).resolve().parents[2]
SETUP_EXE = w.WIN_BIN / "installer" / "TickerSetup.exe"
UPDATE_EXE = w.WIN_BIN / "src" / "Update.exe"
HELP_PAGE = ROOT / "installer" / "zrthelp.html"

MAKER_KEY = r"HKLM\SOFTWARE\Ostrivane"
UNINSTALL_KEY = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Ostrivane Ticker"
DEFAULT_FOLDER = r"C:\Program Files\Tamzo!"
LINK_NAME = "Ostrivane Ticker.lnk"
MENU_FOLDER = "Ostrivane Ticker"
INSTALLED = {"Ticker.exe", "Update.exe", "zrthelp.html", "Uninstall.exe"}
FIRST_RUN_VALUES = {"US Headlines", "Stock Quotes", "Bold Font", "Show in Screen Saver",
                    "Weather", "Temperature System", "News Refresh", "Ticker Speed", "Airports",
                    "Stories per Topic"}

WAIT = 90.0  # seconds: generous, the machine may be loaded


# -- shell links ---------------------------------------------------------------------------------
def _zero_terminated(data, at, wide):
    # The text at data[at:] up to its terminating zero (UTF-16 when wide, else ANSI).
    if not wide:
        return data[at:data.index(b"\0", at)].decode("latin-1")
    end = at
    while data[end:end + 2] != b"\0\0":
        end += 2
    return data[at:end].decode("utf-16-le")


def read_shell_link(data):
    # The target and the string fields of a .lnk file (the shell's binary link format: a
    # 76-byte header, an optional ID list, the link info that names the target file, then
    # counted strings).
    if len(data) < 0x4C or struct.unpack_from("<I", data, 0)[0] != 0x4C:
        raise ValueError("not a shell link")
    flags = struct.unpack_from("<I", data, 0x14)[0]
    wide = bool(flags & 0x80)
    at = 0x4C
    if flags & 0x01:  # the target as an ID list: skipped, the link info names the file
        at += 2 + struct.unpack_from("<H", data, at)[0]
    link = {"target": None}
    if flags & 0x02:
        size, header, info_flags, _, base, _, suffix = struct.unpack_from("<7I", data, at)
        if info_flags & 0x01:  # a volume and a local path
            if header >= 0x24:  # the Unicode forms follow the ANSI offsets
                base, suffix = struct.unpack_from("<2I", data, at + 28)
            link["target"] = (_zero_terminated(data, at + base, header >= 0x24) +
                              _zero_terminated(data, at + suffix, header >= 0x24))
        at += size
    for bit, name in ((0x04, "description"), (0x08, "relative_path"), (0x10, "working_dir"),
                      (0x20, "arguments"), (0x40, "icon")):
        if flags & bit:
            count = struct.unpack_from("<H", data, at)[0] * (2 if wide else 1)
            raw = data[at + 2:at + 2 + count]
            # Some writers count the terminating zero as well.
            link[name] = raw.decode("utf-16-le" if wide else "latin-1").rstrip("\0")
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

    # -- helpers -------------------------------------------------------------------------------
    def unix(self, windows_path):
        # Where a Windows path of this prefix lies on disk, as Wine resolves it (short names
        # included); None when it names nothing.
        result = subprocess.run(["timeout", "-k", "5", "60", "winepath", "-u", windows_path],
                                env=self.s.env, stdin=subprocess.DEVNULL,
                                capture_output=True, text=True)
        path = Path(result.stdout.strip()) if result.returncode == 0 else None
        return path if path and path.exists() else None

    def same_place(self, windows_path, unix_path):
        place = self.unix(windows_path)
        return place is not None and unix_path.exists() and place.samefile(unix_path)

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

    def startup_folder(self):
        return find(self.programs_folder(), "StartUp")

    def user_links(self):
        users = self.drive_c / "users"
        return [p for p in users.rglob("*.lnk") if "ostrivane" in p.name.lower()]

    def check_installed(self, windows_folder):
        # Everything the installer adds, for a folder given as Windows path. Returns the
        # value of "Path".
        folder = self.folder_of(windows_folder)
        self.assertTrue(folder.is_dir(), f"no folder {folder}")
        self.assertEqual(INSTALLED, {p.name for p in folder.iterdir()})
        self.assertTrue(filecmp.cmp(w.TICKER_EXE, folder / "Ticker.exe", shallow=False))
        self.assertTrue(filecmp.cmp(UPDATE_EXE, folder / "Update.exe", shallow=False))
        self.assertTrue(filecmp.cmp(HELP_PAGE, folder / "zrthelp.html", shallow=False))

        # "Path": the folder, as REG_SZ, without a trailing backslash and without blanks (the
        # short form where the folder's long name has some).
        values = self.s.registry(SETTINGS_KEY)
        self.assertIsNotNone(values, "no settings key")
        path = values["Path"]
        self.assertEqual("REG_SZ", path["type"])
        self.assertFalse(path["data"].endswith("\\"), path["data"])
        self.assertNotIn(" ", path["data"])
        self.assertTrue(self.same_place(path["data"], folder), f"Path {path['data']!r}")

        # The Startup shortcut, for every user: Ticker.exe in the folder, started there.
        link_file = find(self.startup_folder(), LINK_NAME)
        self.assertIsNotNone(link_file, "no shortcut in the all-users Startup folder")
        link = read_shell_link(link_file.read_bytes())
        self.assertTrue(link["target"] and self.same_place(link["target"], folder / "Ticker.exe"),
                        f"shortcut target {link['target']!r}")
        self.assertTrue(self.same_place(link["working_dir"], folder), link.get("working_dir"))
        self.assertEqual([], self.user_links(), "shortcuts in a user's own folders")
        menu = find(self.programs_folder(), MENU_FOLDER)
        self.assertIsNotNone(menu, "no Start menu folder")
        self.assertEqual({"ticker.lnk", "ticker help.lnk"},
                         {p.name.lower() for p in menu.iterdir()})
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
        # done: the folder gone, or holding only `remaining`, and the entry gone.
        entry = self.s.registry(UNINSTALL_KEY)
        command = entry["QuietUninstallString"]["data"]
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

    def check_uninstalled(self, windows_folder):
        self.assertFalse(self.folder_of(windows_folder).exists())
        self.assertIsNone(find(self.startup_folder(), LINK_NAME))
        self.assertIsNone(find(self.programs_folder(), MENU_FOLDER))
        self.assertIsNone(self.s.registry(UNINSTALL_KEY))

    def start_from_startup_link(self):
        # Starts the ticker the way logon does: the shell opens the Startup shortcut.
        self.start_taskbar()
        link = find(self.startup_folder(), LINK_NAME)
        self.s.run("start", "/unix", link, timeout=60)
        shown = self.s.wait_for(lambda: (self.ticker() or {}).get("visible"), WAIT)
        self.assertTrue(shown, "the installed ticker did not come up beside the clock")

    # -- scenarios -----------------------------------------------------------------------------
    def test_install_start_open_help_and_uninstall(self):
        self.install()
        path = self.check_installed(DEFAULT_FOLDER)
        folder = self.folder_of(DEFAULT_FOLDER)
        self.assertEqual({"Path"}, set(self.s.registry(SETTINGS_KEY)), "the ticker has not run yet")

        # The installed ticker, started through the shortcut, finds its key, seeds it with its
        # first-run choices and fetches them from the portal.
        portal = self.start_portal("--frozen")
        self.start_from_startup_link()
        fetched = self.s.wait_for(
            lambda: FIRST_RUN_VALUES | {"Last Stock Update"} <= set(self.s.registry(SETTINGS_KEY)
                                                                    or {}), WAIT)
        self.assertTrue(fetched, f"no content came in: {self.s.registry(SETTINGS_KEY)}")
        self.assertTrue(any(r.get("path", "").startswith("/zrt/update")
                            for r in portal.requests()), portal.requests())
        self.assertEqual(path, self.s.registry(SETTINGS_KEY)["Path"]["data"])

        # "Help..." hands the installed page to the browser.
        self.start_browser("--netscape")
        self.command(ids.IDM_HELP)
        requests = self.dde_requests(2)
        service, topic, item = requests[0]
        self.assertEqual(("NETSCAPE", "WWW_OpenURL"), (service, topic))
        self.assertEqual(path + "\\zrthelp.html" + OPEN_TAIL, item)
        address = item[:-len(OPEN_TAIL)]
        self.assertTrue(self.same_place(address, folder / "zrthelp.html"), address)
        self.assertEqual(("NETSCAPE", "WWW_Activate"), requests[1][:2])

        # The uninstaller, with the ticker still running: it closes the ticker (which gives
        # its icons back), takes away what was installed and "Path", and keeps the settings.
        self.uninstall(DEFAULT_FOLDER)
        self.check_uninstalled(DEFAULT_FOLDER)
        self.assertEqual([], self.s.windows("Ticker"))
        self.assertEqual(self.base_icons, self.icon_count())
        kept = self.s.registry(SETTINGS_KEY)
        self.assertIsNotNone(kept, "the user's settings went with the program")
        self.assertEqual(FIRST_RUN_VALUES | {"Last Stock Update"}, set(kept))

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
        self.check_uninstalled(chosen)
        self.assertIsNone(self.s.registry(SETTINGS_KEY))
        self.assertIsNone(self.s.registry(MAKER_KEY))
        self.assertEqual(["readme.txt"], [p.name for p in theirs.parent.iterdir()])

    def test_installing_again_closes_the_running_ticker_and_keeps_the_settings(self):
        self.install()
        self.start_from_startup_link()
        self.s.reg_add(SETTINGS_KEY, "Stock Symbols", "IBM+MSFT", "REG_SZ")
        self.assertTrue(self.s.wait_for(
            lambda: FIRST_RUN_VALUES <= set(self.s.registry(SETTINGS_KEY) or {}), WAIT))
        # A file in the folder that is not the installer's.
        notes = self.folder_of(DEFAULT_FOLDER) / "notes.txt"
        notes.write_text("mine\n")

        self.install()
        self.assertTrue(self.s.wait_for(lambda: not self.s.windows("Ticker"), WAIT),
                        "the running ticker was not closed")
        self.assertEqual(self.base_icons, self.icon_count())
        values = self.s.registry(SETTINGS_KEY)
        self.assertEqual("IBM+MSFT", values["Stock Symbols"]["data"])
        self.assertTrue(FIRST_RUN_VALUES <= set(values))

        # The uninstaller leaves the user's file, and so the folder.
        self.uninstall(DEFAULT_FOLDER, remaining={"notes.txt"})
        self.assertEqual("mine\n", notes.read_text())
        self.assertIsNone(find(self.startup_folder(), LINK_NAME))
        self.assertNotIn("Path", self.s.registry(SETTINGS_KEY))


if __name__ == "__main__":
    unittest.main(verbosity=2)
