// JSON lines of the request log (see request_log.h).
#include "request_log.h"

#include <cerrno>
#include <cstring>

#include "text.h"

namespace portal {

namespace {

std::string Quoted(const std::string& s) { return "\"" + JsonEscape(s) + "\""; }

}  // namespace

std::string LogLine(const LoggedRequest& request) {
    std::vector<std::pair<std::string, std::string>> merged;
    std::string host, cookie;
    for (const auto& [name, value] : request.headers) {
        std::string key = ToLower(name);
        if (key == "host" && host.empty()) host = value;
        if (key == "cookie") cookie += (cookie.empty() ? "" : "; ") + value;
        bool joined = false;
        for (auto& m : merged) {
            if (ToLower(m.first) == key) {
                m.second += ", " + value;
                joined = true;
                break;
            }
        }
        if (!joined) merged.emplace_back(name, value);
    }
    std::string line =
        "{\"method\":" + Quoted(request.method) + ",\"target\":" + Quoted(request.target) +
        ",\"path\":" + Quoted(request.path) + ",\"query\":" + Quoted(request.query) +
        ",\"host\":" + Quoted(host) + ",\"cookie\":" + Quoted(cookie) + ",\"headers\":{";
    for (std::size_t i = 0; i < merged.size(); ++i)
        line += (i ? "," : "") + Quoted(merged[i].first) + ":" + Quoted(merged[i].second);
    return line + "}}";
}

RequestLog::~RequestLog() {
    if (file_) std::fclose(file_);
}

bool RequestLog::Open(const std::string& path, std::string& error) {
    file_ = std::fopen(path.c_str(), "a");
    if (!file_) {
        error = "cannot open log " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void RequestLog::Write(const LoggedRequest& request) {
    if (!file_) return;
    std::string line = LogLine(request) + "\n";
    std::lock_guard<std::mutex> lock(mutex_);
    std::fwrite(line.data(), 1, line.size(), file_);
    std::fflush(file_);
}

}  // namespace portal
