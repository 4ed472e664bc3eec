// Live sources end to end: the portal program reads feeds from test servers on the loopback
// interface, plain HTTP and HTTPS with a certificate made for the run, and answers from what
// it holds, whatever the sources do.
#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <mutex>

#include "portal_process.h"
#include "strip.h"

namespace portal::test {
namespace {

using Q = const httplib::Request&;
using R = httplib::Response&;
using Answer = std::function<void(Q, R)>;

// A source for the portal: an httplib server (or its TLS form) bound to a free loopback port,
// answering the paths served before Start. Answers that hang or trickle end when it goes.
class SourceServer {
  public:
    explicit SourceServer(const std::string& cert = "", const std::string& key = "")
        : server_(cert.empty() ? std::make_unique<httplib::Server>()
                               : std::make_unique<httplib::SSLServer>(cert.c_str(), key.c_str())),
          url_(std::string(cert.empty() ? "http" : "https") +
               "://127.0.0.1:" + std::to_string(server_->bind_to_any_port("127.0.0.1"))) {}
    ~SourceServer() {
        Pause(0, true);
        server_->stop();
        if (thread_.joinable()) thread_.join();
    }
    std::string Serve(const std::string& path, Answer answer) {  // the address it answers
        server_->Get(path, std::move(answer));
        return url_ + path;
    }
    void Start() {
        thread_ = std::thread([this] { server_->listen_after_bind(); });
        WaitFor([this] { return server_->is_running(); });
    }
    // Sleeps for a moment; false once the server is going (which going says it now is).
    bool Pause(int milliseconds, bool going = false) {
        std::unique_lock<std::mutex> lock(mutex_);
        going_ = going_ || going;
        released_.notify_all();
        return !released_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                   [this] { return going_; });
    }

  private:
    std::unique_ptr<httplib::Server> server_;
    std::string url_;
    std::mutex mutex_;
    std::condition_variable released_;
    bool going_ = false;
    std::thread thread_;
};

// RSS 2.0 with one item per (title, date); the date may be empty.
std::string Rss(const std::vector<std::array<std::string, 2>>& items) {
    std::string xml = "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>T</title>";
    for (const auto& [title, date] : items)
        xml += "<item><title>" + title + "</title>" +
               (date.empty() ? "" : "<pubDate>" + date + "</pubDate>") + "</item>";
    return xml + "</channel></rss>";
}

Answer Fixed(std::string body, std::string type = "application/rss+xml") {
    return [body, type](Q, R r) { r.set_content(body, type); };
}

// A self-signed certificate for 127.0.0.1, made for this run; the key never leaves the folder.
void MakeCertificate(const Folder& folder) {
    std::string command = "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 "
                          "-nodes -days 2 -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 "
                          "-keyout '" +
                          folder / "key.pem" + "' -out '" + folder / "cert.pem" +
                          "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

std::string TopStories(const PortalProcess& portal) {
    return ReadStrip(portal.Body("/zrt/update?news=10,rt")).text;
}

TEST(LiveSources, FeedsMergeRefreshOutliveMisbehavingSourcesAndTheNetwork) {
    Folder folder("live");
    MakeCertificate(folder);
    auto http = std::make_unique<SourceServer>();
    auto https = std::make_unique<SourceServer>(folder / "cert.pem", folder / "key.pem");
    std::atomic<int> version{1}, unchanged{0};
    const std::string top = http->Serve("/top.xml", [&](Q q, R r) {
        const std::string etag = "\"v" + std::to_string(version) + "\"";
        r.set_header("ETag", etag);
        if (q.get_header_value("If-None-Match") == etag) {
            ++unchanged;
            r.status = 304;
            return;
        }
        std::vector<std::array<std::string, 2>> items = {
            {"Harbor Bridge Reopens", "Tue, 07 May 2024 10:00:00 GMT"},
            {"Council Votes Tonight", "Mon, 06 May 2024 10:00:00 GMT"}};
        if (version == 2)
            items.push_back({"Storm Warning Issued", "Wed, 08 May 2024 09:00:00 GMT"});
        r.set_content(Rss(items), "application/xml");  // gzip-compressed when asked
    });
    const std::string secure =
        https->Serve("/top.xml", Fixed(Rss({{"Tram Line Extended", "2024-05-07T11:00:00Z"},
                                            {"council votes TONIGHT", "2024-05-01T00:00:00Z"}})));
    std::ofstream(folder / "feeds.txt")
        << "# the sources of the top stories\nrt  " << top << "\nrt\t" << secure << "\n";
    const std::string quotes = http->Serve(
        "/quotes.csv",
        Fixed("symbol,last,change,previous close\nIBM,101.25,+0.50,100.75\n", "text/csv"));
    std::vector<std::string> args = {"--feeds",           folder / "feeds.txt",
                                     "--ca-file",         folder / "cert.pem",
                                     "--cache",           folder / "cache",
                                     "--refresh",         "1",
                                     "--timeout",         "2",
                                     "--connect-timeout", "1",
                                     "--quotes",          quotes};

    // Sources that misbehave once bad is set, each alone on its topic.
    std::atomic<bool> bad{false};
    struct Bad {
        std::string path, topic, reason;
        Answer answer;
    };
    const Bad sources[] = {
        {"/hang", "rw", "",  // timed out, or broken off when the answer finally comes
         [&](Q, R) { http->Pause(3000); }},
        {"/trickle", "rb", "no complete answer within 2 s",
         [&](Q, R r) {  // not compressible, so each byte goes out as it comes
             r.set_chunked_content_provider("text/event-stream", [&](std::size_t, auto& sink) {
                 return http->Pause(100) && sink.write("<", 1);
             });
         }},
        {"/huge", "rp", "larger than 2 MiB",
         [](Q, R r) {
             r.set_content_provider(50 << 20, "text/event-stream",
                                    [](std::size_t, std::size_t, auto& sink) {
                                        static const std::string chunk(1 << 16, ' ');
                                        return sink.write(chunk.data(), chunk.size());
                                    });
         }},
        {"/loop", "rc", "more than 5 redirects", [](Q, R r) { r.set_redirect("/loop?again"); }},
        {"/broken", "rs", "not well-formed XML", Fixed("<rss><channel><item><title>Cut sho")},
        {"/html", "re", "an HTML page, not a feed",
         Fixed("<!DOCTYPE html>\n<html><body>Sign in</body></html>", "text/html")}};
    std::array<std::atomic<int>, std::size(sources)> asked{};
    for (std::size_t i = 0; i < std::size(sources); ++i) {
        const Bad& b = sources[i];
        args.insert(args.end(),
                    {"--feed", b.topic + "=" + http->Serve(b.path, [&, i](Q q, R r) {
                         ++asked[i];
                         if (bad) return b.answer(q, r);
                         r.set_content(Rss({{"Good news from " + b.path, ""}}), "application/xml");
                     })});
    }
    http->Start();
    https->Start();
    const std::string merged = "Top Stories:  |{Tram Line Extended  \x95  Harbor Bridge Reopens  "
                               "\x95  Council Votes Tonight  \x95  |";
    const std::string all = "/zrt/update?news=1,rw,rb,rp,rc,rs,re";
    auto holdsEverything = [&](const std::string& text) {
        for (const Bad& b : sources)
            if (text.find("Good news from " + b.path) == std::string::npos) return false;
        return true;
    };
    auto portal = std::make_unique<PortalProcess>(args);
    ASSERT_TRUE(WaitFor([&] {
        return TopStories(*portal) == merged && holdsEverything(ReadStrip(portal->Body(all)).text);
    })) << TopStories(*portal);

    // Unchanged, the source answers 304 and the items stay; changed, the next refresh shows it.
    ASSERT_TRUE(WaitFor([&] { return unchanged >= 2; }));
    EXPECT_EQ(TopStories(*portal), merged);
    version = 2;
    const std::string storm = "Top Stories:  |{Storm Warning Issued  \x95  Tram";
    ASSERT_TRUE(WaitFor([&] { return TopStories(*portal).rfind(storm, 0) == 0; }))
        << TopStories(*portal);

    // While sources misbehave, every reply still comes at once and holds the last good copies;
    // each failing source is said once, with its reason, however often it fails.
    bad = true;
    for (auto& count : asked) count = 0;
    ASSERT_TRUE(WaitFor(
        [&] {
            auto reply = portal->Client(1).Get(all);
            EXPECT_TRUE(reply && holdsEverything(ReadStrip(reply->body).text));
            return std::all_of(asked.begin(), asked.end(), [](auto& n) { return n >= 3; });
        },
        30));
    const std::string errors = portal->Errors(), status = portal->Body("/status");
    for (const Bad& b : sources) {
        EXPECT_NE(status.find("<td>" + b.reason), std::string::npos) << status;
        const std::string line = " (" + b.topic + "): failing: ";
        EXPECT_NE(errors.find(line + b.reason), std::string::npos) << errors;
        EXPECT_EQ(errors.find(line), errors.rfind(line)) << errors;
    }

    // Without its sources a new run serves the copies it kept, from the first request on.
    portal.reset();
    http.reset();
    https.reset();
    portal = std::make_unique<PortalProcess>(args);
    EXPECT_EQ(TopStories(*portal).rfind(storm, 0), 0u);
    EXPECT_EQ(ReadStrip(portal->Body("/zrt/update?stocks=IBM")).text, "IBM|+101.25 +0.50|");
    EXPECT_TRUE(WaitFor([&] {
        return portal->Errors().find("failing: cannot connect") != std::string::npos;
    })) << portal->Errors();
}

}  // namespace
}  // namespace portal::test
