// HTML pages of the search, quote and news hosts (see pages.h).
#include "pages.h"

#include <cctype>

#include "content.h"
#include "query.h"
#include "text.h"

namespace portal {

namespace {

constexpr std::size_t kMaxSearchText = 255;
constexpr std::size_t kMaxResults = 20;

std::string page(const std::string& title, const std::string& body) {
    return "<html>\n<head><title>" + htmlEscape(title) +
           "</title></head>\n<body bgcolor=\"#ffffff\">\n"
           "<p><a href=\"http://my.tamzo.example/\"><b>Tamzo!</b></a> | "
           "<a href=\"http://search.tamzo.example/\">Search</a> | "
           "<a href=\"http://quote.tamzo.example/lookup.html\">Symbol Lookup</a></p>\n" +
           body + "</body>\n</html>\n";
}

std::string absolute(const std::string& link) {
    return startsWithNoCase(link, "http:") ? link : "http://" + link;
}

bool containsNoCase(const std::string& haystack, const std::string& needle) {
    return toLower(haystack).find(toLower(needle)) != std::string::npos;
}

std::string searchForm(const std::string& value) {
    return "<form action=\"http://search.tamzo.example/bin/search\" method=\"get\">\n"
           "<input type=\"text\" name=\"p\" size=\"40\" value=\"" +
           htmlEscape(value) + "\"> <input type=\"submit\" value=\"Search\">\n</form>\n";
}

std::string quoteRow(const Quote& q) {
    return "<tr><td><a href=\"" + htmlEscape(quoteLink(q.symbol)) + "\">" + htmlEscape(q.symbol) +
           "</a></td><td>" + htmlEscape(q.name) + "</td><td>" + htmlEscape(quoteValue(q)) +
           "</td></tr>\n";
}

}  // namespace

std::string searchHomePage() {
    return page("Tamzo! Search",
                "<h1>Tamzo! Search</h1>\n" + searchForm("") +
                    "<p>Search the day's headlines from every Tamzo! news desk.</p>\n");
}

std::string searchResultsPage(const std::string& query, const Catalog& catalog) {
    std::string text = cleanText(query, kMaxSearchText);
    std::vector<std::string> words;
    for (const std::string& w : split(text, ' '))
        if (!w.empty()) words.push_back(w);

    std::string list;
    std::size_t found = 0;
    for (const Topic& topic : newsTopics()) {
        auto it = catalog.news.find(topic.code);
        if (it == catalog.news.end()) continue;
        for (const Headline& h : it->second) {
            bool all = !words.empty();
            for (const std::string& w : words) all = all && containsNoCase(h.title, w);
            if (!all || found >= kMaxResults) continue;
            ++found;
            list += "<li><a href=\"" + htmlEscape(absolute(h.link)) + "\">" + htmlEscape(h.title) +
                    "</a> <i>(" + topic.name + ")</i></li>\n";
        }
    }
    std::string body =
        "<h1>Search results for &quot;" + htmlEscape(text) + "&quot;</h1>\n" + searchForm(text);
    body += found ? "<ol>\n" + list + "</ol>\n" : "<p>No headlines match your search.</p>\n";
    return page("Tamzo! Search: " + text, body);
}

std::string lookupPage(const std::string& text, const Catalog& catalog, const QuoteBoard& board) {
    std::string wanted = cleanText(text, 40);
    std::string rows;
    for (const Quote& q : catalog.quotes) {
        if (!wanted.empty() && !containsNoCase(q.symbol, wanted) && !containsNoCase(q.name, wanted))
            continue;
        rows += quoteRow(board.current(q.symbol));
    }
    std::string body = "<h1>Symbol Lookup</h1>\n"
                       "<form action=\"http://quote.tamzo.example/lookup.html\" method=\"get\">\n"
                       "Company name or symbol: <input type=\"text\" name=\"s\" value=\"" +
                       htmlEscape(wanted) +
                       "\"> <input type=\"submit\" value=\"Look Up\">\n</form>\n";
    if (!wanted.empty())
        body += "<p>Symbols matching &quot;" + htmlEscape(wanted) + "&quot;:</p>\n";
    body += rows.empty()
                ? "<p>No symbols found.</p>\n"
                : "<table border=\"1\">\n<tr><th>Symbol</th><th>Name</th><th>Last</th></tr>\n" +
                      rows + "</table>\n";
    return page("Tamzo! Symbol Lookup", body);
}

std::string quotePage(const std::string& symbol, const Catalog& catalog, const QuoteBoard& board) {
    std::string s = cleanSymbol(symbol);
    if (s.empty()) return page("Tamzo! Quotes", "<h1>Quotes</h1>\n<p>No symbol given.</p>\n");
    Quote q = board.current(s);
    const Quote* known = catalog.findQuote(s);
    std::string close = formatPrice(q.unit, q.price - q.change);
    std::string body = "<h1>" + htmlEscape(s) + (q.name.empty() ? "" : " - " + htmlEscape(q.name)) +
                       "</h1>\n<table border=\"1\">\n"
                       "<tr><th>Last</th><td>" +
                       htmlEscape(formatPrice(q.unit, q.price)) +
                       "</td></tr>\n"
                       "<tr><th>Change</th><td>" +
                       htmlEscape(formatChange(q.unit, q.change)) +
                       "</td></tr>\n"
                       "<tr><th>Previous close</th><td>" +
                       htmlEscape(close) + "</td></tr>\n</table>\n";
    if (!known) body += "<p><i>Symbol not listed; figures are indicative.</i></p>\n";
    return page("Tamzo! Quotes: " + s, body);
}

std::optional<std::string> storyPage(const std::string& code, const std::string& number,
                                     const Catalog& catalog) {
    const Topic* topic = findTopic(code);
    auto it = catalog.news.find(code);
    if (!topic || it == catalog.news.end() || number.empty() || number.size() > 4)
        return std::nullopt;
    for (char c : number)
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    std::size_t index = std::stoul(number);
    if (index < 1 || index > it->second.size()) return std::nullopt;
    const Headline& h = it->second[index - 1];
    return page(h.title, "<p><i>" + std::string(topic->name) + " News</i></p>\n<h1>" +
                             htmlEscape(h.title) +
                             "</h1>\n<p>Full story to follow. Check back with Tamzo! News for "
                             "updates throughout the day.</p>\n");
}

std::string weatherPage(const std::string& code, const Catalog& catalog) {
    std::string c = toUpper(cleanText(code, 5));
    const Weather* known = catalog.findWeather(c);
    Weather w = known ? *known : madeUpWeather(c);
    std::string where = w.city.empty() ? c : w.city + " (" + c + ")";
    return page("Tamzo! Weather: " + c,
                "<h1>Weather for " + htmlEscape(where) + "</h1>\n<p>" + htmlEscape(w.sky) + ", " +
                    std::to_string(w.fahrenheit) + "&deg;F / " +
                    std::to_string(toCelsius(w.fahrenheit)) + "&deg;C</p>\n");
}

std::string notFoundPage(const std::string& path) {
    return page("Not Found",
                "<h1>Not Found</h1>\n<p>There is no page at " + htmlEscape(path) + ".</p>\n");
}

}  // namespace portal
