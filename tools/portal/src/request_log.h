// The request log: one JSON object per line for every request the portal receives, written
// and flushed before the request is answered, so a test can read it while the server runs.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace portal {

struct LoggedRequest {
    std::string method;
    std::string target;  // the request-target exactly as received
    std::string path;
    std::string query;
    std::vector<std::pair<std::string, std::string>> headers;  // in the order given
};

// {"method":..,"target":..,"path":..,"query":..,"host":..,"cookie":..,"headers":{..}}
// Repeated headers are joined with ", " under the first spelling of their name; "host" and
// "cookie" repeat those headers ("" when absent).
std::string LogLine(const LoggedRequest& request);

class RequestLog {
  public:
    RequestLog() = default;
    RequestLog(const RequestLog&) = delete;
    RequestLog& operator=(const RequestLog&) = delete;
    ~RequestLog();

    bool Open(const std::string& path, std::string& error);  // appends
    bool IsOpen() const { return file_ != nullptr; }
    void Write(const LoggedRequest& request);

  private:
    std::FILE* file_ = nullptr;
    std::mutex mutex_;
};

}  // namespace portal
