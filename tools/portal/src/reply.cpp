// Builders for the content reply bytes (see reply.h).
#include "reply.h"

#include "text.h"

namespace portal::reply {

namespace {

// Separates weather lines, which get no bullets between them on the strip.
constexpr std::string_view kWeatherGap = "   ";

bool EntityAhead(std::string_view text, std::size_t ampersand) {
    std::string_view rest = text.substr(ampersand + 1);
    return StartsWithNoCase(rest, "amp") || StartsWithNoCase(rest, "quot");
}

// In a quote group the ticker takes any '+', '-' or '0' of a field as the quote's sign. In a
// label a sign only adds a marker that is not drawn, but a '0' without a sign would commit an
// empty marker in the first group and cut the strip short, so '0' is shown as the letter 'O'.
std::string SymbolLabel(std::string_view symbol) {
    std::string out = FieldText(symbol);
    for (char& c : out)
        if (c == '0') c = 'O';
    return out;
}

}  // namespace

std::string FieldText(std::string_view text) {
    std::string clean = CleanText(text, kMaxFieldText);
    std::string out;
    for (std::size_t i = 0; i < clean.size(); ++i) {
        char c = clean[i];
        if (c == '"') {
            out += "&quot;";
        } else if (c == '&' && EntityAhead(clean, i)) {
            out += "& ";
        } else {
            out += c;
        }
    }
    return out;
}

std::string LinkText(std::string_view address) {
    std::string out = PercentEncodeLink(address);
    if (out.size() > kMaxLinkText) out.resize(kMaxLinkText);
    return out;
}

std::string Tag(std::string_view code) {
    std::string out(1, kTag);
    out += code.size() >= 2 ? code.substr(0, 2)
                            : std::string(code) + std::string(2 - code.size(), 'x');
    return out;
}

std::string Column(char code) { return std::string{kColumn, code}; }

std::string Field(std::string_view text) { return kField + FieldText(text); }

std::string ClosedField(std::string_view text) { return Field(text) + kField; }

std::string Link(std::string_view address) { return kLink + LinkText(address) + kLink; }

std::string QuotesSection(const std::vector<QuoteLine>& quotes) {
    if (quotes.empty()) return "";
    std::string out = Tag("qt");
    for (const QuoteLine& q : quotes) {
        out += Column('1') + kField + SymbolLabel(q.symbol);
        out += Column('2') + ClosedField(q.value) + Link(q.link);
    }
    return out;
}

std::string TopicSection(std::string_view code, std::string_view label,
                         const std::vector<Item>& headlines) {
    if (headlines.empty()) return "";
    std::string out = Tag(code) + Column('1') + Field(label) + Column('2');
    for (const Item& h : headlines) out += ClosedField(h.text) + Link(h.link);
    return out;
}

std::string WeatherSection(std::string_view label, const std::vector<Item>& lines) {
    if (lines.empty()) return "";
    std::string out = Tag("wt") + Column('1') + Field(label) + Column('2');
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string text = FieldText(lines[i].text);
        if (i + 1 < lines.size()) text += kWeatherGap;
        out += kField + text + kField + Link(lines[i].link);
    }
    return out;
}

}  // namespace portal::reply
