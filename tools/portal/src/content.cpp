// Assembly of the content reply from the catalog and the quote board (see content.h).
#include "content.h"

#include <cctype>
#include <cmath>
#include <cstdio>

#include "reply.h"

namespace portal {

std::string quoteLink(const std::string& symbol) {
    std::string out = "http://quote.tamzo.example/q?s=";
    for (unsigned char c : symbol) {
        if (std::isalnum(c) || c == '.' || c == '-' || c == '_') {
            out += static_cast<char>(c);
        } else {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", c);
            out += buf;
        }
    }
    return out;
}

std::string weatherLink(const std::string& code) {
    return "http://my.tamzo.example/weather/" + code + ".html";
}

int toCelsius(int fahrenheit) {
    return static_cast<int>(std::lround((fahrenheit - 32) * 5.0 / 9.0));
}

std::string weatherLine(const Weather& weather, bool celsius) {
    std::string temp = celsius ? std::to_string(toCelsius(weather.fahrenheit)) + "C"
                               : std::to_string(weather.fahrenheit) + "F";
    return weather.code + " " + temp + " " + weather.sky;
}

namespace {

// Counts what the reply holds so far against kMaxReplyItems and kMaxReplyBytes.
class Budget {
  public:
    bool take(const std::string& text, const std::string& link) {
        // Field and link text as encoded, plus the grammar bytes around them.
        std::size_t cost = reply::fieldText(text).size() + reply::linkText(link).size() + 8;
        if (items_ >= kMaxReplyItems || bytes_ + cost > kMaxReplyBytes) return false;
        ++items_;
        bytes_ += cost;
        return true;
    }
    bool section() {
        // Tag, label and column changes of one section.
        if (bytes_ + kSection > kMaxReplyBytes) return false;
        bytes_ += kSection;
        return true;
    }

  private:
    static constexpr std::size_t kSection = 32;
    std::size_t items_ = 0;
    std::size_t bytes_ = 0;
};

}  // namespace

std::string contentReply(const Selection& selection, const Catalog& catalog, QuoteBoard& board) {
    std::string out;
    Budget budget;

    std::vector<reply::QuoteLine> quotes;
    if (!selection.symbols.empty() && budget.section()) {
        for (const std::string& symbol : selection.symbols) {
            reply::QuoteLine line{symbol, quoteValue(board.next(symbol)), quoteLink(symbol)};
            if (!budget.take(line.symbol + line.value, line.link)) break;
            quotes.push_back(line);
        }
    }
    out += reply::quotesSection(quotes);

    for (const std::string& code : selection.topics) {
        const Topic* topic = findTopic(code);
        auto it = catalog.news.find(code);
        if (!topic || it == catalog.news.end() || !budget.section()) continue;
        std::vector<reply::Item> items;
        for (const Headline& h : it->second) {
            if (items.size() >= static_cast<std::size_t>(selection.stories) ||
                !budget.take(h.title, h.link))
                break;
            items.push_back({h.title, h.link});
        }
        out += reply::topicSection(topic->code, topic->label, items);
    }

    std::vector<reply::Item> lines;
    if (!selection.airports.empty() && budget.section()) {
        for (const std::string& code : selection.airports) {
            const Weather* known = catalog.findWeather(code);
            reply::Item line{weatherLine(known ? *known : madeUpWeather(code), selection.celsius),
                             weatherLink(code)};
            if (!budget.take(line.text + "   ", line.link)) break;
            lines.push_back(line);
        }
    }
    out += reply::weatherSection("Weather:", lines);

    return out;
}

}  // namespace portal
