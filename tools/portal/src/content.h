// The /zrt/update reply for one selection: quotes first, then the news topics in the order
// asked, then the weather, each as a section of the reply grammar (reply.h).
#pragma once

#include <string>

#include "data.h"
#include "query.h"
#include "simulator.h"

namespace portal {

// Address of a symbol's quote page, e.g. "http://quote.tamzo.example/q?s=%5EDJI".
std::string QuoteLink(const std::string& symbol);
// Address of an airport's weather page, e.g. "http://my.tamzo.example/weather/JFK.html".
std::string WeatherLink(const std::string& code);
// "JFK 45F Cloudy", or "JFK 7C Cloudy" in Celsius.
std::string WeatherLine(const Weather& weather, bool celsius);
int ToCelsius(int fahrenheit);

// A reply holds at most this many items (quotes, headlines, airports) and about this many
// bytes, so that it always fits the ticker's link table and strip text. Items are taken in
// reply order; what does not fit is left out.
constexpr std::size_t kMaxReplyItems = 200;
constexpr std::size_t kMaxReplyBytes = 16000;

// Moves the board's quotes of the selection one step (unless frozen) and encodes the reply,
// with the headlines of `news` and the weather of the catalog. An empty selection gives an
// empty reply.
std::string ContentReply(const Selection& selection, const Catalog& catalog, const News& news,
                         QuoteBoard& board);

}  // namespace portal
