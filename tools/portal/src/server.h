// The portal's HTTP front. Every host name of the portal is served by this one process and
// requests are routed by path alone, also when a proxy client sends the absolute form
// ("GET http://my.tamzo.example/zrt/update?... HTTP/1.1"). It also holds the login sessions,
// the test hooks that replace the content reply, and the request log.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "data.h"
#include "request_log.h"
#include "sessions.h"
#include "simulator.h"
#include "sources.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace portal {

// Selection served for /zrt/update without a query when no account is logged in.
inline constexpr const char* kDefaultSelection = "stocks=^DJI,^SPC,^IXIC&news=5,rt";

struct PortalOptions {
    std::string dataDir;
    bool frozen = false;
    std::uint64_t seed = 1;
    std::vector<std::pair<std::string, std::string>> feeds;  // topic code, address or file
    std::string feedList;                                    // a file of more "CODE ADDRESS" lines
    std::string quotesAddress;                               // a CSV source of quotes
    std::string cacheDir;  // "" for "cache" beside the data directory
    std::string caFile;
    int refreshSeconds = 300;
    int connectSeconds = 10;
    int timeoutSeconds = 30;
    std::string rawReplyFile;  // served as it is for every /zrt/update when set
    bool emptyReply = false;   // an empty /zrt/update body
    std::string logFile;
};

class Portal {
  public:
    Portal();
    ~Portal();
    Portal(const Portal&) = delete;
    Portal& operator=(const Portal&) = delete;

    // Loads the data, the local feeds and the cached copies of the others, opens the log and
    // starts the refresh of the live sources. Warnings are worth showing; an error means the
    // portal cannot serve. Changes of a source's state are said on standard error as they come.
    bool Load(const PortalOptions& options, std::vector<std::string>& warnings, std::string& error);
    // Registers the routes on the server.
    void Install(httplib::Server& server);

  private:
    void Handle(const httplib::Request& request, httplib::Response& response);
    void Content(const httplib::Request& request, const std::string& query,
                 httplib::Response& response);
    void Login(const httplib::Request& request, const std::string& query,
               httplib::Response& response);
    void LogRequest(const httplib::Request& request);
    void LiveStory(const std::string& path, httplib::Response& response);

    PortalOptions options_;
    Catalog catalog_;
    std::unique_ptr<QuoteBoard> board_;
    std::unique_ptr<Sessions> sessions_;
    RequestLog log_;
    std::unique_ptr<Sources> sources_;  // last: its threads stop before the board goes
};

}  // namespace portal
