// Builders for the content reply bytes (see reply.h).
#include "reply.h"

#include "text.h"

namespace portal::reply {

namespace {

// Separates weather lines, which get no bullets between them on the strip.
constexpr std::string_view kWeatherGap = "   ";

bool entityAhead(std::string_view text, std::size_t ampersand) {
    std::string_view rest = text.substr(ampersand + 1);
    return startsWithNoCase(rest, "amp") || startsWithNoCase(rest, "quot");
}

// In a quote group the ticker takes any '+', '-' or '0' of a field as the quote's sign. In a
// label a sign only adds a marker that is not drawn, but a '0' without a sign would commit an
// empty marker in the first group and cut the strip short, so '0' is shown as the letter 'O'.
std::string symbolLabel(std::string_view symbol) {
    std::string out = fieldText(symbol);
    for (char& c : out)
        if (c == '0') c = 'O';
    return out;
}

}  // namespace

std::string fieldText(std::string_view text) {
    std::string clean = cleanText(text, kMaxFieldText);
    std::string out;
    for (std::size_t i = 0; i < clean.size(); ++i) {
        char c = clean[i];
        if (c == '"') {
            out += "&quot;";
        } else if (c == '&' && entityAhead(clean, i)) {
            out += "& ";
        } else {
            out += c;
        }
    }
    return out;
}

std::string linkText(std::string_view address) {
    std::string out = percentEncodeLink(address);
    if (out.size() > kMaxLinkText) out.resize(kMaxLinkText);
    return out;
}

std::string tag(std::string_view code) {
    std::string out(1, kTag);
    out += code.size() >= 2 ? code.substr(0, 2)
                            : std::string(code) + std::string(2 - code.size(), 'x');
    return out;
}

std::string column(char code) { return std::string{kColumn, code}; }

std::string field(std::string_view text) { return kField + fieldText(text); }

std::string closedField(std::string_view text) { return field(text) + kField; }

std::string link(std::string_view address) { return kLink + linkText(address) + kLink; }

std::string quotesSection(const std::vector<QuoteLine>& quotes) {
    if (quotes.empty()) return "";
    std::string out = tag("qt");
    for (const QuoteLine& q : quotes) {
        out += column('1') + kField + symbolLabel(q.symbol);
        out += column('2') + closedField(q.value) + link(q.link);
    }
    return out;
}

std::string topicSection(std::string_view code, std::string_view label,
                         const std::vector<Item>& headlines) {
    if (headlines.empty()) return "";
    std::string out = tag(code) + column('1') + field(label) + column('2');
    for (const Item& h : headlines) out += closedField(h.text) + link(h.link);
    return out;
}

std::string weatherSection(std::string_view label, const std::vector<Item>& lines) {
    if (lines.empty()) return "";
    std::string out = tag("wt") + column('1') + field(label) + column('2');
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string text = fieldText(lines[i].text);
        if (i + 1 < lines.size()) text += kWeatherGap;
        out += kField + text + kField + link(lines[i].link);
    }
    return out;
}

}  // namespace portal::reply
