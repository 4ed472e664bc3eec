// The two request addresses of a refresh.
#include "feed/feed_query.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <array>
#include <utility>

namespace {

// The query of the content address (what follows the fixed part, which is checked too).
std::string Query(const TickerSettingsData& s, const char* airports = "") {
    const std::string base = "http://my.tamzo.example/zrt/update";
    char address[kRequestAddressSize];
    std::memset(address, 'x', sizeof address);
    EXPECT_EQ(std::strlen(address), BuildContentAddress(address, sizeof address, s, airports));
    EXPECT_EQ(0u, std::string(address).rfind(base, 0)) << address;
    return address + base.size();
}

TEST(ContentAddress, SelectionsInTheirOrderAndValuesAsTheyStand) {
    // The switches on, by letter: quotes, weather, fahrenheit, the personal account, then the
    // seven topics in their order.
    using S = TickerSettingsData;
    const std::pair<char, uint32_t S::*> switches[] = {
        {'q', &S::showQuotes},   {'w', &S::showWeather},      {'f', &S::fahrenheit},
        {'m', &S::useMyTamzo},   {'1', &S::showUS},           {'2', &S::showWorld},
        {'3', &S::showBusiness}, {'4', &S::showPolitics},     {'5', &S::showTechnology},
        {'6', &S::showSports},   {'7', &S::showEntertainment}};
    const std::array<const char*, 4> cases[] = {
        // Symbols joined by commas; the news count always, a trailing comma after the topics
        // unless the last one is Entertainment.
        {"IBM+INTC", "q", "", "?stocks=IBM,INTC&news=10,"},
        {"", "1234567", "", "?news=10,rt,rw,rb,rp,rc,rs,re"},
        {"", "123456", "", "?news=10,rt,rw,rb,rp,rc,rs,"},
        {"", "w", "ORD", "?weather=c,ORD&news=10,"},
        // Nothing is escaped, and only the symbols have their "+" turned into commas.
        {"A&B C+D", "qw", "X+Y", "?stocks=A&B C,D&weather=c,X+Y&news=10,"},
        {"IBM", "mqw1", "JFK", ""},  // the personal account sends no query at all
    };
    for (const auto& [symbols, on, airports, query] : cases) {
        TickerSettingsData s = {};
        s.storiesPerTopic = 10;
        std::strcpy(s.stockSymbols, symbols);
        for (const auto& [letter, flag] : switches) s.*flag = std::strchr(on, letter) != nullptr;
        EXPECT_EQ(query, Query(s, airports));
    }
}

TEST(ContentAddress, AnOverlongAddressIsCutAtTheBufferEnd) {
    TickerSettingsData s = {};
    s.showQuotes = s.showWeather = 1;
    std::memset(s.stockSymbols, 'S', sizeof s.stockSymbols - 1);
    std::string airports(kAirportsField - 1, 'P');
    char guarded[kRequestAddressSize + 16];
    std::memset(guarded, '#', sizeof guarded);
    EXPECT_EQ(kRequestAddressSize - 1,
              BuildContentAddress(guarded, kRequestAddressSize, s, airports.c_str()));
    EXPECT_EQ(kRequestAddressSize - 1, std::strlen(guarded));
    EXPECT_EQ(std::string(16, '#'), std::string(guarded + kRequestAddressSize, 16));
    std::string text(guarded);
    EXPECT_NE(std::string::npos, text.find("&weather=c,PPP"));  // the symbols all made it
    EXPECT_EQ(std::string::npos, text.find("news="));           // the tail did not
}

TEST(LoginAddress, CarriesUserAndPasswordOrIsRefusedRatherThanCut) {
    char address[kLoginAddressSize];
    const size_t fixed = std::strlen("http://login.tamzo.example/bin/zrtlogin?login=&passwd=");
    std::string user(99, 'u');
    std::string password(kLoginAddressSize - 1 - fixed - user.size(), 'p');
    ASSERT_TRUE(BuildLoginAddress(address, sizeof address, user.c_str(), password.c_str()));
    EXPECT_EQ(kLoginAddressSize - 1, std::strlen(address));
    password += "p";  // one character more than the buffer holds
    EXPECT_FALSE(BuildLoginAddress(address, sizeof address, user.c_str(), password.c_str()));
    EXPECT_STREQ("", address);
}

}  // namespace
