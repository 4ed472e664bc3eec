// The portal's HTML pages: the search home and results, the symbol lookup, quote pages, story
// pages and airport weather pages. Everything echoed from a request is HTML-escaped.
#pragma once

#include <optional>
#include <string>

#include "data.h"
#include "simulator.h"
#include "sources.h"

namespace portal {

std::string SearchHomePage();
std::string SearchResultsPage(const std::string& query, const News& news);
std::string LookupPage(const std::string& text, const Catalog& catalog, const QuoteBoard& board);
std::string QuotePage(const std::string& symbol, const Catalog& catalog, const QuoteBoard& board);
// No page when the topic or the story number is unknown.
std::optional<std::string> StoryPage(const std::string& code, const std::string& number,
                                     const News& news);
// The story page of a live headline: a link on to the article, or the title alone.
std::string LiveStoryPage(const Story& story);
// Each source: its topic, address, items, last success, last failure and why.
std::string StatusPage(const std::vector<SourceState>& states);
std::string WeatherPage(const std::string& code, const Catalog& catalog);
std::string NotFoundPage(const std::string& path);

}  // namespace portal
