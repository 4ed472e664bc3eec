// The feed reader: RSS (0.9x, 1.0, 2.0) and Atom documents as real sources send them, in
// UTF-8, ISO-8859-1 or Windows-1252 (declared, or sniffed when undeclared or wrong), read with
// pugixml. Titles come out as plain text for the strip (charset.h): CDATA, entities and HTML
// markup resolved, blanks folded, at most kMaxFeedTitle characters. Items of the sources of
// one topic are merged newest first.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace portal {

constexpr std::size_t kMaxFeedTitle = 120;
constexpr std::size_t kMaxFeedItems = 50;     // per topic, after merging
constexpr std::size_t kMaxSourceItems = 100;  // read from one document
constexpr std::size_t kMaxArticleAddress = 2000;

struct FeedItem {
    std::string title;      // plain printable ASCII, never empty
    std::string address;    // the article's own http(s) address; "" when it gives none
    std::int64_t date = 0;  // seconds since 1970 UTC; 0 when the item gives none
};

// Reads the items of a feed document fetched from `base` (relative article links are resolved
// against it). Items without a title are skipped. False, with the reason, for anything that
// is not a well-formed RSS or Atom document.
bool ReadFeed(std::string_view bytes, std::string_view base, std::vector<FeedItem>& items,
              std::string& error);

// "Tue, 10 Jun 2003 04:00:00 GMT" (RSS) or "2003-06-10T09:30:00+05:30" (Atom, Dublin Core):
// seconds since 1970 UTC, or 0 when the text is no such date.
std::int64_t ParseFeedDate(std::string_view text);

// The items of several sources as one list: newest first, undated items after the dated ones
// in the order of their sources, a title (in any case) only once, at most kMaxFeedItems.
std::vector<FeedItem> MergeFeeds(const std::vector<const std::vector<FeedItem>*>& sources);

}  // namespace portal
