# The help page that the installer puts beside the ticker: every link inside it reaches an
# anchor that exists, every local file it names (pictures, other pages) is there and is
# installed with it, nothing points at a fixed place on some disk, and the contents list every
# section. Runs natively; no Wine needed.
#
#     help_links_test.py [PAGE]      (default: installer/zrthelp.html)
import re
import sys
import unittest
from html.parser import HTMLParser
from pathlib import Path
from urllib.parse import unquote, urlsplit

ROOT = Path(__file__).resolve().parents[2]
PAGE = Path(sys.argv.pop(1)) if len(sys.argv) > 1 else ROOT / "installer" / "zrthelp.html"
INSTALLER_SCRIPT = PAGE.parent / "ticker.nsi"


class PageReader(HTMLParser):
    # Collects anchors, references and the section headings with the anchors inside them.

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.anchors = []     # (name, line)
        self.references = []  # (tag, attribute, value, line)
        self.sections = []    # anchor names inside <h2>
        self._in_h2 = False

    def handle_starttag(self, tag, attrs):
        line = self.getpos()[0]
        attrs = dict(attrs)
        if tag == "h2":
            self._in_h2 = True
        for key in ("id",) + (("name",) if tag == "a" else ()):
            if attrs.get(key):
                self.anchors.append((attrs[key], line))
                if self._in_h2 and tag == "a":
                    self.sections.append(attrs[key])
        for key in ("href", "src", "background", "lowsrc"):
            if attrs.get(key) is not None:
                self.references.append((tag, key, attrs[key], line))

    def handle_endtag(self, tag):
        if tag == "h2":
            self._in_h2 = False


def read(page):
    reader = PageReader()
    reader.feed(page.read_text(encoding="ascii"))
    reader.close()
    return reader


def check_reference(page, anchor_names, value):
    # What is wrong with one reference of page, or None when it resolves.
    if not value.strip():
        return "empty"
    parts = urlsplit(value)
    if parts.scheme in ("http", "https", "mailto"):
        return None  # out on the web: nothing here can tell whether it is there
    if parts.scheme or parts.netloc or value.startswith(("/", "\\")) or ":" in value:
        return "a fixed place on some disk, which the installed page cannot reach"
    if "\\" in value:
        return "a backslash: browsers want '/' in addresses"
    if not parts.path:  # "#name": this page
        return None if unquote(parts.fragment) in anchor_names else "no such anchor"
    target = (page.parent / unquote(parts.path)).resolve()
    if not target.is_file():
        return "no such file"
    if target.suffix.lower() in (".html", ".htm") and parts.fragment:
        if unquote(parts.fragment) not in [name for name, _ in read(target).anchors]:
            return "no such anchor in that page"
    return None


class HelpPageLinks(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.reader = read(PAGE)
        cls.anchor_names = [name for name, _ in cls.reader.anchors]

    def test_the_page_is_plain_ascii(self):
        # It declares iso-8859-1; anything beyond ASCII is written as an entity.
        data = PAGE.read_bytes()
        strays = sorted({b for b in data if b >= 0x80})
        self.assertEqual([], strays, "bytes beyond ASCII")

    def test_anchors_are_unique(self):
        seen = {}
        for name, line in self.reader.anchors:
            self.assertNotIn(name, seen, f"anchor {name!r} on lines {seen.get(name)} and {line}")
            seen[name] = line

    def test_every_reference_resolves(self):
        self.assertTrue(self.reader.references, "the page has no links at all")
        broken = []
        for tag, key, value, line in self.reader.references:
            problem = check_reference(PAGE, self.anchor_names, value)
            if problem:
                broken.append(f"line {line}: <{tag} {key}={value!r}>: {problem}")
        self.assertEqual([], broken)

    def test_every_local_file_is_installed_with_the_page(self):
        script = INSTALLER_SCRIPT.read_text(encoding="ascii")
        installed = {Path(m).name.lower() for m in re.findall(r'"/oname=([^"]+)"', script)}
        self.assertIn(PAGE.name.lower(), installed)
        for _, _, value, line in self.reader.references:
            parts = urlsplit(value)
            if parts.scheme or not parts.path:
                continue
            self.assertIn(Path(unquote(parts.path)).name.lower(), installed,
                          f"line {line}: {value} is not installed beside the page")

    def test_the_contents_reach_every_section(self):
        self.assertGreaterEqual(len(self.reader.sections), 5, "too few sections")
        internal = {urlsplit(v).fragment for _, k, v, _ in self.reader.references
                    if k == "href" and v.startswith("#")}
        missing = [name for name in self.reader.sections if name not in internal]
        self.assertEqual([], missing, "sections no link leads to")


if __name__ == "__main__":
    unittest.main(verbosity=2)
