// The quote board and its seeded random walk (see simulator.h).
#include "simulator.h"

#include <algorithm>

namespace portal {

namespace {

constexpr std::size_t kMaxTrackedSymbols = 10000;

}  // namespace

QuoteBoard::QuoteBoard(const Catalog& catalog, bool frozen, std::uint64_t seed)
    : catalog_(catalog), frozen_(frozen), state_(seed) {}

void QuoteBoard::SetLive(const std::vector<Quote>& quotes) {
    std::lock_guard<std::mutex> lock(mutex_);
    live_.clear();
    for (const Quote& q : quotes) live_[q.symbol] = q;
}

Quote QuoteBoard::Start(const std::string& symbol) const {
    auto live = live_.find(symbol);
    if (live != live_.end()) return live->second;
    const Quote* known = catalog_.FindQuote(symbol);
    return known ? *known : MadeUpQuote(symbol);
}

std::uint64_t QuoteBoard::Random() {
    // splitmix64: small, fast and the same everywhere.
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

Quote QuoteBoard::Current(const std::string& symbol) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = moved_.find(symbol);
    return it != moved_.end() ? it->second : Start(symbol);
}

Quote QuoteBoard::Next(const std::string& symbol) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (frozen_) return Start(symbol);
    auto it = moved_.find(symbol);
    if (it == moved_.end()) {
        if (moved_.size() >= kMaxTrackedSymbols) return Start(symbol);
        it = moved_.emplace(symbol, Start(symbol)).first;
    }
    Quote& q = it->second;
    const long long close = q.price - q.change;
    // A step of up to a quarter of a percent of the close, in whole eighths for stocks.
    const long long grain = q.unit == PriceUnit::Sixteenths ? 2 : 1;
    const long long reach = std::max<long long>(1, close / 400 / grain);
    const long long step = (static_cast<long long>(Random() % (2 * reach + 1)) - reach) * grain;
    // Stay within half and twice the close, and above zero.
    const long long price = std::clamp(q.price + step, std::max(grain, close / 2), close * 2);
    q.price = price;
    q.change = price - close;
    return q;
}

}  // namespace portal
