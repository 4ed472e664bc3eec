// Decoding, entity names and plain-text likeness of characters (see charset.h).
#include "charset.h"

#include <utility>

namespace portal {

namespace {

// Windows-1252 bytes 0x80-0x9F; 0 where the code page leaves a byte undefined.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// U+00A0-U+00FF in plain ASCII.
constexpr const char* kLatin1Plain[96] = {
    " ", "!",   "c", "GBP", "",  "JPY", "|",  "S", "",  "(c)", "a", "\"", "-",   "",    "(R)", "",
    "",  "+/-", "2", "3",   "'", "u",   "",   "*", "",  "1",   "o", "\"", "1/4", "1/2", "3/4", "?",
    "A", "A",   "A", "A",   "A", "A",   "AE", "C", "E", "E",   "E", "E",  "I",   "I",   "I",   "I",
    "D", "N",   "O", "O",   "O", "O",   "O",  "x", "O", "U",   "U", "U",  "U",   "Y",   "Th",  "ss",
    "a", "a",   "a", "a",   "a", "a",   "ae", "c", "e", "e",   "e", "e",  "i",   "i",   "i",   "i",
    "d", "n",   "o", "o",   "o", "o",   "o",  "/", "o", "u",   "u", "u",  "u",   "y",   "th",  "y"};

// U+0100-U+017F: the base letter of each.
constexpr char kLatinExtendedA[] = "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIiJjJjKk"
                                   "kLlLlLlLlLlNnNnNnnNnOoOoOoOoRrRrRrSsSsSsSsTtTtTtUuUuUuUuUu"
                                   "UuWwYyYZzZzZzs";
static_assert(sizeof kLatinExtendedA == 129, "one letter for each of U+0100-U+017F");

// HTML's names for U+00A0-U+00FF, in order.
constexpr const char* kLatin1Names[96] = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",
    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn",
    "sup2",   "sup3",   "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",
    "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde",
    "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave",
    "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde",
    "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",
    "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",
    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};

constexpr std::pair<const char*, char16_t> kOtherNames[] = {
    {"amp", '&'},       {"lt", '<'},        {"gt", '>'},        {"quot", '"'},
    {"apos", '\''},     {"ndash", 0x2013},  {"mdash", 0x2014},  {"lsquo", 0x2018},
    {"rsquo", 0x2019},  {"sbquo", 0x201A},  {"ldquo", 0x201C},  {"rdquo", 0x201D},
    {"bdquo", 0x201E},  {"hellip", 0x2026}, {"bull", 0x2022},   {"trade", 0x2122},
    {"euro", 0x20AC},   {"OElig", 0x0152},  {"oelig", 0x0153},  {"Scaron", 0x0160},
    {"scaron", 0x0161}, {"Yuml", 0x0178},   {"dagger", 0x2020}, {"Dagger", 0x2021},
    {"permil", 0x2030}, {"lsaquo", 0x2039}, {"rsaquo", 0x203A}, {"thinsp", 0x2009},
    {"ensp", 0x2002},   {"emsp", 0x2003},   {"zwnj", 0x200C},   {"zwj", 0x200D},
    {"lrm", 0x200E},    {"rlm", 0x200F},    {"minus", 0x2212},  {"prime", 0x2032}};

char32_t FromWindows1252(unsigned char b) {
    if (b < 0x80 || b > 0x9F) return b;
    char16_t c = kWindows1252High[b - 0x80];
    return c ? c : b;
}

// Plain likeness of a code point outside ASCII and Latin-1.
std::string_view PlainOf(char32_t c) {
    if (c >= 0x0100 && c <= 0x017F) {
        if (c == 0x0152 || c == 0x0153) return c == 0x0152 ? "OE" : "oe";
        if (c == 0x0132 || c == 0x0133) return c == 0x0132 ? "IJ" : "ij";
        return std::string_view(&kLatinExtendedA[c - 0x0100], 1);
    }
    if (c >= 0x0300 && c <= 0x036F) return "";  // combining accents
    if ((c >= 0x2000 && c <= 0x200A) || c == 0x202F || c == 0x205F || c == 0x3000 || c == 0x2028 ||
        c == 0x2029)
        return " ";
    if ((c >= 0x200B && c <= 0x200F) || c == 0x2060 || c == 0xFEFF) return "";
    if ((c >= 0x2010 && c <= 0x2015) || c == 0x2212) return "-";
    switch (c) {
    case 0x2018:
    case 0x2019:
    case 0x201A:
    case 0x201B:
    case 0x2032:
    case 0x2039:
    case 0x203A:
    case 0x02BC: return "'";
    case 0x201C:
    case 0x201D:
    case 0x201E:
    case 0x201F:
    case 0x2033: return "\"";
    case 0x2026: return "...";
    case 0x2022:
    case 0x2023:
    case 0x2043: return "*";
    case 0x2020:
    case 0x2021: return "+";
    case 0x2030: return "%o";
    case 0x2122: return "(TM)";
    case 0x20AC: return "EUR";
    case 0x0192: return "f";
    case 0x02C6: return "^";
    case 0x02DC: return "~";
    }
    return "?";
}

// Decodes the UTF-8 sequence at s[i]; false, with i unchanged, when there is none.
bool DecodeUtf8(std::string_view s, std::size_t& i, char32_t& c) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
        c = b;
        ++i;
        return true;
    }
    int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    if (extra == 0 || b > 0xF4 || i + extra >= s.size()) return false;
    c = b & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        unsigned char next = static_cast<unsigned char>(s[i + k]);
        if ((next & 0xC0) != 0x80) return false;
        c = (c << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are no UTF-8.
    static constexpr char32_t kLeast[4] = {0, 0x80, 0x800, 0x10000};
    if (c < kLeast[extra] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return false;
    i += 1 + extra;
    return true;
}

}  // namespace

char32_t NextCodePoint(std::string_view s, std::size_t& i) {
    char32_t c = 0;
    if (DecodeUtf8(s, i, c)) return c;
    return FromWindows1252(static_cast<unsigned char>(s[i++]));
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool IsUtf8(std::string_view s) {
    char32_t c = 0;
    for (std::size_t i = 0; i < s.size();)
        if (!DecodeUtf8(s, i, c)) return false;
    return true;
}

std::string Windows1252ToUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size() + s.size() / 8);
    for (unsigned char b : s) AppendUtf8(out, FromWindows1252(b));
    return out;
}

char32_t HtmlEntity(std::string_view name) {
    for (int k = 0; k < 96; ++k)
        if (name == kLatin1Names[k]) return 0xA0 + k;
    for (const auto& [entity, c] : kOtherNames)
        if (name == entity) return c;
    return 0;
}

std::string PlainText(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        char32_t c = NextCodePoint(s, i);
        if (c < 0x20 || (c >= 0x7F && c < 0xA0))
            out += ' ';
        else if (c < 0x7F)
            out += static_cast<char>(c);
        else if (c < 0x100)
            out += kLatin1Plain[c - 0xA0];
        else
            out += PlainOf(c);
    }
    return out;
}

}  // namespace portal
