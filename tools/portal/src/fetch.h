// Getting a source's bytes: an http or https address through cpp-httplib's client, or a
// local file. One call blocks its thread for at most the overall deadline (plus a moment to
// take the connection down), so a source that hangs or trickles holds only its own thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>

namespace portal {

struct FetchLimits {
    int connectSeconds = 10;                 // to open the connection (TLS handshake included)
    int totalSeconds = 30;                   // for the whole exchange, redirects included
    std::size_t maxBytes = 2 * 1024 * 1024;  // of the body, after decompression
    int maxRedirects = 5;
    std::string caFile;  // certificates trusted for https; the system's when empty
    std::string userAgent;
};

struct FetchResult {
    enum class Outcome { New, NotModified, Failed };
    Outcome outcome = Outcome::Failed;
    std::string body;
    std::string etag;  // validators of the body, for the next conditional request
    std::string lastModified;
    std::string error;  // why it failed, in a few words
};

// GET with If-None-Match / If-Modified-Since when validators are given, gzip and deflate
// accepted, redirects followed up to the limit. Setting `cancel` ends the exchange early.
FetchResult FetchAddress(const std::string& address, const std::string& etag,
                         const std::string& lastModified, const FetchLimits& limits,
                         const std::atomic<bool>& cancel);

// A local file, at most maxBytes.
FetchResult FetchFile(const std::string& path, std::size_t maxBytes);

}  // namespace portal
