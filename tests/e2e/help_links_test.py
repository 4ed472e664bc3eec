# The help page that the installer puts beside the ticker: plain ASCII (it declares iso-8859-1;
# anything beyond ASCII is written as an entity), each anchor once, every link inside it reaches
# an anchor that exists, every local file it names (pictures, other pages) is there and is
# installed with it, nothing points at a fixed place on some disk, and the contents list every
# section. Runs natively; no Wine needed.
import functools
import re
import unittest
from html.parser import HTMLParser
from pathlib import Path
from urllib.parse import unquote, urlsplit

PAGE = Path(__file__).resolve().parents[2] / "installer" / "zrthelp.html"


class PageReader(HTMLParser):
    # Collects anchors (name, line), references (tag, attribute, value, line) and the anchors
    # inside <h2>, which are the sections. A byte beyond ASCII fails the reading.
    def __init__(self, page):
        super().__init__(convert_charrefs=True)
        self.anchors, self.references, self.sections, self._in_h2 = [], [], [], False
        self.feed(page.read_text(encoding="ascii"))
        self.close()

    def handle_starttag(self, tag, attrs):
        attrs, line = dict(attrs), self.getpos()[0]
        self._in_h2 |= tag == "h2"
        for key in ("id", "name") if tag == "a" else ("id",):
            if attrs.get(key):
                self.anchors.append((attrs[key], line))
                self.sections += [attrs[key]] if self._in_h2 and tag == "a" else []
        self.references += [(tag, key, attrs[key], line) for key in
                            ("href", "src", "background", "lowsrc") if attrs.get(key) is not None]

    def handle_endtag(self, tag):
        self._in_h2 &= tag != "h2"


@functools.lru_cache
def anchors(page):
    return {name for name, _ in PageReader(page).anchors}


def problem(value, installed):
    # What is wrong with one reference of the page, or None when it resolves.
    parts = urlsplit(value)
    name, fragment = unquote(parts.path), unquote(parts.fragment)
    if parts.scheme in ("http", "https", "mailto"):
        return None  # out on the web: nothing here can tell whether it is there
    if not value.strip():
        return "empty"
    if parts.scheme or parts.netloc or value.startswith(("/", "\\")) or ":" in value:
        return "a fixed place on some disk, which the installed page cannot reach"
    if "\\" in value:
        return "a backslash: browsers want '/' in addresses"
    target = (PAGE.parent / name).resolve() if name else PAGE
    if not target.is_file():
        return "no such file"
    if Path(name or PAGE).name.lower() not in installed:
        return "not installed beside the page"
    if fragment and target.suffix.lower() in (".html", ".htm") and fragment not in anchors(target):
        return "no such anchor"
    return None


class HelpPage(unittest.TestCase):
    def setUp(self):
        self.page = PageReader(PAGE)

    def test_anchors_are_unique_and_every_reference_resolves_to_an_installed_file(self):
        names = [name for name, _ in self.page.anchors]
        self.assertEqual([], [(name, line) for name, line in self.page.anchors
                              if names.count(name) > 1], "anchors given twice")
        script = (PAGE.parent / "ticker.nsi").read_text(encoding="ascii")
        installed = {Path(m).name.lower() for m in re.findall(r'"/oname=([^"]+)"', script)}
        self.assertTrue(self.page.references, "the page has no links at all")
        self.assertEqual([], [f"line {line}: <{tag} {key}={value!r}>: {p}"
                              for tag, key, value, line in self.page.references
                              if (p := problem(value, installed))])

    def test_the_contents_reach_every_section(self):
        self.assertGreaterEqual(len(self.page.sections), 5, "too few sections")
        internal = {urlsplit(v).fragment for _, k, v, _ in self.page.references
                    if k == "href" and v.startswith("#")}
        self.assertEqual([], [s for s in self.page.sections if s not in internal],
                         "sections no link leads to")


if __name__ == "__main__":
    unittest.main(verbosity=2)
