// Live sources: refresh threads, the disk cache, merging and publishing (see sources.h).
#include "sources.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "text.h"

namespace portal {

namespace {

constexpr std::size_t kMaxStories = 5000;
constexpr std::size_t kMaxValidator = 500;

std::string Hex16(std::uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

std::string StoryId(const FeedItem& item) {
    return Hex16(StableHash(item.address.empty() ? "title " + item.title : item.address));
}

bool IsRemote(const std::string& address) {
    return StartsWithNoCase(address, "http://") || StartsWithNoCase(address, "https://");
}

std::string Label(const SourceEntry& entry) { return entry.address + " (" + entry.topic + ")"; }

// A validator goes into the cache's meta file and into request headers: one bounded line.
std::string OneLine(const std::string& value) {
    std::string out = value.substr(0, kMaxValidator);
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

}  // namespace

struct Sources::Source {
    SourceEntry entry;
    bool remote = false;
    std::string cacheBase;  // cache files without their extension
    // Guarded by Sources::mutex_.
    SourceState state;
    bool failing = false;
    std::vector<FeedItem> items;
    std::string etag;
    std::string lastModified;
    std::uint64_t bodyHash = 0;  // of the last good copy; its refresh thread's alone
};

bool ReadFeedList(const std::string& path, std::vector<SourceEntry>& entries, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot read the feed list " + path;
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        std::string t = Trim(line);
        if (t.empty() || t[0] == '#') continue;
        std::size_t gap = t.find_first_of(" \t");
        std::string address = gap == std::string::npos ? "" : Trim(t.substr(gap));
        if (address.empty()) {
            error = path + ":" + std::to_string(number) + ": want CODE ADDRESS";
            return false;
        }
        entries.push_back({t.substr(0, gap), address});
    }
    return true;
}

Sources::Sources(News base, std::vector<SourceEntry> entries, SourceSettings settings, Sinks sinks)
    : settings_(std::move(settings)), sinks_(std::move(sinks)),
      news_(std::make_shared<const News>(std::move(base))) {
    for (SourceEntry& entry : entries) {
        auto source = std::make_unique<Source>();
        source->remote = IsRemote(entry.address);
        source->cacheBase =
            settings_.cacheDir + "/" + Hex16(StableHash(entry.topic + " " + entry.address));
        source->state.topic = entry.topic;
        source->state.address = entry.address;
        source->entry = std::move(entry);
        sources_.push_back(std::move(source));
    }
}

Sources::~Sources() {
    stopping_ = true;
    { std::lock_guard<std::mutex> lock(wakeMutex_); }
    wake_.notify_all();
    for (std::thread& t : threads_) t.join();
}

bool Sources::Load(std::string& error) {
    bool anyRemote = false;
    for (auto& source : sources_) {
        anyRemote = anyRemote || source->remote;
        if (source->remote) {
            LoadCache(*source);
            continue;
        }
        FetchResult r = FetchFile(source->entry.address, settings_.limits.maxBytes);
        std::vector<FeedItem> items;
        std::vector<Quote> quotes;
        if (r.outcome != FetchResult::Outcome::New ||
            !Digest(*source, r.body, items, quotes, r.error)) {
            error = source->entry.address + ": " + r.error;
            return false;
        }
        std::lock_guard<std::mutex> lock(mutex_);
        source->bodyHash = StableHash(r.body);
        source->items = std::move(items);
        source->state.lastSuccess = std::time(nullptr);
        source->state.items =
            source->entry.topic == kQuotesTopic ? quotes.size() : source->items.size();
        if (source->entry.topic == kQuotesTopic && sinks_.quotes) sinks_.quotes(std::move(quotes));
    }
    if (anyRemote) {
        std::error_code ec;
        std::filesystem::create_directories(settings_.cacheDir, ec);
        if (ec && sinks_.say)
            sinks_.say("cannot make the cache folder " + settings_.cacheDir + ": " + ec.message());
    }
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& source : sources_)
        if (source->entry.topic != kQuotesTopic) PublishTopic(source->entry.topic);
    return true;
}

void Sources::Start() {
    for (auto& source : sources_) threads_.emplace_back([this, s = source.get()] { Run(*s); });
}

std::shared_ptr<const News> Sources::Headlines() const {
    std::lock_guard<std::mutex> lock(newsMutex_);
    return news_;
}

std::vector<SourceState> Sources::States() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<SourceState> states;
    for (const auto& source : sources_) states.push_back(source->state);
    return states;
}

std::optional<Story> Sources::FindStory(const std::string& id) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = stories_.find(id);
    if (it == stories_.end()) return std::nullopt;
    return it->second;
}

void Sources::Run(Source& source) {
    // Refreshing yields to the threads that answer requests: a reply is what a ticker waits
    // for, a refresh nobody does.
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 19);
    while (!stopping_) {
        Refresh(source);
        std::unique_lock<std::mutex> lock(wakeMutex_);
        wake_.wait_for(lock, std::chrono::seconds(settings_.refreshSeconds),
                       [this] { return stopping_.load(); });
    }
}

void Sources::Refresh(Source& source) {
    std::string etag, lastModified;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (source.state.lastSuccess) {
            etag = source.etag;
            lastModified = source.lastModified;
        }
    }
    FetchResult r = source.remote ? FetchAddress(source.entry.address, etag, lastModified,
                                                 settings_.limits, stopping_)
                                  : FetchFile(source.entry.address, settings_.limits.maxBytes);
    if (stopping_) return;
    // A copy the same as the last one (a source that ignores conditional requests) is taken
    // as not modified: nothing to parse, save or publish.
    std::uint64_t hash = StableHash(r.body);
    if (r.outcome == FetchResult::Outcome::New && hash == source.bodyHash)
        r.outcome = FetchResult::Outcome::NotModified;
    std::vector<FeedItem> items;
    std::vector<Quote> quotes;
    bool fresh = r.outcome == FetchResult::Outcome::New;
    bool ok = r.outcome == FetchResult::Outcome::NotModified;
    if (fresh) {
        // One source is digested at a time: parsing is the part of a refresh that takes the
        // processor, and the threads that answer requests keep the other cores.
        std::lock_guard<std::mutex> one(digestMutex_);
        ok = Digest(source, r.body, items, quotes, r.error);
        if (ok && source.remote) SaveCache(source, r);
    }
    if (ok && fresh) source.bodyHash = hash;

    bool isQuotes = source.entry.topic == kQuotesTopic;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        SourceState& state = source.state;
        if (ok) {
            if (source.failing && sinks_.say) sinks_.say(Label(source.entry) + ": working again");
            state.lastSuccess = std::time(nullptr);
            state.failure.clear();
            source.failing = false;
            if (fresh) {
                source.etag = OneLine(r.etag);
                source.lastModified = OneLine(r.lastModified);
                state.items = isQuotes ? quotes.size() : items.size();
                source.items = std::move(items);
                if (!isQuotes) PublishTopic(source.entry.topic);
            }
        } else {
            // Said once when the source starts failing, not at every poll.
            if (!source.failing && sinks_.say)
                sinks_.say(Label(source.entry) + ": failing: " + r.error);
            state.lastFailure = std::time(nullptr);
            state.failure = r.error;
            source.failing = true;
        }
    }
    if (ok && fresh && isQuotes && sinks_.quotes) sinks_.quotes(std::move(quotes));
}

bool Sources::Digest(const Source& source, const std::string& body, std::vector<FeedItem>& items,
                     std::vector<Quote>& quotes, std::string& error) const {
    if (source.entry.topic == kQuotesTopic) return ReadQuotesCsv(body, quotes, error);
    std::string base = source.remote ? source.entry.address : "";
    return ReadFeed(body, base, items, error);
}

// The cache of a source: CACHE/HASH.body, its last good copy as fetched, and CACHE/HASH.meta,
// lines of "address", "etag", "last-modified" and "saved" (seconds since 1970) with values.
void Sources::LoadCache(Source& source) {
    std::ifstream meta(source.cacheBase + ".meta");
    std::map<std::string, std::string> values;
    for (std::string line; std::getline(meta, line);) {
        std::size_t gap = line.find(' ');
        if (gap != std::string::npos) values[line.substr(0, gap)] = line.substr(gap + 1);
    }
    if (values["address"] != source.entry.address) return;
    FetchResult copy = FetchFile(source.cacheBase + ".body", settings_.limits.maxBytes);
    std::vector<FeedItem> items;
    std::vector<Quote> quotes;
    if (copy.outcome != FetchResult::Outcome::New ||
        !Digest(source, copy.body, items, quotes, copy.error))
        return;
    std::lock_guard<std::mutex> lock(mutex_);
    source.bodyHash = StableHash(copy.body);
    source.etag = values["etag"];
    source.lastModified = values["last-modified"];
    source.state.lastSuccess = std::atoll(values["saved"].c_str());
    if (source.state.lastSuccess <= 0) source.state.lastSuccess = 1;
    source.state.items = source.entry.topic == kQuotesTopic ? quotes.size() : items.size();
    source.items = std::move(items);
    if (source.entry.topic == kQuotesTopic && sinks_.quotes) sinks_.quotes(std::move(quotes));
}

void Sources::SaveCache(const Source& source, const FetchResult& result) const {
    // Written aside and renamed into place, so that a reader never sees half a copy.
    std::string body = source.cacheBase + ".body", meta = source.cacheBase + ".meta";
    std::ofstream(body + ".new", std::ios::binary) << result.body;
    std::ofstream(meta + ".new") << "address " << source.entry.address << "\netag "
                                 << OneLine(result.etag) << "\nlast-modified "
                                 << OneLine(result.lastModified) << "\nsaved " << std::time(nullptr)
                                 << "\n";
    std::error_code ec;
    std::filesystem::rename(body + ".new", body, ec);
    std::filesystem::rename(meta + ".new", meta, ec);
}

void Sources::PublishTopic(const std::string& topic) {
    std::vector<const std::vector<FeedItem>*> lists;
    for (const auto& source : sources_)
        if (source->entry.topic == topic) lists.push_back(&source->items);
    std::vector<Headline> headlines;
    for (const FeedItem& item : MergeFeeds(lists)) {
        std::string id = StoryId(item);
        if (stories_.insert_or_assign(id, Story{item.title, item.address}).second)
            storyOrder_.push_back(id);
        headlines.push_back({item.title, LiveStoryLink(id)});
    }
    while (storyOrder_.size() > kMaxStories) {
        stories_.erase(storyOrder_.front());
        storyOrder_.pop_front();
    }
    // Only this function, under mutex_, replaces news_; readers copy the pointer under
    // newsMutex_, so the copy below can be made without it.
    auto news = std::make_shared<News>(*news_);
    (*news)[topic] = std::move(headlines);
    std::lock_guard<std::mutex> lock(newsMutex_);
    news_ = std::move(news);
}

}  // namespace portal
