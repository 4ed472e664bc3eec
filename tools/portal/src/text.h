// Small text helpers shared by the portal: case, splitting, escaping, percent-coding,
// cleaning text so it fits the content reply, and a stable hash for made-up values.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace portal {

std::string ToUpper(std::string_view s);
std::string ToLower(std::string_view s);
std::string Trim(std::string_view s);
bool StartsWithNoCase(std::string_view s, std::string_view prefix);
bool EndsWithNoCase(std::string_view s, std::string_view suffix);

// Splits at every separator; empty pieces are kept.
std::vector<std::string> Split(std::string_view s, char separator);

// Decodes %XX (valid hex only; anything else stays as it is). With plusIsSpace, '+' is a space.
std::string PercentDecode(std::string_view s, bool plusIsSpace);

// %XX for every byte that `keep` refuses.
std::string PercentEncode(std::string_view s, bool (*keep)(unsigned char c));
// Makes a link safe for the reply: bytes outside '!'..'~' become %XX.
std::string PercentEncodeLink(std::string_view s);

std::string HtmlEscape(std::string_view s);
std::string JsonEscape(std::string_view s);

// Cleans free text (headlines, titles, weather; UTF-8 or Windows-1252) into printable ASCII
// for one reply field: characters outside ASCII take their plain likeness (charset.h), control
// bytes become spaces, '|' becomes '/', runs of blanks collapse, and text longer than
// maxLength is cut at a word boundary and ends in "...".
std::string CleanText(std::string_view s, std::size_t maxLength);

// 64-bit FNV-1a: stable across runs and platforms, used for made-up quotes and weather.
std::uint64_t StableHash(std::string_view s);

}  // namespace portal
