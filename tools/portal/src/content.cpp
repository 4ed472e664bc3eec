// Assembly of the content reply from the catalog and the quote board (see content.h).
#include "content.h"

#include <cctype>
#include <cmath>
#include <cstdio>

#include "reply.h"
#include "text.h"

namespace portal {

std::string QuoteLink(const std::string& symbol) {
    return "http://quote.tamzo.example/q?s=" + PercentEncode(symbol, [](unsigned char c) {
               return std::isalnum(c) || c == '.' || c == '-' || c == '_';
           });
}

std::string WeatherLink(const std::string& code) {
    return "http://my.tamzo.example/weather/" + code + ".html";
}

int ToCelsius(int fahrenheit) {
    return static_cast<int>(std::lround((fahrenheit - 32) * 5.0 / 9.0));
}

std::string WeatherLine(const Weather& weather, bool celsius) {
    std::string temp = celsius ? std::to_string(ToCelsius(weather.fahrenheit)) + "C"
                               : std::to_string(weather.fahrenheit) + "F";
    return weather.code + " " + temp + " " + weather.sky;
}

namespace {

// Counts what the reply holds so far against kMaxReplyItems and kMaxReplyBytes.
class Budget {
  public:
    bool Take(const std::string& text, const std::string& link) {
        // Field and link text as encoded, plus the grammar bytes around them.
        std::size_t cost = reply::FieldText(text).size() + reply::LinkText(link).size() + 8;
        if (items_ >= kMaxReplyItems || bytes_ + cost > kMaxReplyBytes) return false;
        ++items_;
        bytes_ += cost;
        return true;
    }
    bool Section() {
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

std::string ContentReply(const Selection& selection, const Catalog& catalog, const News& news,
                         QuoteBoard& board) {
    std::string out;
    Budget budget;

    std::vector<reply::QuoteLine> quotes;
    if (!selection.symbols.empty() && budget.Section()) {
        for (const std::string& symbol : selection.symbols) {
            reply::QuoteLine line{symbol, QuoteValue(board.Next(symbol)), QuoteLink(symbol)};
            if (!budget.Take(line.symbol + line.value, line.link)) break;
            quotes.push_back(line);
        }
    }
    out += reply::QuotesSection(quotes);

    for (const std::string& code : selection.topics) {
        const Topic* topic = FindTopic(code);
        auto it = news.find(code);
        if (!topic || it == news.end() || !budget.Section()) continue;
        std::vector<reply::Item> items;
        for (const Headline& h : it->second) {
            if (items.size() >= static_cast<std::size_t>(selection.stories) ||
                !budget.Take(h.title, h.link))
                break;
            items.push_back({h.title, h.link});
        }
        out += reply::TopicSection(topic->code, topic->label, items);
    }

    std::vector<reply::Item> lines;
    if (!selection.airports.empty() && budget.Section()) {
        for (const std::string& code : selection.airports) {
            const Weather* known = catalog.FindWeather(code);
            reply::Item line{WeatherLine(known ? *known : MadeUpWeather(code), selection.celsius),
                             WeatherLink(code)};
            if (!budget.Take(line.text + "   ", line.link)) break;
            lines.push_back(line);
        }
    }
    out += reply::WeatherSection("Weather:", lines);

    return out;
}

}  // namespace portal
