// The quote board: the current quote of every symbol. Frozen, it always gives the data's
// quotes. Otherwise each content request moves the quotes it asks for by one step of a random
// walk around the previous close; the walk is seeded, so a seed and a sequence of requests
// always give the same prices.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "data.h"
#include "prices.h"

namespace portal {

class QuoteBoard {
  public:
    QuoteBoard(const Catalog& catalog, bool frozen, std::uint64_t seed);

    // The quote as it stands, without moving it (quote pages, lookup).
    Quote Current(const std::string& symbol) const;
    // The quote for a content request: moved one step first unless the board is frozen.
    Quote Next(const std::string& symbol);

    // Quotes of a live source, served before the data's. The portal freezes a board that has
    // a live source: real quotes are served as they stand.
    void SetLive(const std::vector<Quote>& quotes);

  private:
    Quote Start(const std::string& symbol) const;  // under mutex_
    std::uint64_t Random();

    const Catalog& catalog_;
    const bool frozen_;
    std::uint64_t state_;
    mutable std::mutex mutex_;
    std::map<std::string, Quote> moved_;  // symbols that have moved at least once
    std::map<std::string, Quote> live_;
};

}  // namespace portal
