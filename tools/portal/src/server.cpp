// Routing and handlers of the portal's HTTP front (see server.h).
#include "server.h"

#include <httplib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "content.h"
#include "pages.h"
#include "query.h"
#include "text.h"

namespace portal {

namespace {

constexpr std::size_t kMaxRawReply = 1024 * 1024;
constexpr const char* kHtml = "text/html";
constexpr const char* kText = "text/plain";

std::string HostOf(const httplib::Request& request) {
    std::string host = request.get_header_value("Host");
    if (host.empty() && StartsWithNoCase(request.target, "http://")) {
        host = request.target.substr(7);
        host = host.substr(0, host.find_first_of("/?"));
    }
    return ToLower(host.substr(0, host.find(':')));
}

// "/news/rt/3.html" -> {"rt", "3"}; "/weather/JFK.html" -> {"JFK"}.
std::vector<std::string> PathParts(const std::string& path, const std::string& prefix) {
    std::string rest = path.substr(prefix.size());
    if (!EndsWithNoCase(rest, ".html")) return {};
    return Split(rest.substr(0, rest.size() - 5), '/');
}

bool ReadFile(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(kMaxRawReply, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return true;
}

// The default cache: a folder "cache" beside the data directory.
std::string CacheBeside(const std::string& dataDir) {
    std::filesystem::path data = std::filesystem::path(dataDir).lexically_normal();
    if (data.filename().empty()) data = data.parent_path();
    return (data.parent_path() / "cache").string();
}

}  // namespace

Portal::Portal() = default;
Portal::~Portal() = default;

bool Portal::Load(const PortalOptions& options, std::vector<std::string>& warnings,
                  std::string& error) {
    options_ = options;
    if (!LoadCatalog(options.dataDir, catalog_, warnings, error)) return false;
    std::vector<SourceEntry> given, entries;
    for (const auto& [code, address] : options.feeds) given.push_back({code, address});
    if (!options.feedList.empty() && !ReadFeedList(options.feedList, given, error)) return false;
    for (const SourceEntry& entry : given) {
        if (!FindTopic(entry.topic)) {
            error =
                "unknown news topic '" + entry.topic + "' for a feed (use rt rw rb rp rc rs re)";
            return false;
        }
        bool repeated = false;
        for (const SourceEntry& other : entries)
            repeated = repeated || (other.topic == entry.topic && other.address == entry.address);
        if (!repeated) entries.push_back(entry);
    }
    if (!options.quotesAddress.empty()) entries.push_back({kQuotesTopic, options.quotesAddress});

    // Real quotes are served as they stand.
    board_ = std::make_unique<QuoteBoard>(
        catalog_, options.frozen || !options.quotesAddress.empty(), options.seed);
    sessions_ = std::make_unique<Sessions>(options.seed);
    SourceSettings settings;
    settings.cacheDir = options.cacheDir.empty() ? CacheBeside(options.dataDir) : options.cacheDir;
    settings.refreshSeconds = options.refreshSeconds;
    settings.limits.connectSeconds = options.connectSeconds;
    settings.limits.totalSeconds = options.timeoutSeconds;
    settings.limits.caFile = options.caFile;
    settings.limits.userAgent = "TamzoPortal/1.0 (headline aggregator; polls each feed every " +
                                std::to_string(options.refreshSeconds) + " s)";
    Sources::Sinks sinks;
    sinks.say = [](const std::string& line) { std::fprintf(stderr, "portal: %s\n", line.c_str()); };
    sinks.quotes = [this](std::vector<Quote> quotes) { board_->SetLive(quotes); };
    sources_ = std::make_unique<Sources>(catalog_.news, entries, settings, sinks);
    if (!sources_->Load(error)) return false;
    if (!options.rawReplyFile.empty()) {
        std::string bytes;
        if (!ReadFile(options.rawReplyFile, bytes)) {
            error = "cannot read raw reply " + options.rawReplyFile;
            return false;
        }
    }
    if (!options.logFile.empty() && !log_.Open(options.logFile, error)) return false;
    sources_->Start();
    return true;
}

void Portal::Install(httplib::Server& server) {
    server.set_payload_max_length(64 * 1024);
    // Short keep-alive, so that stopping the server never waits long for idle connections.
    server.set_keep_alive_timeout(2);
    // Headers and body go out in separate writes; without this the client's delayed
    // acknowledgement holds every reply back by some 40 ms.
    server.set_tcp_nodelay(true);
    server.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response&) {
        LogRequest(request);
        return httplib::Server::HandlerResponse::Unhandled;
    });
    // One catch-all route: httplib leaves an absolute-form target in the path, so the path is
    // worked out here from the raw target for plain and proxy-style requests alike.
    server.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
        Handle(request, response);
    });
}

void Portal::LogRequest(const httplib::Request& request) {
    if (!log_.IsOpen()) return;
    Target t = SplitTarget(request.target);
    LoggedRequest entry{request.method, request.target, t.path, t.query, {}};
    for (const auto& [name, value] : request.headers) {
        // httplib adds these itself; they were not sent by the client.
        if (name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" ||
            name == "LOCAL_PORT")
            continue;
        entry.headers.emplace_back(name, value);
    }
    log_.Write(entry);
}

void Portal::Handle(const httplib::Request& request, httplib::Response& response) {
    Target t = SplitTarget(request.target);
    const std::string& path = t.path;

    if (path == "/zrt/update") return Content(request, t.query, response);
    if (path == "/bin/zrtlogin") return Login(request, t.query, response);
    if (path == "/" || path == "/index.html") return response.set_content(SearchHomePage(), kHtml);
    if (path == "/bin/search") {
        std::string p = QueryValue(t.query, "p", true).value_or("");
        return response.set_content(SearchResultsPage(p, *sources_->Headlines()), kHtml);
    }
    if (path == "/status") return response.set_content(StatusPage(sources_->States()), kHtml);
    if (StartsWithNoCase(path, "/story/")) return LiveStory(path, response);
    if (path == "/lookup.html") {
        std::string s = QueryValue(t.query, "s", true).value_or("");
        return response.set_content(LookupPage(s, catalog_, *board_), kHtml);
    }
    if (path == "/q") {
        std::string s = QueryValue(t.query, "s", true).value_or("");
        return response.set_content(QuotePage(s, catalog_, *board_), kHtml);
    }
    if (StartsWithNoCase(path, "/news/")) {
        std::vector<std::string> parts = PathParts(path, "/news/");
        if (parts.size() == 2) {
            if (auto page = StoryPage(parts[0], parts[1], *sources_->Headlines()))
                return response.set_content(*page, kHtml);
        }
    }
    if (StartsWithNoCase(path, "/weather/")) {
        std::vector<std::string> parts = PathParts(path, "/weather/");
        if (parts.size() == 1 && !parts[0].empty())
            return response.set_content(WeatherPage(parts[0], catalog_), kHtml);
    }
    response.status = 404;
    response.set_content(NotFoundPage(path), kHtml);
}

void Portal::Content(const httplib::Request& request, const std::string& query,
                     httplib::Response& response) {
    response.set_header("Cache-Control", "no-cache");
    if (options_.emptyReply) return response.set_content("", kText);
    if (!options_.rawReplyFile.empty()) {
        std::string bytes;
        if (!ReadFile(options_.rawReplyFile, bytes)) {
            response.status = 500;
            return response.set_content("", kText);
        }
        return response.set_content(bytes, kText);
    }

    std::string selection = query;
    std::string source = "query";
    if (query.empty()) {
        std::vector<std::string> cookies;
        for (std::size_t i = 0; i < request.get_header_value_count("Cookie"); ++i)
            cookies.push_back(request.get_header_value("Cookie", i));
        std::optional<std::string> account = sessions_->Find(CookieValue(cookies, kSessionCookie));
        const Account* a = account ? catalog_.FindAccount(*account) : nullptr;
        selection = a ? a->selection : kDefaultSelection;
        source = a ? "account " + a->login : "default";
    }
    response.set_header("X-Tamzo-Selection", source);
    response.set_content(
        ContentReply(ParseSelection(selection), catalog_, *sources_->Headlines(), *board_), kText);
}

// A live headline links to its story page, which sends the browser on to the article. The
// ticker opens only http: addresses (it puts "http://" before anything else) and holds each in
// under 200 bytes, so the reply cannot carry an https article or a long address itself; the
// short story address stays the same across refreshes, so a strip fetched before one still
// opens the right article.
void Portal::LiveStory(const std::string& path, httplib::Response& response) {
    std::vector<std::string> parts = PathParts(path, "/story/");
    std::optional<Story> story = parts.size() == 1 ? sources_->FindStory(parts[0]) : std::nullopt;
    if (!story) {
        response.status = 404;
        return response.set_content(NotFoundPage(path), kHtml);
    }
    if (!story->address.empty()) {
        response.status = 302;
        response.set_header("Location", story->address);
    }
    response.set_content(LiveStoryPage(*story), kHtml);
}

void Portal::Login(const httplib::Request& request, const std::string& query,
                   httplib::Response& response) {
    std::optional<std::string> user = QueryValue(query, "login");
    std::optional<std::string> password = QueryValue(query, "passwd");
    const Account* account = user ? catalog_.FindAccount(*user) : nullptr;
    if (!account || !password || account->password != *password) {
        // The ticker takes any reply holding the letters "OK" as a good login.
        return response.set_content("LOGIN FAILED\r\n", kText);
    }
    std::string cookie =
        std::string(kSessionCookie) + "=" + sessions_->Open(account->login) + "; path=/";
    // The content comes from another host of the portal, so the cookie must cover them all.
    std::string host = HostOf(request);
    if (host == "tamzo.example" || EndsWithNoCase(host, ".tamzo.example"))
        cookie += "; domain=.tamzo.example";
    response.set_header("Set-Cookie", cookie);
    response.set_content("OK\r\n", kText);
}

}  // namespace portal
