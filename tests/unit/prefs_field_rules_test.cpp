// What the preferences pages make of typed text: the airport list and the two ranged numbers.
#include "prefs/field_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

TEST(FieldRules, AirportsAreJoinedByCommasAndCleanedOfStrayBytes) {
    const std::pair<std::string, std::string> cases[] = {
        {"JFK SFO", "JFK,SFO"},
        {"JFK,SFO,LAX", "JFK,SFO,LAX"},
        {"JFK  SFO ", "JFK,,SFO,"},           // every space counts, none is squeezed
        {"JFK\r\nSFO", "JFK  SFO"},           // line breaks become spaces, not commas
        {"JFK\tSFO\x7f", "JFK SFO\x7f"},      // DEL is below 0x80 and stays
        {"ZRH\xe9GVA\x80\xff", "ZRH GVA  "},  // bytes from 0x80 up become spaces
    };
    for (auto [typed, stored] : cases) {
        NormaliseAirports(typed.data());
        EXPECT_EQ(stored, typed);
    }
}

struct NumberCase {
    const char* typed;
    uint32_t refresh;  // range 10..60
    uint32_t stories;  // range 3..20
};

const NumberCase kNumberCases[] = {
    {"10", 10, 10},   {"60", 60, 20},
    {"3", 10, 3},     {"20", 20, 20},
    {"25", 25, 20},   {"75", 60, 20},
    {"0", 10, 3},     {"-5", 10, 3},
    {" 15 ", 15, 15}, {"+12", 12, 12},
    {"", 10, 3},      {"abc", 10, 3},
    {"12abc", 10, 3}, {"1 2", 10, 3},
    {"-", 10, 3},     {"99999999999999999999999", 60, 20},  // far past any integer: the upper bound
};

TEST(FieldRules, TypedNumbersStayInTheirRange) {
    for (const NumberCase& c : kNumberCases) {
        EXPECT_EQ(c.refresh, TypedNumberInRange(c.typed, kMinRefreshMinutes, kMaxRefreshMinutes))
            << "typed: '" << c.typed << "'";
        EXPECT_EQ(c.stories, TypedNumberInRange(c.typed, kMinStoriesPerTopic, kMaxStoriesPerTopic))
            << "typed: '" << c.typed << "'";
    }
}

}  // namespace
