// The ticker's content reply: a byte stream of tags (0x0E + two letters), column changes
// (0x05 + column code), fields (0x0B + text) and links (0x0D + address + 0x0D). These plain
// functions build the pieces and the three kinds of section, always from cleaned text, so
// that nothing a caller passes can break the stream.
//
// Layout of a section (column 1 makes a label on the strip, column 2 a value):
//   quotes   0E "qt", then per quote:  05 '1' 0B symbol  05 '2' 0B price change 0B  0D link 0D
//   topic    0E code  05 '1' 0B "Label:"  05 '2'  then per headline:  0B title 0B  0D link 0D
//   weather  0E "wt"  05 '1' 0B "Weather:"  05 '2'  then per airport:  0B line 0B  0D link 0D
// A column-1 field is ended by the column change that follows, so a label ending in ':' gets
// its two spaces; every column-2 field is closed by 0x0B and followed by its link.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace portal::reply {

inline constexpr char kTag = '\x0E';
inline constexpr char kColumn = '\x05';
inline constexpr char kField = '\x0B';
inline constexpr char kLink = '\x0D';

inline constexpr std::size_t kMaxFieldText = 200;
inline constexpr std::size_t kMaxLinkText = 190;

// Text for a field: printable ASCII only, '|' as '/', '"' as &quot;, and an '&' that would
// read as an entity kept visible by a following space. At most kMaxFieldText bytes.
std::string FieldText(std::string_view text);
// Text for a link: bytes outside '!'..'~' escaped as %XX, at most kMaxLinkText bytes.
std::string LinkText(std::string_view address);

std::string Tag(std::string_view code);  // exactly two letters are used
std::string Column(char code);
std::string Field(std::string_view text);        // 0x0B + text, ended by whatever follows
std::string ClosedField(std::string_view text);  // 0x0B + text + 0x0B
std::string Link(std::string_view address);      // 0x0D + address + 0x0D

struct QuoteLine {
    std::string symbol;
    std::string value;  // "101 1/4 +1/2", "98 1/2 -1/4" or "98 1/2 0"
    std::string link;
};

struct Item {
    std::string text;
    std::string link;
};

std::string QuotesSection(const std::vector<QuoteLine>& quotes);
std::string TopicSection(std::string_view code, std::string_view label,
                         const std::vector<Item>& headlines);
std::string WeatherSection(std::string_view label, const std::vector<Item>& lines);

}  // namespace portal::reply
