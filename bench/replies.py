"""Content replies for the benchmarks, in the portal's format (tools/portal/README.md, "The
content reply") and from the portal's own sample data: quotes, headlines by topic, weather.
Larger replies than the portal serves (it stops at about 16000 bytes and 200 items) are made by
going round the headlines again, each round numbered, as a long day of news would read.

    python3 bench/replies.py OUT_DIR     # writes the benchmark replies and prints their sizes
"""
import sys
from pathlib import Path

DATA = Path(__file__).resolve().parents[1] / "tools" / "portal" / "data"
TOPICS = [("rt", "Top Stories:"), ("rw", "World:"), ("rb", "Business:"), ("rp", "Politics:"),
          ("rc", "Technology:"), ("rs", "Sports:"), ("re", "Entertainment:")]

TAG, COLUMN, FIELD, LINK = b"\x0e", b"\x05", b"\x0b", b"\x0d"


def _lines(path):
    rows = []
    for line in path.read_text().splitlines():
        line = line.strip()
        if line and not line.startswith("#"):
            rows.append(line)
    return rows


def _fields(line):
    return [part.strip() for part in line.split("|")]


def _text(s):
    """Field text as the portal sends it: printable ASCII, '|' as '/', '"' as &quot;."""
    out = "".join(c if " " <= c <= "~" else " " for c in s).replace("|", "/")
    return out.replace('"', "&quot;")[:200].encode("ascii")


def quotes(count):
    rows = [_fields(line) for line in _lines(DATA / "quotes.txt")]
    items = []
    for i in range(count):
        symbol, last, change = rows[i % len(rows)][:3]
        if i >= len(rows):
            symbol = f"{symbol[:4]}{i // len(rows)}".replace("0", "O")
        value = f"{last} {change}"
        items.append((symbol, value, f"http://quote.tamzo.example/q?s={symbol.replace('^', '%5E')}"))
    return items


def headlines(code):
    return _lines(DATA / "news" / f"{code}.txt")


def weather(count):
    rows = [_fields(line) for line in _lines(DATA / "weather.txt")]
    return [(f"{r[0]} {r[2]}F {r[3]}", f"http://my.tamzo.example/weather/{r[0]}.html")
            for r in rows[:count]]


def make_reply(quote_count, per_topic, topics=len(TOPICS), weather_count=3, long_items=False):
    """A reply with quote_count quotes, per_topic headlines in each of the first `topics` topics
    and weather_count airports. long_items: each headline carries a second one as its summary
    and a long story address, as syndicated feeds write them."""
    out = bytearray()
    if quote_count:
        out += TAG + b"qt"
        for symbol, value, link in quotes(quote_count):
            out += COLUMN + b"1" + FIELD + _text(symbol)
            out += COLUMN + b"2" + FIELD + _text(value) + FIELD + LINK + link.encode() + LINK
    for code, label in TOPICS[:topics]:
        lines = headlines(code)
        out += TAG + code.encode() + COLUMN + b"1" + FIELD + label.encode() + COLUMN + b"2"
        for n in range(per_topic):
            title = lines[n % len(lines)]
            if n >= len(lines):
                title += f" ({n // len(lines) + 1})"
            link = f"my.tamzo.example/news/{code}/{n + 1}.html"
            if long_items:
                title = f"{title}; {lines[(n * 7 + 3) % len(lines)].lower()}"[:110]
                slug = "-".join(w.strip(",.:;'!?").lower() for w in title.split()[:8])
                link = f"http://feeds.tamzo.example/stories/1998/03/05/{code}/{n + 1}/{slug}.html"
            out += FIELD + _text(title) + FIELD + LINK + link[:190].encode() + LINK
    if weather_count:
        out += TAG + b"wt" + COLUMN + b"1" + FIELD + b"Weather:" + COLUMN + b"2"
        lines = weather(weather_count)
        for i, (text, link) in enumerate(lines):
            gap = b"   " if i + 1 < len(lines) else b""
            out += FIELD + _text(text) + gap + FIELD + LINK + link.encode() + LINK
    return bytes(out)


# name: (what it is for, reply). The paint texts are what the strip shows; the layout replies
# are what a refresh parses and measures.
REPLIES = {
    # Seven quotes, two topics of eighteen headlines, three airports: a strip of about 2 KB.
    "strip-2KB": make_reply(7, 18, topics=2),
    # Every quote and airport the portal has, and its headlines twice round: a strip of about
    # 19 KB, which leaves DisplayText room for one repeat copy.
    "strip-20KB": make_reply(46, 45, weather_count=30),
    # About 10 KB and 50 links: seven quotes, forty long headlines, three airports.
    "reply-10KB": make_reply(7, 10, topics=4, long_items=True),
    # About 100 KB: the strip fills its 20000 bytes and the link table its 200 entries
    # before the parse reaches the end.
    "reply-100KB": make_reply(40, 65, long_items=True, weather_count=30),
}


def write_all(directory):
    directory = Path(directory)
    directory.mkdir(parents=True, exist_ok=True)
    paths = {}
    for name, reply in REPLIES.items():
        path = directory / f"{name}.reply"
        path.write_bytes(reply)
        paths[name] = path
    return paths


if __name__ == "__main__":
    for name, path in write_all(sys.argv[1] if len(sys.argv) > 1 else ".").items():
        data = path.read_bytes()
        print(f"{name:12} {len(data):7} bytes {data.count(LINK) // 2:4} links  {path}")
