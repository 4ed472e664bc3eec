// HTML pages of the search, quote and news hosts (see pages.h).
#include "pages.h"

#include <cctype>
#include <ctime>

#include "content.h"
#include "query.h"
#include "text.h"

namespace portal {

namespace {

constexpr std::size_t kMaxSearchText = 255;
constexpr std::size_t kMaxResults = 20;

std::string Page(const std::string& title, const std::string& body) {
    return "<html>\n<head><title>" + HtmlEscape(title) +
           "</title></head>\n<body bgcolor=\"#ffffff\">\n"
           "<p><a href=\"http://my.tamzo.example/\"><b>Tamzo!</b></a> | "
           "<a href=\"http://search.tamzo.example/\">Search</a> | "
           "<a href=\"http://quote.tamzo.example/lookup.html\">Symbol Lookup</a></p>\n" +
           body + "</body>\n</html>\n";
}

std::string Absolute(const std::string& link) {
    return StartsWithNoCase(link, "http:") ? link : "http://" + link;
}

bool ContainsNoCase(const std::string& haystack, const std::string& needle) {
    return ToLower(haystack).find(ToLower(needle)) != std::string::npos;
}

std::string SearchForm(const std::string& value) {
    return "<form action=\"http://search.tamzo.example/bin/search\" method=\"get\">\n"
           "<input type=\"text\" name=\"p\" size=\"40\" value=\"" +
           HtmlEscape(value) + "\"> <input type=\"submit\" value=\"Search\">\n</form>\n";
}

std::string QuoteRow(const Quote& q) {
    return "<tr><td><a href=\"" + HtmlEscape(QuoteLink(q.symbol)) + "\">" + HtmlEscape(q.symbol) +
           "</a></td><td>" + HtmlEscape(q.name) + "</td><td>" + HtmlEscape(QuoteValue(q)) +
           "</td></tr>\n";
}

}  // namespace

std::string SearchHomePage() {
    return Page("Tamzo! Search",
                "<h1>Tamzo! Search</h1>\n" + SearchForm("") +
                    "<p>Search the day's headlines from every Tamzo! news desk.</p>\n");
}

std::string SearchResultsPage(const std::string& query, const News& news) {
    std::string text = CleanText(query, kMaxSearchText);
    std::vector<std::string> words;
    for (const std::string& w : Split(text, ' '))
        if (!w.empty()) words.push_back(w);

    std::string list;
    std::size_t found = 0;
    for (const Topic& topic : NewsTopics()) {
        auto it = news.find(topic.code);
        if (it == news.end()) continue;
        for (const Headline& h : it->second) {
            bool all = !words.empty();
            for (const std::string& w : words) all = all && ContainsNoCase(h.title, w);
            if (!all || found >= kMaxResults) continue;
            ++found;
            list += "<li><a href=\"" + HtmlEscape(Absolute(h.link)) + "\">" + HtmlEscape(h.title) +
                    "</a> <i>(" + topic.name + ")</i></li>\n";
        }
    }
    std::string body =
        "<h1>Search results for &quot;" + HtmlEscape(text) + "&quot;</h1>\n" + SearchForm(text);
    body += found ? "<ol>\n" + list + "</ol>\n" : "<p>No headlines match your search.</p>\n";
    return Page("Tamzo! Search: " + text, body);
}

std::string LookupPage(const std::string& text, const Catalog& catalog, const QuoteBoard& board) {
    std::string wanted = CleanText(text, 40);
    std::string rows;
    for (const Quote& q : catalog.quotes) {
        if (!wanted.empty() && !ContainsNoCase(q.symbol, wanted) && !ContainsNoCase(q.name, wanted))
            continue;
        rows += QuoteRow(board.Current(q.symbol));
    }
    std::string body = "<h1>Symbol Lookup</h1>\n"
                       "<form action=\"http://quote.tamzo.example/lookup.html\" method=\"get\">\n"
                       "Company name or symbol: <input type=\"text\" name=\"s\" value=\"" +
                       HtmlEscape(wanted) +
                       "\"> <input type=\"submit\" value=\"Look Up\">\n</form>\n";
    if (!wanted.empty())
        body += "<p>Symbols matching &quot;" + HtmlEscape(wanted) + "&quot;:</p>\n";
    body += rows.empty()
                ? "<p>No symbols found.</p>\n"
                : "<table border=\"1\">\n<tr><th>Symbol</th><th>Name</th><th>Last</th></tr>\n" +
                      rows + "</table>\n";
    return Page("Tamzo! Symbol Lookup", body);
}

std::string QuotePage(const std::string& symbol, const Catalog& catalog, const QuoteBoard& board) {
    std::string s = CleanSymbol(symbol);
    if (s.empty()) return Page("Tamzo! Quotes", "<h1>Quotes</h1>\n<p>No symbol given.</p>\n");
    Quote q = board.Current(s);
    const Quote* known = catalog.FindQuote(s);
    std::string close = FormatPrice(q.unit, q.price - q.change);
    std::string body = "<h1>" + HtmlEscape(s) + (q.name.empty() ? "" : " - " + HtmlEscape(q.name)) +
                       "</h1>\n<table border=\"1\">\n"
                       "<tr><th>Last</th><td>" +
                       HtmlEscape(FormatPrice(q.unit, q.price)) +
                       "</td></tr>\n"
                       "<tr><th>Change</th><td>" +
                       HtmlEscape(FormatChange(q.unit, q.change)) +
                       "</td></tr>\n"
                       "<tr><th>Previous close</th><td>" +
                       HtmlEscape(close) + "</td></tr>\n</table>\n";
    if (!known) body += "<p><i>Symbol not listed; figures are indicative.</i></p>\n";
    return Page("Tamzo! Quotes: " + s, body);
}

std::optional<std::string> StoryPage(const std::string& code, const std::string& number,
                                     const News& news) {
    const Topic* topic = FindTopic(code);
    auto it = news.find(code);
    if (!topic || it == news.end() || number.empty() || number.size() > 4) return std::nullopt;
    for (char c : number)
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    std::size_t index = std::stoul(number);
    if (index < 1 || index > it->second.size()) return std::nullopt;
    const Headline& h = it->second[index - 1];
    return Page(h.title, "<p><i>" + std::string(topic->name) + " News</i></p>\n<h1>" +
                             HtmlEscape(h.title) +
                             "</h1>\n<p>Full story to follow. Check back with Tamzo! News for "
                             "updates throughout the day.</p>\n");
}

std::string LiveStoryPage(const Story& story) {
    std::string body = "<h1>" + HtmlEscape(story.title) + "</h1>\n";
    body += story.address.empty() ? "<p>This story has no page of its own at its source.</p>\n"
                                  : "<p>The story is at <a href=\"" + HtmlEscape(story.address) +
                                        "\">" + HtmlEscape(story.address) + "</a>.</p>\n";
    return Page(story.title, body);
}

std::string StatusPage(const std::vector<SourceState>& states) {
    auto when = [](std::int64_t t) {
        if (t == 0) return std::string("never");
        std::time_t time = static_cast<std::time_t>(t);
        std::tm tm{};
        char text[32];
        gmtime_r(&time, &tm);
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &tm);
        return std::string(text);
    };
    std::string rows;
    for (const SourceState& s : states)
        rows += "<tr><td>" + HtmlEscape(s.topic) + "</td><td>" + HtmlEscape(s.address) +
                "</td><td>" + std::to_string(s.items) + "</td><td>" + when(s.lastSuccess) +
                "</td><td>" + when(s.lastFailure) + "</td><td>" + HtmlEscape(s.failure) +
                "</td></tr>\n";
    std::string body = "<h1>Sources</h1>\n";
    body += rows.empty() ? "<p>No live sources: the portal serves its data directory.</p>\n"
                         : "<table border=\"1\">\n<tr><th>Topic</th><th>Source</th><th>Items</th>"
                           "<th>Last success</th><th>Last failure</th><th>Why</th></tr>\n" +
                               rows + "</table>\n";
    return Page("Tamzo! Portal Status", body);
}

std::string WeatherPage(const std::string& code, const Catalog& catalog) {
    std::string c = ToUpper(CleanText(code, 5));
    const Weather* known = catalog.FindWeather(c);
    Weather w = known ? *known : MadeUpWeather(c);
    std::string where = w.city.empty() ? c : w.city + " (" + c + ")";
    return Page("Tamzo! Weather: " + c,
                "<h1>Weather for " + HtmlEscape(where) + "</h1>\n<p>" + HtmlEscape(w.sky) + ", " +
                    std::to_string(w.fahrenheit) + "&deg;F / " +
                    std::to_string(ToCelsius(w.fahrenheit)) + "&deg;C</p>\n");
}

std::string NotFoundPage(const std::string& path) {
    return Page("Not Found",
                "<h1>Not Found</h1>\n<p>There is no page at " + HtmlEscape(path) + ".</p>\n");
}

}  // namespace portal
