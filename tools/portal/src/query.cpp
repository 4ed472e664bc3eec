// Request targets, raw queries and the content selection (see query.h).
#include "query.h"

#include <algorithm>
#include <cctype>

#include "data.h"
#include "text.h"

namespace portal {

namespace {

bool Contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

std::string CleanAirport(std::string_view s) {
    std::string out = ToUpper(Trim(s));
    if (out.size() < 2 || out.size() > 5) return "";
    for (char c : out)
        if (!std::isalnum(static_cast<unsigned char>(c))) return "";
    return out;
}

bool AllDigits(const std::string& s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c));
    });
}

void ReadStocks(const std::string& value, Selection& sel) {
    // Symbols are normally joined by commas; '+' and blanks are taken as separators too.
    std::string list = value;
    std::replace(list.begin(), list.end(), '+', ',');
    std::replace(list.begin(), list.end(), ' ', ',');
    for (const std::string& item : Split(list, ',')) {
        std::string symbol = CleanSymbol(item);
        if (symbol.empty() || Contains(sel.symbols, symbol)) continue;
        if (sel.symbols.size() >= kMaxSymbols) break;
        sel.symbols.push_back(symbol);
    }
}

void ReadWeather(const std::string& value, Selection& sel) {
    std::vector<std::string> items = Split(value, ',');
    std::size_t first = 0;
    if (!items.empty()) {
        std::string scale = ToLower(Trim(items[0]));
        if (scale == "f" || scale == "c") {
            sel.celsius = scale == "c";
            first = 1;
        }
    }
    for (std::size_t i = first; i < items.size(); ++i) {
        std::string code = CleanAirport(items[i]);
        if (code.empty() || Contains(sel.airports, code)) continue;
        if (sel.airports.size() >= kMaxAirports) break;
        sel.airports.push_back(code);
    }
}

void ReadNews(const std::string& value, Selection& sel) {
    std::vector<std::string> items = Split(value, ',');
    for (std::size_t i = 0; i < items.size(); ++i) {
        std::string item = ToLower(Trim(items[i]));
        if (i == 0 && AllDigits(item)) {
            long n = item.size() > 6 ? kMaxStories : std::stol(item);
            sel.stories = static_cast<int>(std::clamp<long>(n, 1, kMaxStories));
            continue;
        }
        if (FindTopic(item) && !Contains(sel.topics, item)) sel.topics.push_back(item);
    }
}

}  // namespace

std::string CleanSymbol(std::string_view text) {
    std::string out;
    for (char c : ToUpper(Trim(text))) {
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '^' || c == '.' || c == '-' ||
            c == '_')
            out += c;
    }
    return out.substr(0, std::min(out.size(), kMaxSymbolLength));
}

Target SplitTarget(std::string_view target) {
    Target t;
    std::string_view rest = target;
    std::size_t q = rest.find('?');
    if (q != std::string_view::npos) {
        t.query = std::string(rest.substr(q + 1));
        rest = rest.substr(0, q);
    }
    std::size_t scheme = rest.find("://");
    if (scheme != std::string_view::npos && rest.substr(0, 1) != "/") {
        // Absolute form: drop scheme and authority.
        std::size_t slash = rest.find('/', scheme + 3);
        rest = slash == std::string_view::npos ? std::string_view("/") : rest.substr(slash);
    }
    t.path = rest.empty() ? "/" : std::string(rest);
    return t;
}

std::optional<std::string> QueryValue(std::string_view query, std::string_view key,
                                      bool plusIsSpace) {
    for (const std::string& pair : Split(query, '&')) {
        std::size_t eq = pair.find('=');
        std::string name = pair.substr(0, eq);
        if (PercentDecode(name, plusIsSpace) != key) continue;
        return eq == std::string::npos ? std::string()
                                       : PercentDecode(pair.substr(eq + 1), plusIsSpace);
    }
    return std::nullopt;
}

Selection ParseSelection(std::string_view query) {
    Selection sel;
    // '+' stays as it is: in a symbol list it separates symbols, it is not a space.
    if (auto v = QueryValue(query, "stocks")) ReadStocks(*v, sel);
    if (auto v = QueryValue(query, "weather")) ReadWeather(*v, sel);
    if (auto v = QueryValue(query, "news")) ReadNews(*v, sel);
    return sel;
}

}  // namespace portal
