// Request targets and queries: splitting a target (also the absolute form that proxy clients
// send) into path and raw query, reading key=value pairs, and the content selection that a
// /zrt/update query asks for.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace portal {

constexpr int kDefaultStories = 10;
constexpr int kMaxStories = 50;
constexpr std::size_t kMaxSymbols = 50;
constexpr std::size_t kMaxAirports = 30;
constexpr std::size_t kMaxSymbolLength = 12;

struct Target {
    std::string path;   // "/zrt/update", never empty
    std::string query;  // raw text after the first '?', without it; "" when none
};

// "/a/b?x=1" and "http://host:port/a/b?x=1" both give path "/a/b" and query "x=1".
Target SplitTarget(std::string_view target);

// The first value of `key` in a raw query, percent-decoded (with plusIsSpace, '+' is a space).
// No value when the key is absent; "" when it is present without a value.
std::optional<std::string> QueryValue(std::string_view query, std::string_view key,
                                      bool plusIsSpace = false);

struct Selection {
    std::vector<std::string> symbols;  // upper case, as asked, without repeats
    bool celsius = false;
    std::vector<std::string> airports;  // upper case, as asked, without repeats
    int stories = kDefaultStories;      // 1..kMaxStories
    std::vector<std::string> topics;    // known topic codes, in the order asked, without repeats

    bool Empty() const { return symbols.empty() && airports.empty() && topics.empty(); }
};

// A symbol as the portal uses it: upper case, only letters, digits and ^ . - _, at most
// kMaxSymbolLength characters. Empty when nothing usable is left.
std::string CleanSymbol(std::string_view text);

// Reads "stocks=A,B&weather=f,JFK,SFO&news=N,rt,rw,..." leniently: any piece may be missing,
// values may be escaped or not, empty items and unknown topic codes are skipped, and every
// list and number is bounded.
Selection ParseSelection(std::string_view query);

}  // namespace portal
