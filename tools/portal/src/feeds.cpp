// RSS and Atom feed files into headlines (see feeds.h).
#include "feeds.h"

#include <pugixml.hpp>

#include <cstdlib>
#include <fstream>
#include <utility>

#include "text.h"

namespace portal {

namespace {

constexpr std::size_t kMaxFeedFileSize = 4 * 1024 * 1024;

// Element name without any namespace prefix ("atom:entry" -> "entry").
std::string_view LocalName(const pugi::xml_node& node) {
    std::string_view name = node.name();
    std::size_t colon = name.rfind(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

pugi::xml_node Child(const pugi::xml_node& parent, std::string_view name) {
    for (pugi::xml_node n : parent.children())
        if (n.type() == pugi::node_element && LocalName(n) == name) return n;
    return {};
}

// All text below a node, as a reader would see it.
std::string TextOf(const pugi::xml_node& node) {
    std::string out;
    for (pugi::xml_node n : node.children()) {
        if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata)
            out += n.value();
        else if (n.type() == pugi::node_element)
            out += TextOf(n);
    }
    return out;
}

// Drops <...> markup from a title given as escaped HTML.
std::string StripTags(std::string_view s) {
    std::string out;
    bool inTag = false;
    for (char c : s) {
        if (c == '<')
            inTag = true;
        else if (c == '>' && inTag) {
            inTag = false;
            out += ' ';
        } else if (!inTag)
            out += c;
    }
    return out;
}

// Decodes the character references of escaped HTML; a reference outside ASCII, or one that is
// not known, becomes a space.
std::string DecodeHtml(std::string_view s) {
    static const std::pair<std::string_view, char> kNamed[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}, {"nbsp", ' '}};
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        std::size_t semi = s[i] == '&' ? s.find(';', i) : std::string_view::npos;
        if (semi == std::string_view::npos || semi - i > 10) {
            out += s[i];
            continue;
        }
        std::string_view name = s.substr(i + 1, semi - i - 1);
        char c = ' ';
        if (!name.empty() && name[0] == '#') {
            bool hex = name.size() > 1 && (name[1] == 'x' || name[1] == 'X');
            long code =
                std::strtol(std::string(name.substr(hex ? 2 : 1)).c_str(), nullptr, hex ? 16 : 10);
            if (code >= 0x20 && code < 0x7F) c = static_cast<char>(code);
        } else {
            for (const auto& [entity, value] : kNamed)
                if (name == entity) c = value;
        }
        out += c;
        i = semi;
    }
    return out;
}

// A link the ticker can hand to a 1990s browser: http only ("https" is served as "http"),
// no longer than kMaxFeedLink. Empty when there is none.
std::string UsableLink(std::string_view raw) {
    std::string link = Trim(raw);
    if (StartsWithNoCase(link, "https://")) link = "http://" + link.substr(8);
    if (!StartsWithNoCase(link, "http://") || link.size() <= 7) return "";
    link = PercentEncodeLink(link);
    return link.size() <= kMaxFeedLink ? link : "";
}

std::string ItemTitle(const pugi::xml_node& titleNode) {
    std::string text = TextOf(titleNode);
    std::string type = ToLower(titleNode.attribute("type").value());
    if (type == "html" || type == "text/html") text = DecodeHtml(StripTags(text));
    return CleanText(text, kMaxFeedTitle);
}

void AddHeadline(std::vector<Headline>& out, const std::string& title, const std::string& link) {
    if (!title.empty() && out.size() < kMaxFeedItems) out.push_back({title, link});
}

void ReadRssItems(const pugi::xml_node& container, std::vector<Headline>& out) {
    for (pugi::xml_node item : container.children()) {
        if (item.type() != pugi::node_element || LocalName(item) != "item") continue;
        std::string link = UsableLink(TextOf(Child(item, "link")));
        pugi::xml_node guid = Child(item, "guid");
        if (link.empty() && guid &&
            std::string_view(guid.attribute("isPermaLink").value()) != "false")
            link = UsableLink(TextOf(guid));
        AddHeadline(out, ItemTitle(Child(item, "title")), link);
    }
}

void ReadAtomEntries(const pugi::xml_node& feed, std::vector<Headline>& out) {
    for (pugi::xml_node entry : feed.children()) {
        if (entry.type() != pugi::node_element || LocalName(entry) != "entry") continue;
        std::string link;
        for (pugi::xml_node l : entry.children()) {
            if (l.type() != pugi::node_element || LocalName(l) != "link") continue;
            std::string_view rel = l.attribute("rel").value();
            if (rel.empty() || rel == "alternate") {
                link = UsableLink(l.attribute("href").value());
                if (!link.empty()) break;
            }
        }
        AddHeadline(out, ItemTitle(Child(entry, "title")), link);
    }
}

}  // namespace

bool ParseFeed(std::string_view xml, std::vector<Headline>& headlines, std::string& error) {
    headlines.clear();
    pugi::xml_document doc;
    pugi::xml_parse_result result = doc.load_buffer(xml.data(), xml.size());
    if (!result) {
        error = std::string("not well-formed XML: ") + result.description() + " at offset " +
                std::to_string(result.offset);
        return false;
    }
    pugi::xml_node root = doc.document_element();
    std::string_view kind = LocalName(root);
    if (kind == "rss") {
        ReadRssItems(Child(root, "channel"), headlines);
    } else if (kind == "RDF") {
        ReadRssItems(root, headlines);  // RSS 1.0: items stand beside the channel
    } else if (kind == "feed") {
        ReadAtomEntries(root, headlines);
    } else {
        error = "neither an RSS nor an Atom feed (root element <" + std::string(root.name()) + ">)";
        return false;
    }
    return true;
}

bool LoadFeedFile(const std::string& path, std::vector<Headline>& headlines, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::string xml(kMaxFeedFileSize + 1, '\0');
    in.read(xml.data(), static_cast<std::streamsize>(xml.size()));
    xml.resize(static_cast<std::size_t>(in.gcount()));
    if (xml.size() > kMaxFeedFileSize) {
        error = path + ": larger than " + std::to_string(kMaxFeedFileSize) + " bytes";
        return false;
    }
    if (!ParseFeed(xml, headlines, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

}  // namespace portal
