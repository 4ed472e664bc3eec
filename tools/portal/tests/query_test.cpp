// Request targets and content queries as the ticker (and odder clients) send them.
#include <gtest/gtest.h>

#include <array>

#include "query.h"

namespace portal {
namespace {

using Strings = std::vector<std::string>;

// The proxy form (absolute, as the ticker sends through its proxy) is every scenario's.
TEST(QueryTarget, PathAndQueryOfEveryForm) {
    const std::array<const char*, 3> cases[] = {
        {"HTTP://my.tamzo.example:8080/zrt/update?s=^D&n=1,", "/zrt/update", "s=^D&n=1,"},
        {"http://search.tamzo.example", "/", ""},
        {"http://search.tamzo.example?p=x", "/", "p=x"},
        {"/zrt/update", "/zrt/update", ""},
        {"/bin/search?p=a?b", "/bin/search", "p=a?b"}};
    for (const auto& [target, path, query] : cases) {
        EXPECT_EQ(SplitTarget(target).path, path) << target;
        EXPECT_EQ(SplitTarget(target).query, query) << target;
    }
}

TEST(QuerySelection, FirstRunQuery) {
    Selection s = ParseSelection(
        "stocks=^DJI,^SPC,^IXIC,^XAM,IBM,INTC,MSFT&weather=f,JFK,SFO,LAX&news=10,rt,");
    EXPECT_EQ(s.symbols, (Strings{"^DJI", "^SPC", "^IXIC", "^XAM", "IBM", "INTC", "MSFT"}));
    EXPECT_FALSE(s.celsius);
    EXPECT_EQ(s.airports, (Strings{"JFK", "SFO", "LAX"}));
    EXPECT_EQ(s.stories, 10);
    EXPECT_EQ(s.topics, Strings{"rt"});
}

TEST(QuerySelection, MissingPiecesAndTrailingCommas) {
    Selection newsOnly = ParseSelection("news=10,");
    EXPECT_TRUE(newsOnly.Empty());
    EXPECT_EQ(newsOnly.stories, 10);

    Selection quotesOnly = ParseSelection("stocks=IBM,INTC&news=10,");
    EXPECT_EQ(quotesOnly.symbols, (Strings{"IBM", "INTC"}));
    EXPECT_TRUE(quotesOnly.topics.empty());
    EXPECT_TRUE(quotesOnly.airports.empty());

    // All seven topics end without a comma; order is kept as asked.
    Selection all = ParseSelection("news=3,rt,rw,rb,rp,rc,rs,re");
    EXPECT_EQ(all.topics, (Strings{"rt", "rw", "rb", "rp", "rc", "rs", "re"}));
    EXPECT_EQ(ParseSelection("news=3,re,rt").topics, (Strings{"re", "rt"}));

    Selection celsius = ParseSelection("weather=c,sfo,,ORD,&news=5,rc,");
    EXPECT_TRUE(celsius.celsius);
    EXPECT_EQ(celsius.airports, (Strings{"SFO", "ORD"}));

    EXPECT_TRUE(ParseSelection("weather=f,&news=1,").airports.empty());
    EXPECT_TRUE(ParseSelection("").Empty());
    EXPECT_EQ(ParseSelection("").stories, kDefaultStories);
}

TEST(QuerySelection, SymbolsAsSentOrEscaped) {
    // Unescaped as the ticker sends them, escaped by other clients, or joined by '+'.
    EXPECT_EQ(ParseSelection("stocks=^DJI,^spc&news=1,").symbols, (Strings{"^DJI", "^SPC"}));
    EXPECT_EQ(ParseSelection("stocks=%5EDJI%2CIBM").symbols, (Strings{"^DJI", "IBM"}));
    EXPECT_EQ(ParseSelection("stocks=^DJI+IBM+").symbols, (Strings{"^DJI", "IBM"}));
    EXPECT_EQ(ParseSelection("stocks=IBM,,ibm, INTC ,<b>,").symbols, (Strings{"IBM", "INTC", "B"}));
}

TEST(QuerySelection, OddValuesAreBounded) {
    EXPECT_EQ(ParseSelection("news=0,rt").stories, 1);
    EXPECT_EQ(ParseSelection("news=51,rt").stories, kMaxStories);
    EXPECT_EQ(ParseSelection("news=99999999999999999999,rt").stories, kMaxStories);
    EXPECT_EQ(ParseSelection("news=-5,rt").stories, kDefaultStories);
    EXPECT_EQ(ParseSelection("news=rt,rw").topics, (Strings{"rt", "rw"}));

    // Unknown codes, repeats and junk are skipped.
    EXPECT_EQ(ParseSelection("news=10,rx,RT,rt,zz,,re").topics, (Strings{"rt", "re"}));

    std::string many = "stocks=";
    for (int i = 0; i < 500; ++i) many += "S" + std::to_string(i) + ",";
    many += "&weather=f";
    for (int i = 0; i < 500; ++i) many += ",A" + std::to_string(i);
    Selection big = ParseSelection(many);
    EXPECT_EQ(big.symbols.size(), kMaxSymbols);
    EXPECT_EQ(big.airports.size(), kMaxAirports);
    EXPECT_EQ(ParseSelection("stocks=" + std::string(100, 'A')).symbols,
              Strings{std::string(kMaxSymbolLength, 'A')});

    for (const char* junk :
         {"&&&", "=", "stocks", "stocks=&news=&weather=", "%", "%zz=%", "news=,,,,"})
        EXPECT_TRUE(ParseSelection(junk).Empty()) << junk;
}

TEST(QueryValue, DecodesOnlyWhatItIsAskedTo) {
    EXPECT_EQ(QueryValue("login=pat&passwd=a+b%21", "passwd"), "a+b!");
    EXPECT_EQ(QueryValue("p=two+words%3F", "p", true), "two words?");
    EXPECT_EQ(QueryValue("p=", "p", true), "");
    EXPECT_EQ(QueryValue("p", "p", true), "");
    EXPECT_FALSE(QueryValue("q=1", "p").has_value());
    EXPECT_EQ(QueryValue("p=first&p=second", "p"), "first");
}

}  // namespace
}  // namespace portal
