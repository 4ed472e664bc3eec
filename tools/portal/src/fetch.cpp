// Fetching a source's bytes (see fetch.h).
#include "fetch.h"

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <thread>

#include "address.h"

namespace portal {

namespace {

using Clock = std::chrono::steady_clock;

// Stops the client's exchange, from a thread of its own, once the deadline has passed or the
// fetch is cancelled. The client's timeouts bound each read, not the whole exchange, so a
// server that trickles a byte at a time would otherwise hold the fetch for as long as it
// likes. stop() is the one client call that may come from another thread; it is repeated
// until the exchange has ended, since it does nothing while the connection is being made.
class Watchdog {
  public:
    Watchdog(httplib::Client& client, Clock::time_point deadline, const std::atomic<bool>& cancel)
        : thread_([this, &client, deadline, &cancel] { Watch(client, deadline, cancel); }) {}
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    bool Fired() const { return fired_; }

  private:
    void Watch(httplib::Client& client, Clock::time_point deadline,
               const std::atomic<bool>& cancel) {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!done_) {
            if (cancel || Clock::now() >= deadline) {
                fired_ = true;
                lock.unlock();
                client.stop();
                lock.lock();
            }
            wake_.wait_for(lock, std::chrono::milliseconds(50));
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    std::atomic<bool> fired_{false};
    std::thread thread_;  // last, so that it starts once the members above exist
};

std::string SizeText(std::size_t bytes) {
    return bytes % (1024 * 1024) == 0 ? std::to_string(bytes / (1024 * 1024)) + " MiB"
                                      : std::to_string(bytes) + " bytes";
}

std::string ErrorText(httplib::Error error) {
    switch (error) {
    case httplib::Error::Connection: return "cannot connect";
    case httplib::Error::ConnectionTimeout: return "no connection within the connect deadline";
    case httplib::Error::SSLConnection: return "TLS handshake failed";
    case httplib::Error::SSLLoadingCerts: return "cannot load the trusted certificates";
    case httplib::Error::SSLServerVerification: return "server certificate not trusted";
    case httplib::Error::Read: return "connection broken while reading";
    case httplib::Error::Write: return "connection broken while sending";
    case httplib::Error::Compression: return "bad compressed body";
    default: return httplib::to_string(error);
    }
}

bool IsRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

}  // namespace

FetchResult FetchAddress(const std::string& address, const std::string& etag,
                         const std::string& lastModified, const FetchLimits& limits,
                         const std::atomic<bool>& cancel) {
    FetchResult r;
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(limits.totalSeconds);
    std::string current = address;
    for (int redirects = 0;; ++redirects) {
        std::optional<Address> a = ParseAddress(current);
        if (!a) {
            r.error = "not an http or https address: " + current;
            return r;
        }
        httplib::Client client(OriginOf(*a));
        client.set_connection_timeout(limits.connectSeconds, 0);
        client.set_read_timeout(limits.totalSeconds, 0);
        client.set_write_timeout(limits.totalSeconds, 0);
        client.set_follow_location(false);  // followed below, to our own limit
        client.set_keep_alive(false);
        client.set_url_encode(false);  // the target is sent as the feed's address gives it
        if (a->scheme == "https") {
            client.enable_server_certificate_verification(true);
            if (!limits.caFile.empty()) client.set_ca_cert_path(limits.caFile);
        }
        httplib::Headers headers = {
            {"User-Agent", limits.userAgent},
            {"Accept-Encoding", "gzip, deflate"},
            {"Accept", "application/rss+xml, application/atom+xml, application/xml;q=0.9, "
                       "text/xml;q=0.9, text/csv;q=0.9, */*;q=0.5"}};
        if (!etag.empty()) headers.emplace("If-None-Match", etag);
        if (!lastModified.empty()) headers.emplace("If-Modified-Since", lastModified);

        int status = 0;
        std::string location;
        std::size_t received = 0;
        bool fired = false;
        httplib::Error error = httplib::Error::Success;
        r.body.clear();
        {
            Watchdog watchdog(client, deadline, cancel);
            auto onHead = [&](const httplib::Response& response) {
                status = response.status;
                location = response.get_header_value("Location");
                r.etag = response.get_header_value("ETag");
                r.lastModified = response.get_header_value("Last-Modified");
                return true;
            };
            // Every body counts against the cap (an error page may be large too); only a 200's
            // is kept.
            auto onBody = [&](const char* data, std::size_t size) {
                received += size;
                if (received > limits.maxBytes) return false;
                if (status == 200) r.body.append(data, size);
                return true;
            };
            error = client.Get(a->target, headers, onHead, onBody).error();
            fired = watchdog.Fired();
        }
        if (received > limits.maxBytes)
            r.error = "larger than " + SizeText(limits.maxBytes);
        else if (fired && cancel)
            r.error = "stopped";
        else if (fired)
            r.error = "no complete answer within " + std::to_string(limits.totalSeconds) + " s";
        else if (error != httplib::Error::Success)
            r.error = ErrorText(error);
        else if (status == 304) {
            r.outcome = FetchResult::Outcome::NotModified;
            r.etag = etag;
            r.lastModified = lastModified;
        } else if (IsRedirect(status)) {
            if (redirects >= limits.maxRedirects) {
                r.error = "more than " + std::to_string(limits.maxRedirects) + " redirects";
            } else if ((current = ResolveAddress(current, location)).empty()) {
                r.error = "redirected to no web address";
            } else {
                continue;
            }
        } else if (status != 200) {
            r.error = "HTTP status " + std::to_string(status);
        } else {
            r.outcome = FetchResult::Outcome::New;
        }
        if (r.outcome != FetchResult::Outcome::New) r.body.clear();
        return r;
    }
}

FetchResult FetchFile(const std::string& path, std::size_t maxBytes) {
    FetchResult r;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        r.error = "cannot be read";
        return r;
    }
    r.body.assign(maxBytes + 1, '\0');
    in.read(r.body.data(), static_cast<std::streamsize>(r.body.size()));
    r.body.resize(static_cast<std::size_t>(in.gcount()));
    if (r.body.size() > maxBytes) {
        r.body.clear();
        r.error = "larger than " + SizeText(maxBytes);
        return r;
    }
    r.outcome = FetchResult::Outcome::New;
    return r;
}

}  // namespace portal
