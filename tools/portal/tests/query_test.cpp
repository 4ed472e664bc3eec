// Request targets and content queries as the ticker (and odder clients) send them.
#include <gtest/gtest.h>

#include <array>

#include "query.h"

namespace portal {
namespace {

std::string Joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : ",") + item;
    return text;
}

// The proxy form (absolute, as the ticker sends through its proxy) is every scenario's.
TEST(QueryTarget, PathAndQueryOfEveryForm) {
    const std::array<const char*, 3> cases[] = {
        {"HTTP://my.tamzo.example:8080/zrt/update?s=^D&n=1,", "/zrt/update", "s=^D&n=1,"},
        {"http://search.tamzo.example", "/", ""},
        {"http://search.tamzo.example?p=x", "/", "p=x"},
        {"/bin/search?p=a?b", "/bin/search", "p=a?b"}};
    for (const auto& [target, path, query] : cases) {
        EXPECT_EQ(SplitTarget(target).path, path) << target;
        EXPECT_EQ(SplitTarget(target).query, query) << target;
    }
}

TEST(QuerySelection, PiecesAsAskedAndOddValuesBounded) {
    struct Case {
        std::string query, symbols;
        const char *airports, *topics;
        int stories;
    };
    const Case cases[] = {
        {"stocks=^DJI,^SPC,^IXIC,^XAM,IBM,INTC,MSFT&weather=f,JFK,SFO,LAX&news=10,rt,",
         "^DJI,^SPC,^IXIC,^XAM,IBM,INTC,MSFT", "JFK,SFO,LAX", "rt", 10},
        {"stocks=IBM,INTC&news=10,", "IBM,INTC", "", "", 10},
        {"weather=c,sfo,,ORD,&news=5,rc,", "", "SFO,ORD", "rc", 5},
        // Topics in the order asked; unknown codes, repeats and junk are skipped.
        {"news=3,re,rt,rw,rb,rp,rc,rs", "", "", "re,rt,rw,rb,rp,rc,rs", 3},
        {"news=10,rx,RT,rt,zz,,re", "", "", "rt,re", 10},
        {"news=rt,rw", "", "", "rt,rw", kDefaultStories},
        {"", "", "", "", kDefaultStories},
        // Unescaped as the ticker sends them, escaped by other clients, or joined by '+'.
        {"stocks=%5EDJI%2C^spc", "^DJI,^SPC", "", "", kDefaultStories},
        {"stocks=^DJI+IBM+", "^DJI,IBM", "", "", kDefaultStories},
        {"stocks=IBM,,ibm, INTC ,<b>,", "IBM,INTC,B", "", "", kDefaultStories},
        {"news=0,rt", "", "", "rt", 1},
        {"news=51,rt", "", "", "rt", kMaxStories},
        {"news=99999999999999999999,rt", "", "", "rt", kMaxStories},
        {"news=-5,rt", "", "", "rt", kDefaultStories},
        {"stocks=" + std::string(100, 'A'), std::string(kMaxSymbolLength, 'A'), "", "",
         kDefaultStories},
    };
    for (const Case& c : cases) {
        Selection s = ParseSelection(c.query);
        EXPECT_EQ(Joined(s.symbols), c.symbols) << c.query;
        EXPECT_EQ(Joined(s.airports), c.airports) << c.query;
        EXPECT_EQ(Joined(s.topics), c.topics) << c.query;
        EXPECT_EQ(s.stories, c.stories) << c.query;
        EXPECT_EQ(s.celsius, c.query.rfind("weather=c", 0) == 0) << c.query;
    }
    std::string symbols = "stocks=", airports = "&weather=f";
    for (int i = 0; i < 500; ++i)
        symbols += "S" + std::to_string(i) + ",", airports += ",A" + std::to_string(i);
    const Selection big = ParseSelection(symbols + airports);
    EXPECT_EQ(big.symbols.size(), kMaxSymbols);
    EXPECT_EQ(big.airports.size(), kMaxAirports);
    for (const char* junk :
         {"&&&", "=", "stocks", "stocks=&news=&weather=", "%", "%zz=%", "news=,,,,"})
        EXPECT_TRUE(ParseSelection(junk).Empty()) << junk;
}

TEST(QueryValue, DecodesOnlyWhatItIsAskedTo) {
    EXPECT_EQ(QueryValue("login=pat&passwd=a+b%21", "passwd"), "a+b!");
    EXPECT_EQ(QueryValue("p=two+words%3F", "p", true), "two words?");
    EXPECT_EQ(QueryValue("p", "p", true), "");
    EXPECT_FALSE(QueryValue("q=1", "p").has_value());
    EXPECT_EQ(QueryValue("p=first&p=second", "p"), "first");
}

}  // namespace
}  // namespace portal
