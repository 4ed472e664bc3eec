// The feed reader and the merging of sources (see feeds.h).
#include "feeds.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "address.h"
#include "charset.h"
#include "text.h"

namespace portal {

namespace {

// Element name without any namespace prefix ("atom:entry" -> "entry").
std::string_view LocalName(const pugi::xml_node& node) {
    std::string_view name = node.name();
    std::size_t colon = name.rfind(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

bool IsElement(const pugi::xml_node& node, std::string_view name) {
    return node.type() == pugi::node_element && LocalName(node) == name;
}

pugi::xml_node Child(const pugi::xml_node& parent, std::string_view name) {
    for (pugi::xml_node n : parent.children())
        if (IsElement(n, name)) return n;
    return {};
}

// All text below a node, as a reader would see it. Markup nested deeper than any title
// needs is not followed, so that a hostile document cannot run the stack out.
std::string TextOf(const pugi::xml_node& node, int depth = 0) {
    std::string out;
    for (pugi::xml_node n : node.children()) {
        if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata)
            out += n.value();
        else if (n.type() == pugi::node_element && depth < 16)
            out += TextOf(n, depth + 1);
    }
    return out;
}

// The declared encoding of an XML document, lower case; "" when it declares none.
std::string DeclaredEncoding(std::string_view xml) {
    std::string head = ToLower(xml.substr(0, std::min<std::size_t>(xml.size(), 200)));
    std::size_t end = head.find("?>");
    std::size_t at = head.rfind("encoding", end);
    if (head.rfind("<?xml", 0) != 0 || end == std::string::npos || at == std::string::npos)
        return "";
    std::size_t open = head.find_first_of("\"'", at);
    std::size_t close = open == std::string::npos ? open : head.find(head[open], open + 1);
    return close == std::string::npos || close > end ? "" : head.substr(open + 1, close - open - 1);
}

// The document in UTF-8 for pugixml. Latin-1 is read as Windows-1252, its superset in every
// printable character, as browsers do; text that claims (or is taken for) UTF-8 but is not
// is sniffed as Windows-1252 too. Documents with a UTF-16 or UTF-32 mark are left to pugixml.
std::string AsUtf8(std::string_view xml, pugi::xml_encoding& encoding) {
    encoding = pugi::encoding_utf8;
    auto marked = [&](std::string_view mark) { return xml.substr(0, mark.size()) == mark; };
    if (marked("\xEF\xBB\xBF")) xml.remove_prefix(3);
    if (marked("\xFE\xFF") || marked("\xFF\xFE") || marked(std::string_view("\0\0\xFE\xFF", 4))) {
        encoding = pugi::encoding_auto;
        return std::string(xml);
    }
    static const std::set<std::string> kWestern = {"iso-8859-1",   "iso_8859-1", "latin1",  "l1",
                                                   "windows-1252", "cp1252",     "x-cp1252"};
    if (kWestern.count(DeclaredEncoding(xml)) || !IsUtf8(xml)) return Windows1252ToUtf8(xml);
    return std::string(xml);
}

bool LooksLikeHtml(std::string_view bytes) {
    std::string head = ToLower(Trim(bytes.substr(0, std::min<std::size_t>(bytes.size(), 512))));
    if (head.rfind("\xEF\xBB\xBF", 0) == 0) head = Trim(head.substr(3));
    return head.rfind("<!doctype html", 0) == 0 || head.rfind("<html", 0) == 0;
}

// Drops markup from a title given as HTML: a '<' that opens a tag (a letter, '/', '!' or
// '?' after it) up to its '>'. Any other '<' is text.
std::string StripTags(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        unsigned char next = i + 1 < s.size() ? static_cast<unsigned char>(s[i + 1]) : 0;
        bool opens =
            s[i] == '<' && (std::isalpha(next) || next == '/' || next == '!' || next == '?');
        std::size_t close = opens ? s.find('>', i) : std::string_view::npos;
        if (close == std::string_view::npos) {
            out += s[i];
            continue;
        }
        out += ' ';
        i = close;
    }
    return out;
}

// Resolves HTML character references (named, decimal, hexadecimal) into UTF-8. Unknown or
// malformed references stay as they are.
std::string DecodeEntities(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        std::size_t semi = s[i] == '&' ? s.find(';', i) : std::string_view::npos;
        std::string_view name =
            semi == std::string_view::npos || semi - i > 12 ? "" : s.substr(i + 1, semi - i - 1);
        char32_t c = 0;
        if (name.size() > 1 && name[0] == '#') {
            bool hex = name[1] == 'x' || name[1] == 'X';
            std::string digits(name.substr(hex ? 2 : 1));
            char* end = nullptr;
            unsigned long value = std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
            if (!digits.empty() && *end == '\0' && value > 0 && value <= 0x10FFFF)
                c = static_cast<char32_t>(value);
        } else if (!name.empty()) {
            c = HtmlEntity(name);
        }
        if (c == 0) {
            out += s[i];
            continue;
        }
        AppendUtf8(out, c);
        i = semi;
    }
    return out;
}

std::string ItemTitle(const pugi::xml_node& title, bool rss) {
    std::string text = TextOf(title);
    std::string type = ToLower(title.attribute("type").value());
    // RSS titles hold HTML more often than not; Atom says so by its type.
    if (rss || type == "html" || type == "text/html") text = StripTags(text);
    return CleanText(DecodeEntities(text), kMaxFeedTitle);
}

std::string ArticleAddress(std::string_view raw, std::string_view base) {
    std::string address = ResolveAddress(base, PercentEncodeLink(Trim(raw)));
    return address.size() <= kMaxArticleAddress ? address : "";
}

std::int64_t ItemDate(const pugi::xml_node& item) {
    for (const char* name : {"pubDate", "date", "published", "updated", "issued", "modified"})
        if (pugi::xml_node n = Child(item, name))
            if (std::int64_t date = ParseFeedDate(TextOf(n))) return date;
    return 0;
}

void AddItem(std::vector<FeedItem>& out, FeedItem item) {
    if (!item.title.empty() && out.size() < kMaxSourceItems) out.push_back(std::move(item));
}

void ReadRssItems(const pugi::xml_node& container, std::string_view base,
                  std::vector<FeedItem>& out) {
    for (pugi::xml_node item : container.children()) {
        if (!IsElement(item, "item")) continue;
        std::string address;
        for (pugi::xml_node l : item.children())
            if (IsElement(l, "link") && address.empty())
                address = ArticleAddress(l.text().empty() ? l.attribute("href").value() : TextOf(l),
                                         base);
        pugi::xml_node guid = Child(item, "guid");
        if (address.empty() && guid &&
            std::string_view(guid.attribute("isPermaLink").value()) != "false")
            address = ArticleAddress(TextOf(guid), base);
        if (address.empty()) address = ArticleAddress(item.attribute("rdf:about").value(), base);
        AddItem(out, {ItemTitle(Child(item, "title"), true), address, ItemDate(item)});
    }
}

void ReadAtomEntries(const pugi::xml_node& feed, std::string_view base,
                     std::vector<FeedItem>& out) {
    for (pugi::xml_node entry : feed.children()) {
        if (!IsElement(entry, "entry")) continue;
        std::string address;
        for (pugi::xml_node l : entry.children()) {
            std::string_view rel = l.attribute("rel").value();
            if (IsElement(l, "link") && address.empty() && (rel.empty() || rel == "alternate"))
                address = ArticleAddress(l.attribute("href").value(), base);
        }
        AddItem(out, {ItemTitle(Child(entry, "title"), false), address, ItemDate(entry)});
    }
}

std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
}

std::int64_t Seconds(int y, int mo, int d, int h, int mi, int s, int offsetMinutes) {
    if (y < 1970 || y > 9999 || mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 || h > 24 || mi < 0 ||
        mi > 59 || s < 0 || s > 60)
        return 0;
    return DaysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s - offsetMinutes * 60;
}

// "+05:30", "-0800", "+01", "Z", "GMT", "EST" ...: minutes east of UTC; false when unknown.
bool ZoneOffset(std::string_view zone, int& minutes) {
    static const std::pair<const char*, int> kNamed[] = {
        {"z", 0},      {"gmt", 0},    {"ut", 0},     {"utc", 0},    {"est", -300}, {"edt", -240},
        {"cst", -360}, {"cdt", -300}, {"mst", -420}, {"mdt", -360}, {"pst", -480}, {"pdt", -420}};
    std::string z = ToLower(Trim(zone));
    minutes = 0;
    if (z.empty()) return true;
    for (const auto& [name, offset] : kNamed)
        if (z == name) return (minutes = offset), true;
    int h = 0, m = 0;
    if ((z[0] != '+' && z[0] != '-') || (std::sscanf(z.c_str() + 1, "%2d:%2d", &h, &m) < 1 &&
                                         std::sscanf(z.c_str() + 1, "%2d%2d", &h, &m) < 1))
        return false;
    minutes = (z[0] == '-' ? -1 : 1) * (h * 60 + m);
    return true;
}

}  // namespace

std::int64_t ParseFeedDate(std::string_view text) {
    std::string s = Trim(text.substr(0, 80));
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0, used = 0, offset = 0;
    if (std::sscanf(s.c_str(), "%4d-%2d-%2d%n", &y, &mo, &d, &used) == 3) {
        std::string rest = s.substr(used);
        if (!rest.empty() && (rest[0] == 'T' || rest[0] == 't' || rest[0] == ' ') &&
            std::sscanf(rest.c_str() + 1, "%2d:%2d%n", &h, &mi, &used) == 2) {
            rest = rest.substr(1 + used);
            if (std::sscanf(rest.c_str(), ":%2d%n", &sec, &used) == 1) rest = rest.substr(used);
            std::size_t digits = rest[0] == '.' ? rest.find_first_not_of("0123456789", 1) : 0;
            rest = digits == std::string::npos ? "" : rest.substr(digits);
        }
        return ZoneOffset(rest, offset) ? Seconds(y, mo, d, h, mi, sec, offset) : 0;
    }
    // RFC 822: "[Day,] 10 Jun 2003 04:00[:00] zone", the year also in two digits.
    static const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                          "jul", "aug", "sep", "oct", "nov", "dec"};
    std::size_t comma = s.find(',');
    std::string rest = comma == std::string::npos ? s : s.substr(comma + 1);
    char month[4] = {};
    if (std::sscanf(rest.c_str(), "%2d %3s %4d %2d:%2d%n", &d, month, &y, &h, &mi, &used) != 5)
        return 0;
    rest = rest.substr(used);
    if (std::sscanf(rest.c_str(), ":%2d%n", &sec, &used) == 1) rest = rest.substr(used);
    for (int k = 0; k < 12; ++k)
        if (ToLower(month) == kMonths[k]) mo = k + 1;
    if (y < 100) y += y < 50 ? 2000 : 1900;
    return ZoneOffset(rest, offset) ? Seconds(y, mo, d, h, mi, sec, offset) : 0;
}

bool ReadFeed(std::string_view bytes, std::string_view base, std::vector<FeedItem>& items,
              std::string& error) {
    items.clear();
    if (LooksLikeHtml(bytes)) {
        error = "an HTML page, not a feed";
        return false;
    }
    pugi::xml_encoding encoding;
    std::string xml = AsUtf8(bytes, encoding);
    pugi::xml_document doc;
    pugi::xml_parse_result result =
        doc.load_buffer_inplace(xml.data(), xml.size(), pugi::parse_default, encoding);
    if (!result) {
        error = std::string("not well-formed XML: ") + result.description() + " at offset " +
                std::to_string(result.offset);
        return false;
    }
    pugi::xml_node root = doc.document_element();
    std::string_view kind = LocalName(root);
    if (kind == "rss") {
        ReadRssItems(Child(root, "channel"), base, items);
    } else if (kind == "RDF") {
        ReadRssItems(root, base, items);  // RSS 1.0: items stand beside the channel
    } else if (kind == "feed") {
        ReadAtomEntries(root, base, items);
    } else {
        error =
            "neither an RSS nor an Atom feed (root element <" + CleanText(root.name(), 40) + ">)";
        return false;
    }
    return true;
}

std::vector<FeedItem> MergeFeeds(const std::vector<const std::vector<FeedItem>*>& sources) {
    std::vector<const FeedItem*> all;
    for (const std::vector<FeedItem>* source : sources)
        for (const FeedItem& item : *source) all.push_back(&item);
    // Undated items (0) sort after every dated one; the sort keeps source order among equals.
    std::stable_sort(all.begin(), all.end(),
                     [](const FeedItem* a, const FeedItem* b) { return a->date > b->date; });
    std::vector<FeedItem> merged;
    std::set<std::string> titles;
    for (const FeedItem* item : all) {
        if (merged.size() >= kMaxFeedItems) break;
        if (titles.insert(ToLower(item->title)).second) merged.push_back(*item);
    }
    return merged;
}

}  // namespace portal
