// libFuzzer target: arbitrary bytes as a fetched feed through the feed reader and the merge,
// and as a quotes source through the CSV reader. The checks are what the portal relies on
// when it builds replies from them: plain titles of bounded length, web addresses or none,
// bounded lists, quotes with a positive price and previous close.
#include <cstdint>
#include <cstdlib>
#include <set>

#include "address.h"
#include "feeds.h"
#include "prices.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace portal;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<FeedItem> items;
    std::string error;
    if (ReadFeed(bytes, "https://feed.example/news/top.xml", items, error)) {
        Check(items.size() <= kMaxSourceItems);
        for (const FeedItem& item : items) {
            Check(!item.title.empty() && item.title.size() <= kMaxFeedTitle);
            for (unsigned char c : item.title) Check(c >= 0x20 && c < 0x7F);
            Check(item.address.empty() ||
                  (item.address.size() <= kMaxArticleAddress && ParseAddress(item.address)));
        }
        std::vector<FeedItem> merged = MergeFeeds({&items, &items});
        std::set<std::string> titles;
        for (const FeedItem& item : merged) titles.insert(item.title);
        Check(merged.size() <= kMaxFeedItems && merged.size() <= items.size());
        for (std::size_t i = 1; i < merged.size(); ++i) Check(merged[i - 1].date >= merged[i].date);
    } else {
        Check(!error.empty() && items.empty());
    }

    std::vector<Quote> quotes;
    if (ReadQuotesCsv(bytes, quotes, error))
        for (const Quote& q : quotes) Check(q.price > 0 && q.price - q.change > 0);
    return 0;
}
