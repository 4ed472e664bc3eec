// Quote prices as whole numbers of ticks: sixteenths of a dollar for stocks ("101 1/4"),
// hundredths for indices ("7912.44"). Parsing from the data files and formatting for replies.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace portal {

enum class PriceUnit { Sixteenths, Hundredths };

struct Quote {
    std::string symbol;
    std::string name;  // may be empty
    PriceUnit unit = PriceUnit::Sixteenths;
    long long price = 0;   // ticks
    long long change = 0;  // ticks since the previous close
};

// "101", "101 1/4", "3/8" (sixteenths) or "7912.44" (hundredths). False when malformed.
bool ParsePrice(std::string_view text, PriceUnit& unit, long long& ticks);
// "+1/2", "-1 1/4", "0", "+32.51" in the given unit. False when malformed.
bool ParseChange(std::string_view text, PriceUnit unit, long long& ticks);

std::string FormatPrice(PriceUnit unit, long long ticks);
// "+1/2", "-1 1/4", "+32.51", or "0" when unchanged (the zero that marks an unchanged quote).
std::string FormatChange(PriceUnit unit, long long ticks);

// The value field of a quote: price, a space and the change, e.g. "101 1/4 +1/2".
std::string QuoteValue(const Quote& quote);

// The quote of a symbol that the data does not know: derived from the symbol's letters only.
Quote MadeUpQuote(const std::string& symbol);

// Quotes from a CSV source, one "symbol,last,change,previous close" a line: decimal
// numbers ("101.25", "+0.50", "-3.17"; more places are rounded to hundredths), fields
// optionally in double quotes. The change may be left empty when the previous close is given.
// Blank lines, '#' comments, a heading and lines that do not read are skipped; later repeats
// of a symbol too. False when no line reads.
bool ReadQuotesCsv(std::string_view text, std::vector<Quote>& quotes, std::string& error);

}  // namespace portal
