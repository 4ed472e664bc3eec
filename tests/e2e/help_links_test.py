# The help page that the installer puts beside the ticker (see e2e_installer.py): plain ASCII
# (it declares iso-8859-1; anything beyond ASCII is written as an entity), each anchor once,
# every link either out on the web or to an anchor of the page, and the contents list every
# section. The page is installed alone, so a link to a file beside it (a picture, another page)
# fails here until the installer and this check learn of it. Runs natively; no Wine needed.
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


class HelpPage(unittest.TestCase):
    def setUp(self):
        self.page = PageReader(PAGE)

    def test_anchors_are_unique_and_every_link_leads_to_the_web_or_an_anchor(self):
        names = [name for name, _ in self.page.anchors]
        self.assertEqual([], [(name, line) for name, line in self.page.anchors
                              if names.count(name) > 1], "anchors given twice")
        self.assertTrue(self.page.references, "the page has no links at all")
        # Out on the web nothing here can tell whether a page is there.
        self.assertEqual([], [f"line {line}: <{tag} {key}={value!r}>"
                              for tag, key, value, line in self.page.references
                              if urlsplit(value).scheme not in ("http", "https", "mailto") and
                              not (value.startswith("#") and unquote(value[1:]) in names)],
                         "links to no anchor of the page")

    def test_the_contents_reach_every_section(self):
        self.assertGreaterEqual(len(self.page.sections), 5, "too few sections")
        internal = {urlsplit(v).fragment for _, k, v, _ in self.page.references
                    if k == "href" and v.startswith("#")}
        self.assertEqual([], [s for s in self.page.sections if s not in internal],
                         "sections no link leads to")


if __name__ == "__main__":
    unittest.main(verbosity=2)
