// Routing and handlers of the portal's HTTP front (see server.h).
#include "server.h"

#include <httplib.h>

#include <fstream>

#include "content.h"
#include "feeds.h"
#include "pages.h"
#include "query.h"
#include "text.h"

namespace portal {

namespace {

constexpr std::size_t kMaxRawReply = 1024 * 1024;
constexpr const char* kHtml = "text/html";
constexpr const char* kText = "text/plain";

std::string hostOf(const httplib::Request& request) {
    std::string host = request.get_header_value("Host");
    if (host.empty() && startsWithNoCase(request.target, "http://")) {
        host = request.target.substr(7);
        host = host.substr(0, host.find_first_of("/?"));
    }
    return toLower(host.substr(0, host.find(':')));
}

// "/news/rt/3.html" -> {"rt", "3"}; "/weather/JFK.html" -> {"JFK"}.
std::vector<std::string> pathParts(const std::string& path, const std::string& prefix) {
    std::string rest = path.substr(prefix.size());
    if (!endsWithNoCase(rest, ".html")) return {};
    return split(rest.substr(0, rest.size() - 5), '/');
}

bool readFile(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(kMaxRawReply, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return true;
}

}  // namespace

Portal::Portal() = default;
Portal::~Portal() = default;

bool Portal::load(const PortalOptions& options, std::vector<std::string>& warnings,
                  std::string& error) {
    options_ = options;
    if (!loadCatalog(options.dataDir, catalog_, warnings, error)) return false;
    for (const auto& [code, file] : options.feeds) {
        if (!findTopic(code)) {
            error = "unknown news topic '" + code + "' for a feed (use rt rw rb rp rc rs re)";
            return false;
        }
        std::vector<Headline> headlines;
        if (!loadFeedFile(file, headlines, error)) return false;
        if (headlines.empty())
            warnings.push_back(file + ": no items, topic " + code + " stays empty");
        for (std::size_t i = 0; i < headlines.size(); ++i)
            if (headlines[i].link.empty()) headlines[i].link = storyLink(code, i + 1);
        catalog_.news[code] = headlines;
    }
    if (!options.rawReplyFile.empty()) {
        std::string bytes;
        if (!readFile(options.rawReplyFile, bytes)) {
            error = "cannot read raw reply " + options.rawReplyFile;
            return false;
        }
    }
    if (!options.logFile.empty() && !log_.open(options.logFile, error)) return false;
    board_ = std::make_unique<QuoteBoard>(catalog_, options.frozen, options.seed);
    sessions_ = std::make_unique<Sessions>(options.seed);
    return true;
}

void Portal::install(httplib::Server& server) {
    server.set_payload_max_length(64 * 1024);
    // Short keep-alive, so that stopping the server never waits long for idle connections.
    server.set_keep_alive_timeout(2);
    server.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response&) {
        logRequest(request);
        return httplib::Server::HandlerResponse::Unhandled;
    });
    // One catch-all route: httplib leaves an absolute-form target in the path, so the path is
    // worked out here from the raw target for plain and proxy-style requests alike.
    server.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
        handle(request, response);
    });
}

void Portal::logRequest(const httplib::Request& request) {
    if (!log_.isOpen()) return;
    Target t = splitTarget(request.target);
    LoggedRequest entry{request.method, request.target, t.path, t.query, {}};
    for (const auto& [name, value] : request.headers) {
        // httplib adds these itself; they were not sent by the client.
        if (name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" ||
            name == "LOCAL_PORT")
            continue;
        entry.headers.emplace_back(name, value);
    }
    log_.write(entry);
}

void Portal::handle(const httplib::Request& request, httplib::Response& response) {
    Target t = splitTarget(request.target);
    const std::string& path = t.path;

    if (path == "/zrt/update") return content(request, t.query, response);
    if (path == "/bin/zrtlogin") return login(request, t.query, response);
    if (path == "/" || path == "/index.html") return response.set_content(searchHomePage(), kHtml);
    if (path == "/bin/search") {
        std::string p = queryValue(t.query, "p", true).value_or("");
        return response.set_content(searchResultsPage(p, catalog_), kHtml);
    }
    if (path == "/lookup.html") {
        std::string s = queryValue(t.query, "s", true).value_or("");
        return response.set_content(lookupPage(s, catalog_, *board_), kHtml);
    }
    if (path == "/q") {
        std::string s = queryValue(t.query, "s", true).value_or("");
        return response.set_content(quotePage(s, catalog_, *board_), kHtml);
    }
    if (startsWithNoCase(path, "/news/")) {
        std::vector<std::string> parts = pathParts(path, "/news/");
        if (parts.size() == 2) {
            if (auto page = storyPage(parts[0], parts[1], catalog_))
                return response.set_content(*page, kHtml);
        }
    }
    if (startsWithNoCase(path, "/weather/")) {
        std::vector<std::string> parts = pathParts(path, "/weather/");
        if (parts.size() == 1 && !parts[0].empty())
            return response.set_content(weatherPage(parts[0], catalog_), kHtml);
    }
    response.status = 404;
    response.set_content(notFoundPage(path), kHtml);
}

void Portal::content(const httplib::Request& request, const std::string& query,
                     httplib::Response& response) {
    response.set_header("Cache-Control", "no-cache");
    if (options_.emptyReply) return response.set_content("", kText);
    if (!options_.rawReplyFile.empty()) {
        std::string bytes;
        if (!readFile(options_.rawReplyFile, bytes)) {
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
        std::optional<std::string> account = sessions_->find(cookieValue(cookies, kSessionCookie));
        const Account* a = account ? catalog_.findAccount(*account) : nullptr;
        selection = a ? a->selection : kDefaultSelection;
        source = a ? "account " + a->login : "default";
    }
    response.set_header("X-Tamzo-Selection", source);
    response.set_content(contentReply(parseSelection(selection), catalog_, *board_), kText);
}

void Portal::login(const httplib::Request& request, const std::string& query,
                   httplib::Response& response) {
    std::optional<std::string> user = queryValue(query, "login");
    std::optional<std::string> password = queryValue(query, "passwd");
    const Account* account = user ? catalog_.findAccount(*user) : nullptr;
    if (!account || !password || account->password != *password) {
        // The ticker takes any reply holding the letters "OK" as a good login.
        return response.set_content("LOGIN FAILED\r\n", kText);
    }
    std::string cookie =
        std::string(kSessionCookie) + "=" + sessions_->open(account->login) + "; path=/";
    // The content comes from another host of the portal, so the cookie must cover them all.
    std::string host = hostOf(request);
    if (host == "tamzo.example" || endsWithNoCase(host, ".tamzo.example"))
        cookie += "; domain=.tamzo.example";
    response.set_header("Set-Cookie", cookie);
    response.set_content("OK\r\n", kText);
}

}  // namespace portal
