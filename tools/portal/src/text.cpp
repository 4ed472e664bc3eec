// Small text helpers shared by the portal (see text.h).
#include "text.h"

#include <cctype>
#include <cstdio>
#include <initializer_list>
#include <utility>

#include "charset.h"

namespace portal {

std::string ToUpper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string ToLower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string Trim(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return std::string(s.substr(b, e - b));
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && ToLower(s.substr(0, prefix.size())) == ToLower(prefix);
}

bool EndsWithNoCase(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() &&
           ToLower(s.substr(s.size() - suffix.size())) == ToLower(suffix);
}

std::vector<std::string> Split(std::string_view s, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t at = s.find(separator, start);
        if (at == std::string_view::npos) {
            parts.emplace_back(s.substr(start));
            return parts;
        }
        parts.emplace_back(s.substr(start, at - start));
        start = at + 1;
    }
}

static int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string PercentDecode(std::string_view s, bool plusIsSpace) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && HexValue(s[i + 1]) >= 0 && HexValue(s[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(s[i + 1]) * 16 + HexValue(s[i + 2]));
            i += 2;
        } else if (s[i] == '+' && plusIsSpace) {
            out += ' ';
        } else {
            out += s[i];
        }
    }
    return out;
}

std::string PercentEncode(std::string_view s, bool (*keep)(unsigned char c)) {
    std::string out;
    for (unsigned char c : s) {
        if (keep(c)) {
            out += static_cast<char>(c);
        } else {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", c);
            out += buf;
        }
    }
    return out;
}

std::string PercentEncodeLink(std::string_view s) {
    return PercentEncode(s, [](unsigned char c) { return c > ' ' && c < 0x7F; });
}

namespace {

// s with the bytes that `table` names replaced; with hexOthers, bytes outside printable
// ASCII as \u00XX. Bytes are taken as Latin-1 so that any input gives valid JSON.
std::string Escape(std::string_view s, std::initializer_list<std::pair<char, const char*>> table,
                   bool hexOthers) {
    std::string out;
    for (unsigned char c : s) {
        const char* replacement = nullptr;
        for (const auto& [from, to] : table)
            if (c == static_cast<unsigned char>(from)) replacement = to;
        if (replacement) {
            out += replacement;
        } else if (hexOthers && (c < 0x20 || c >= 0x7F)) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

}  // namespace

std::string HtmlEscape(std::string_view s) {
    return Escape(
        s, {{'&', "&amp;"}, {'<', "&lt;"}, {'>', "&gt;"}, {'"', "&quot;"}, {'\'', "&#39;"}}, false);
}

std::string JsonEscape(std::string_view s) {
    return Escape(s, {{'"', "\\\""}, {'\\', "\\\\"}, {'\n', "\\n"}, {'\r', "\\r"}, {'\t', "\\t"}},
                  true);
}

std::string CleanText(std::string_view s, std::size_t maxLength) {
    std::string out;
    bool pendingSpace = false;
    for (char c : PlainText(s)) {
        if (c == ' ') {
            pendingSpace = true;
            continue;
        }
        if (pendingSpace && !out.empty()) out += ' ';
        pendingSpace = false;
        out += c == '|' ? '/' : c;
    }
    if (out.size() <= maxLength) return out;
    if (maxLength < 4) return out.substr(0, maxLength);
    std::size_t cut = maxLength - 3;
    std::size_t space = out.rfind(' ', cut);
    if (space != std::string::npos && space > cut / 2) cut = space;
    return Trim(out.substr(0, cut)) + "...";
}

std::uint64_t StableHash(std::string_view s) {
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : s) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

}  // namespace portal
