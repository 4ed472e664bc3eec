// Quote prices in ticks: parsing, formatting and made-up quotes (see prices.h).
#include "prices.h"

#include <cctype>
#include <algorithm>
#include <cstdlib>

#include "text.h"

namespace portal {

namespace {

constexpr long long kMaxTicks = 100000000000LL;  // bounds parsed numbers well below overflow

bool ParseWhole(std::string_view s, long long& value) {
    if (s.empty() || s.size() > 11) return false;
    value = 0;
    for (char c : s) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

// "n/d" with d one of 2, 4, 8, 16, into sixteenths.
bool ParseFraction(std::string_view s, long long& sixteenths) {
    std::size_t slash = s.find('/');
    long long n = 0, d = 0;
    if (slash == std::string_view::npos || !ParseWhole(s.substr(0, slash), n) ||
        !ParseWhole(s.substr(slash + 1), d))
        return false;
    if (d != 2 && d != 4 && d != 8 && d != 16) return false;
    if (n <= 0 || n >= d) return false;
    sixteenths = n * (16 / d);
    return true;
}

bool ParseMagnitude(std::string_view text, PriceUnit unit, long long& ticks) {
    std::string s = Trim(text);
    if (s.empty()) return false;
    if (unit == PriceUnit::Hundredths) {
        std::size_t dot = s.find('.');
        long long whole = 0, cents = 0;
        if (dot == std::string::npos) {
            if (!ParseWhole(s, whole)) return false;
        } else {
            std::string frac = s.substr(dot + 1);
            if (frac.empty() || frac.size() > 2 || !ParseWhole(s.substr(0, dot), whole) ||
                !ParseWhole(frac, cents))
                return false;
            if (frac.size() == 1) cents *= 10;
        }
        ticks = whole * 100 + cents;
    } else {
        std::size_t space = s.find(' ');
        long long whole = 0, frac = 0;
        if (space != std::string::npos) {
            if (!ParseWhole(s.substr(0, space), whole) ||
                !ParseFraction(Trim(s.substr(space)), frac))
                return false;
        } else if (s.find('/') != std::string::npos) {
            if (!ParseFraction(s, frac)) return false;
        } else if (!ParseWhole(s, whole)) {
            return false;
        }
        ticks = whole * 16 + frac;
    }
    return ticks <= kMaxTicks;
}

std::string FormatMagnitude(PriceUnit unit, long long ticks) {
    if (unit == PriceUnit::Hundredths) {
        std::string cents = std::to_string(ticks % 100);
        if (cents.size() < 2) cents = "0" + cents;
        return std::to_string(ticks / 100) + "." + cents;
    }
    long long whole = ticks / 16, num = ticks % 16, den = 16;
    while (num != 0 && num % 2 == 0) {
        num /= 2;
        den /= 2;
    }
    if (num == 0) return std::to_string(whole);
    std::string frac = std::to_string(num) + "/" + std::to_string(den);
    return whole == 0 ? frac : std::to_string(whole) + " " + frac;
}

// "-12.345" -> -1235 hundredths (rounded half away from zero); a sign is optional.
bool ParseDecimal(std::string_view text, long long& hundredths) {
    std::string s = Trim(text);
    bool negative = !s.empty() && s[0] == '-';
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) s.erase(0, 1);
    std::size_t dot = s.find('.');
    std::string whole = s.substr(0, dot),
                places = dot == std::string::npos ? "" : s.substr(dot + 1);
    long long w = 0, p = 0;
    if ((whole.empty() && places.empty()) || (!whole.empty() && !ParseWhole(whole, w)) ||
        (!places.empty() && !ParseWhole(places.substr(0, 3), p)) ||
        places.find_first_not_of("0123456789") != std::string::npos)
        return false;
    std::size_t n = std::min<std::size_t>(places.size(), 3);
    long long thousandths = w * 1000 + p * (n == 1 ? 100 : n == 2 ? 10 : 1);
    hundredths = (thousandths + 5) / 10;
    if (negative) hundredths = -hundredths;
    return w <= kMaxTicks / 100;
}

bool CsvSymbol(const std::string& s) {
    if (s.empty() || s.size() > 12) return false;
    for (char c : s)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '^' && c != '.' && c != '-' &&
            c != '_')
            return false;
    return true;
}

}  // namespace

bool ReadQuotesCsv(std::string_view text, std::vector<Quote>& quotes, std::string& error) {
    constexpr std::size_t kMaxQuotes = 1000;
    quotes.clear();
    for (const std::string& line : Split(text, '\n')) {
        std::string t = Trim(line);
        if (t.empty() || t[0] == '#' || quotes.size() >= kMaxQuotes) continue;
        std::vector<std::string> f = Split(t, ',');
        for (std::string& field : f) {
            field = Trim(field);
            if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
                field = Trim(field.substr(1, field.size() - 2));
        }
        Quote q;
        q.symbol = ToUpper(f[0]);
        q.unit = PriceUnit::Hundredths;
        if (!CsvSymbol(q.symbol) || f.size() < 2 || !ParseDecimal(f[1], q.price) || q.price <= 0)
            continue;
        long long close = 0;
        if (f.size() > 2 && !f[2].empty()) {
            if (!ParseDecimal(f[2], q.change)) continue;
        } else if (f.size() > 3 && ParseDecimal(f[3], close)) {
            q.change = q.price - close;
        }
        bool known = false;
        for (const Quote& other : quotes) known = known || other.symbol == q.symbol;
        if (!known && q.price - q.change > 0) quotes.push_back(q);
    }
    if (quotes.empty()) error = "no quote lines (symbol,last,change,previous close)";
    return !quotes.empty();
}

bool ParsePrice(std::string_view text, PriceUnit& unit, long long& ticks) {
    unit = text.find('.') != std::string_view::npos ? PriceUnit::Hundredths : PriceUnit::Sixteenths;
    return ParseMagnitude(text, unit, ticks) && ticks > 0;
}

bool ParseChange(std::string_view text, PriceUnit unit, long long& ticks) {
    std::string s = Trim(text);
    if (s == "0") {
        ticks = 0;
        return true;
    }
    if (s.size() < 2 || (s[0] != '+' && s[0] != '-')) return false;
    if (!ParseMagnitude(std::string_view(s).substr(1), unit, ticks)) return false;
    if (s[0] == '-') ticks = -ticks;
    return true;
}

std::string FormatPrice(PriceUnit unit, long long ticks) {
    return FormatMagnitude(unit, ticks < 0 ? 0 : ticks);
}

std::string FormatChange(PriceUnit unit, long long ticks) {
    if (ticks == 0) return "0";
    return (ticks > 0 ? "+" : "-") + FormatMagnitude(unit, std::llabs(ticks));
}

std::string QuoteValue(const Quote& quote) {
    return FormatPrice(quote.unit, quote.price) + " " + FormatChange(quote.unit, quote.change);
}

Quote MadeUpQuote(const std::string& symbol) {
    std::uint64_t h = StableHash(symbol);
    Quote q;
    q.symbol = symbol;
    q.unit = PriceUnit::Sixteenths;
    q.price = 16 * static_cast<long long>(5 + h % 120) + 2 * static_cast<long long>((h >> 8) % 8);
    q.change = 2 * (static_cast<long long>((h >> 16) % 9) - 4);
    return q;
}

}  // namespace portal
