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
    std::vector<std::pair<std::string, std::string>> feeds;  // topic code, feed file
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

    // Loads the data and the feeds and opens the log. Warnings are worth showing; an error
    // means the portal cannot serve.
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

    PortalOptions options_;
    Catalog catalog_;
    std::unique_ptr<QuoteBoard> board_;
    std::unique_ptr<Sessions> sessions_;
    RequestLog log_;
};

}  // namespace portal
