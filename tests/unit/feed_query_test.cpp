// The two request addresses of a refresh.
#include "feed/feed_query.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const std::string kBase = "http://my.tamzo.example/zrt/update";

TickerSettingsData NoSelections() {
    TickerSettingsData s = {};
    s.storiesPerTopic = 10;
    return s;
}

std::string Query(const TickerSettingsData& s, const char* airports = "") {
    char address[kRequestAddressSize];
    std::memset(address, 'x', sizeof address);
    size_t length = BuildContentAddress(address, sizeof address, s, airports);
    EXPECT_EQ(std::strlen(address), length);
    std::string text(address);
    EXPECT_EQ(0u, text.rfind(kBase, 0)) << text;
    return text.substr(kBase.size());
}

TEST(ContentAddress, QuotesOnlyGiveCommaJoinedSymbolsAndTheNewsCount) {
    TickerSettingsData s = NoSelections();
    s.showQuotes = 1;
    std::strcpy(s.stockSymbols, "IBM+INTC");
    EXPECT_EQ("?stocks=IBM,INTC&news=10,", Query(s));
}

TEST(ContentAddress, FirstRunSettings) {
    TickerSettingsData s = NoSelections();
    s.showQuotes = s.showWeather = s.fahrenheit = s.showUS = 1;
    std::strcpy(s.stockSymbols, kDefaultStockSymbols);
    EXPECT_EQ("?stocks=^DJI,^SPC,^IXIC,^XAM,IBM,INTC,MSFT&weather=f,JFK,SFO,LAX&news=10,rt,",
              Query(s, "JFK,SFO,LAX"));
}

TEST(ContentAddress, TopicsFollowInTheirOrderAndEntertainmentEndsWithoutComma) {
    TickerSettingsData s = NoSelections();
    s.showUS = s.showWorld = s.showBusiness = s.showPolitics = s.showTechnology = s.showSports =
        s.showEntertainment = 1;
    EXPECT_EQ("?news=10,rt,rw,rb,rp,rc,rs,re", Query(s));
    s.showEntertainment = 0;
    EXPECT_EQ("?news=10,rt,rw,rb,rp,rc,rs,", Query(s));
    s = NoSelections();
    s.showSports = s.showTechnology = 1;
    s.storiesPerTopic = 4000000000u;
    EXPECT_EQ("?news=4000000000,rc,rs,", Query(s));
}

TEST(ContentAddress, WeatherInCelsiusAndValuesAsTheyStand) {
    TickerSettingsData s = NoSelections();
    s.showWeather = 1;
    EXPECT_EQ("?weather=c,ORD&news=10,", Query(s, "ORD"));
    // Nothing is escaped, and only the symbols have their "+" turned into commas.
    s.showQuotes = 1;
    std::strcpy(s.stockSymbols, "A&B C+D");
    EXPECT_EQ("?stocks=A&B C,D&weather=c,X+Y&news=10,", Query(s, "X+Y"));
}

TEST(ContentAddress, PersonalAccountSendsNoQuery) {
    TickerSettingsData s = NoSelections();
    s.useMyTamzo = s.showQuotes = s.showWeather = s.showUS = 1;
    std::strcpy(s.stockSymbols, "IBM");
    EXPECT_EQ("", Query(s, "JFK"));
}

TEST(ContentAddress, AnOverlongAddressIsCutAtTheBufferEnd) {
    TickerSettingsData s = NoSelections();
    s.showQuotes = s.showWeather = 1;
    std::memset(s.stockSymbols, 'S', sizeof s.stockSymbols - 1);
    s.stockSymbols[sizeof s.stockSymbols - 1] = 0;
    std::string airports(kAirportsField - 1, 'P');

    char guarded[kRequestAddressSize + 16];
    std::memset(guarded, '#', sizeof guarded);
    size_t length = BuildContentAddress(guarded, kRequestAddressSize, s, airports.c_str());
    EXPECT_EQ(kRequestAddressSize - 1, length);
    EXPECT_EQ(kRequestAddressSize - 1, std::strlen(guarded));
    for (size_t i = kRequestAddressSize; i < sizeof guarded; ++i) EXPECT_EQ('#', guarded[i]);
    std::string text(guarded);
    EXPECT_NE(std::string::npos, text.find("&weather=c,PPP"));  // the symbols all made it
    EXPECT_EQ(std::string::npos, text.find("news="));           // the tail did not
}

TEST(LoginAddress, CarriesUserAndPassword) {
    char address[kLoginAddressSize];
    ASSERT_TRUE(BuildLoginAddress(address, sizeof address, "jane", "s3cret"));
    EXPECT_STREQ("http://login.tamzo.example/bin/zrtlogin?login=jane&passwd=s3cret", address);
}

TEST(LoginAddress, IsRefusedRatherThanCutWhenItDoesNotFit) {
    const size_t fixed = std::strlen("http://login.tamzo.example/bin/zrtlogin?login=&passwd=");
    std::string user(99, 'u');
    std::string password(kLoginAddressSize - 1 - fixed - user.size(), 'p');
    char address[kLoginAddressSize];
    ASSERT_TRUE(BuildLoginAddress(address, sizeof address, user.c_str(), password.c_str()));
    EXPECT_EQ(kLoginAddressSize - 1, std::strlen(address));

    password += "p";  // one character more than the buffer holds
    std::memset(address, 'x', sizeof address);
    EXPECT_FALSE(BuildLoginAddress(address, sizeof address, user.c_str(), password.c_str()));
    EXPECT_STREQ("", address);
}

}  // namespace
