// The content reply: exact grammar bytes of a small request, and what the strip makes of
// replies with quotes in every direction, several sections and hostile text.
#include <gtest/gtest.h>

#include "content.h"
#include "prices.h"
#include "query.h"
#include "reply.h"
#include "strip.h"

namespace portal {
namespace {

// Writes grammar bytes readably: <T> tag, <C> column change, <F> field, <L> link.
std::string Bytes(std::string s) {
    const std::pair<const char*, char> marks[] = {
        {"<T>", '\x0E'}, {"<C>", '\x05'}, {"<F>", '\x0B'}, {"<L>", '\x0D'}};
    for (const auto& [mark, byte] : marks)
        for (std::size_t at; (at = s.find(mark)) != std::string::npos;) s.replace(at, 3, 1, byte);
    return s;
}

Quote MakeQuote(const char* symbol, const char* price, const char* change) {
    Quote q;
    q.symbol = symbol;
    EXPECT_TRUE(ParsePrice(price, q.unit, q.price)) << price;
    EXPECT_TRUE(ParseChange(change, q.unit, q.change)) << change;
    return q;
}

Catalog SmallCatalog() {
    Catalog c;
    c.quotes = {MakeQuote("IBM", "101 1/4", "+1/2"), MakeQuote("INTC", "98 1/2", "-1/4"),
                MakeQuote("MSFT", "98 1/2", "0"), MakeQuote("^DJI", "7912.44", "+32.51")};
    c.news["rt"] = {{"Headline A", "x/a"}, {"Headline B", "x/b"}, {"Headline C", "x/c"}};
    c.news["rs"] = {{"Final Score", "HTTP://sports.example/1"}};
    c.weather = {{"JFK", "New York", 45, "Cloudy"}, {"SFO", "San Francisco", 61, "Fog"}};
    return c;
}

std::string ReplyFor(const Catalog& catalog, const std::string& query) {
    QuoteBoard board(catalog, true, 1);
    return ContentReply(ParseSelection(query), catalog, catalog.news, board);
}

TEST(ReplyEncoder, SmallRequestGivesExactBytes) {
    Catalog catalog = SmallCatalog();
    EXPECT_EQ(ReplyFor(catalog, "stocks=IBM,MSFT&weather=c,JFK&news=1,rt,"),
              Bytes("<T>qt<C>1<F>IBM<C>2<F>101 1/4 +1/2<F><L>http://quote.tamzo.example/q?s=IBM<L>"
                    "<C>1<F>MSFT<C>2<F>98 1/2 0<F><L>http://quote.tamzo.example/q?s=MSFT<L>"
                    "<T>rt<C>1<F>Top Stories:<C>2<F>Headline A<F><L>x/a<L>"
                    "<T>wt<C>1<F>Weather:<C>2<F>JFK 7C Cloudy<F>"
                    "<L>http://my.tamzo.example/weather/JFK.html<L>"));
    EXPECT_EQ(ReplyFor(catalog, "news=10,"), "");
    // A topic alone opens exactly like the ticker's worked example.
    EXPECT_EQ(test::ReadStrip(ReplyFor(catalog, "news=1,rt")).text,
              "Top Stories:  |{Headline A  \x95  |");
}

TEST(ReplyEncoder, HostileTextStaysInsideItsField) {
    std::string hostile = "Tab\there|pipe \x01\x0B\x0D\x0E\x05 \x95\xC3\xA9 \"q\" AT&T R&amp;D";
    std::string reply = reply::TopicSection("rt", "Top Stories:", {{hostile, "a b\x0D\xFFz"}});
    EXPECT_EQ(reply,
              Bytes("<T>rt<C>1<F>Top Stories:<C>2<F>Tab here/pipe *e &quot;q&quot; AT&T R& amp;D<F>"
                    "<L>a%20b%0D%FFz<L>"));
    test::Strip strip = test::ReadStrip(reply);
    EXPECT_EQ(strip.text, "Top Stories:  |{Tab here/pipe *e \"q\" AT&T R& amp;D  \x95  |");
    EXPECT_EQ(strip.links, std::vector<std::string>{"http://a%20b%0D%FFz"});

    std::string longTitle(500, 'x');
    EXPECT_LE(reply::FieldText(longTitle).size(), reply::kMaxFieldText);
    EXPECT_LE(reply::LinkText(longTitle).size(), reply::kMaxLinkText);
}

TEST(ReplyEncoder, SymbolsWithZeroOrSignsKeepTheStripWhole) {
    // In a quote group the ticker reads '0', '+' and '-' as the quote's sign. A leading
    // symbol with a zero must not commit an empty marker and cut the strip short.
    Catalog catalog;
    test::Strip strip = test::ReadStrip(ReplyFor(catalog, "stocks=X0,BRK-A,Y0"));
    auto value = [](const char* symbol) {
        const Quote q = MadeUpQuote(symbol);
        return (q.change > 0 ? "+" : q.change < 0 ? "-" : "%") + QuoteValue(q) + "|";
    };
    EXPECT_EQ(strip.text, "XO|" + value("X0") + "-BRK-A|" + value("BRK-A") + "YO|" + value("Y0"));
}

TEST(ReplyEncoder, LargestSelectionFitsTheTicker) {
    Catalog catalog;
    std::string all = "stocks=";
    for (int i = 0; i < 60; ++i) all += "SYM" + std::to_string(i) + ",";
    all += "&weather=f";
    for (int i = 0; i < 40; ++i) all += ",A" + std::to_string(i);
    all += "&news=50,rt,rw,rb,rp,rc,rs,re";
    for (const Topic& t : NewsTopics())
        for (int i = 0; i < 60; ++i)
            catalog.news[t.code].push_back({std::string(110, 'h'), StoryLink(t.code, i + 1)});

    std::string reply = ReplyFor(catalog, all);
    test::Strip strip = test::ReadStrip(reply);
    EXPECT_LE(reply.size(), kMaxReplyBytes + 64);
    EXPECT_LE(strip.links.size(), kMaxReplyItems);
    EXPECT_LT(strip.text.size(), 20000u);  // the ticker's strip text buffer
    EXPECT_NE(strip.text.find("|{Top Stories:  |{hhh"),
              std::string::npos);  // quotes did not take it all
}

TEST(ReplyPrices, ParseAndFormatTicks) {
    PriceUnit unit;
    long long ticks = 0;
    ASSERT_TRUE(ParsePrice("101 1/4", unit, ticks));
    EXPECT_EQ(ticks, 1620);
    for (auto [at, text] : {std::pair{1624, "101 1/2"}, {95, "5 15/16"}, {896, "56"}})
        EXPECT_EQ(FormatPrice(unit, at), text);
    ASSERT_TRUE(ParsePrice("689.4", unit, ticks));
    EXPECT_EQ(FormatPrice(unit, ticks), "689.40");
    for (const char* bad : {"", "1/3", "12 5/4", "abc", "1.234", "-5", "99999999999999999"})
        EXPECT_FALSE(ParsePrice(bad, unit, ticks)) << bad;
    EXPECT_FALSE(ParseChange("1/2", PriceUnit::Sixteenths, ticks));  // a change needs its sign
}

}  // namespace
}  // namespace portal
