// Live sources: news feeds by topic (http, https or a local file) and the quotes source.
//
// Threads: each source has a refresh thread of its own that fetches it at start and then
// every refresh interval; nothing else ever fetches, so a reply never waits for the network.
// A refresh thread parses what it got, keeps the last good copy on disk, and publishes the
// topic anew: the news that replies read is an immutable snapshot swapped under newsMutex_,
// so a reply holds it for as long as it likes while the next one is built. Source states and
// the stories are guarded by mutex_, which no reply takes.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "data.h"
#include "feeds.h"
#include "fetch.h"
#include "prices.h"

namespace portal {

struct SourceEntry {
    std::string topic;    // a news topic code, or "quotes" for the quotes source
    std::string address;  // http:// or https:// address, or a file
};

inline constexpr const char* kQuotesTopic = "quotes";

// "--feeds FILE": one "CODE ADDRESS" a line; blank lines and lines starting with '#' skipped.
bool ReadFeedList(const std::string& path, std::vector<SourceEntry>& entries, std::string& error);

struct SourceSettings {
    std::string cacheDir;  // last good copies of the http(s) sources
    int refreshSeconds = 300;
    FetchLimits limits;
};

// What /status shows of a source. Times are seconds since 1970, 0 for never.
struct SourceState {
    std::string topic;
    std::string address;
    std::int64_t lastSuccess = 0;
    std::int64_t lastFailure = 0;
    std::string failure;  // why the last attempt failed; "" once one succeeds
    std::size_t items = 0;
};

// A live headline's story: where its story page sends the browser.
struct Story {
    std::string title;
    std::string address;  // the article; "" when the item gave none
};

class Sources {
  public:
    struct Sinks {
        std::function<void(const std::string&)> say;     // state changes, one line each
        std::function<void(std::vector<Quote>)> quotes;  // a new copy of the quotes source
    };

    // `base` is the news of the data directory; topics with sources replace theirs.
    Sources(News base, std::vector<SourceEntry> entries, SourceSettings settings, Sinks sinks);
    ~Sources();
    Sources(const Sources&) = delete;
    Sources& operator=(const Sources&) = delete;

    // Reads the local files (one that cannot be read or parsed is an error) and the cached
    // copies of the others, and publishes what they hold.
    bool Load(std::string& error);
    // Starts the refresh threads; the destructor stops them, cutting short any fetch.
    void Start();

    std::shared_ptr<const News> Headlines() const;
    std::vector<SourceState> States() const;
    std::optional<Story> FindStory(const std::string& id) const;

  private:
    struct Source;

    void Run(Source& source);
    void Refresh(Source& source);
    bool Digest(const Source& source, const std::string& body, std::vector<FeedItem>& items,
                std::vector<Quote>& quotes, std::string& error) const;
    void LoadCache(Source& source);
    void SaveCache(const Source& source, const FetchResult& result) const;
    void PublishTopic(const std::string& topic);  // under mutex_

    const SourceSettings settings_;
    const Sinks sinks_;
    std::vector<std::unique_ptr<Source>> sources_;

    mutable std::mutex mutex_;  // sources' copies and states, stories
    std::map<std::string, Story> stories_;
    std::deque<std::string> storyOrder_;  // ids, oldest first

    std::mutex digestMutex_;  // one source parsed at a time

    mutable std::mutex newsMutex_;
    std::shared_ptr<const News> news_;

    std::atomic<bool> stopping_{false};
    std::mutex wakeMutex_;
    std::condition_variable wake_;
    std::vector<std::thread> threads_;
};

}  // namespace portal
