// The portal program end to end: started as a subprocess on a free loopback port, asked over
// HTTP with httplib's client and, for proxy-style requests, over a raw socket.
#include <gtest/gtest.h>
#include <httplib.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include "strip.h"

namespace {

// Runs the portal with the given options until the object goes away.
class PortalProcess {
  public:
    explicit PortalProcess(std::vector<std::string> args) {
        int out[2];
        if (pipe(out) != 0) return;
        args.insert(args.begin(), {PORTAL_EXE, "--port", "0"});
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            std::vector<char*> argv;
            for (std::string& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(PORTAL_EXE, argv.data());
            _exit(127);
        }
        close(out[1]);
        stdout_ = out[0];
        ReadReadyLine();
    }
    ~PortalProcess() { Stop(); }

    int Port() const { return port_; }

    // Asks the portal to stop and waits for it (at most a few seconds). Returns the exit status.
    int Stop() {
        if (pid_ <= 0) return -1;
        kill(pid_, SIGTERM);
        int status = -1;
        for (int i = 0; i < 500 && waitpid(pid_, &status, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!WIFEXITED(status)) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
        }
        pid_ = -1;
        close(stdout_);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

  private:
    void ReadReadyLine() {
        std::string line;
        pollfd p{stdout_, POLLIN, 0};
        while (line.find('\n') == std::string::npos && poll(&p, 1, 10000) > 0) {
            char c;
            if (read(stdout_, &c, 1) != 1) break;
            line += c;
        }
        const std::string prefix = "portal listening on 127.0.0.1:";
        if (line.rfind(prefix, 0) == 0) port_ = std::atoi(line.c_str() + prefix.size());
    }

    pid_t pid_ = -1;
    int stdout_ = -1;
    int port_ = 0;
};

httplib::Client Client(int port) {
    httplib::Client c("127.0.0.1", port);
    c.set_connection_timeout(5);
    c.set_read_timeout(5);
    c.set_url_encode(false);  // send targets exactly as written, like the ticker does
    return c;
}

// Sends one request as raw bytes and returns the response.
std::string RawExchange(int port, const std::string& request) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval timeout{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    std::string response;
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
            static_cast<ssize_t>(request.size())) {
        char buf[4096];
        for (ssize_t n; (n = recv(fd, buf, sizeof buf, 0)) > 0;) {
            response.append(buf, static_cast<size_t>(n));
            // Done when the headers and the Content-Length bytes of body are in.
            std::size_t end = response.find("\r\n\r\n");
            std::size_t length = response.find("Content-Length: ");
            if (end != std::string::npos && length != std::string::npos && length < end &&
                response.size() >= end + 4 + std::stoul(response.substr(length + 16)))
                break;
        }
    }
    close(fd);
    return response;
}

std::string BodyOf(const std::string& response) {
    std::size_t end = response.find("\r\n\r\n");
    return end == std::string::npos ? "" : response.substr(end + 4);
}

std::string TempPath(const char* name) {
    return ::testing::TempDir() + "portal_" + std::to_string(getpid()) + "_" + name;
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

const char* const kFirstRunQuery =
    "/zrt/update?stocks=^DJI,^SPC,^IXIC,^XAM,IBM,INTC,MSFT&weather=f,JFK,SFO,LAX&news=10,rt,";

TEST(ServerContent, FrozenRepliesDirectAndThroughProxyForm) {
    std::string log = TempPath("content.log");
    std::remove(log.c_str());
    PortalProcess portal({"--frozen", "--log", log});
    ASSERT_GT(portal.Port(), 0);
    auto http = Client(portal.Port());

    auto first = http.Get(kFirstRunQuery, {{"User-Agent", "ZRT Ticker V1.0"}});
    ASSERT_TRUE(first);
    EXPECT_EQ(first->status, 200);
    portal::test::Strip strip = portal::test::ReadStrip(first->body);
    EXPECT_EQ(strip.text.substr(0, strip.text.find("{Top Stories:")),
              "^DJI|+7912.44 +32.51|^SPC|-957.28 -3.17|^IXIC|+1642.06 +11.25|^XAM|%689.40 0|"
              "IBM|+101 1/4 +1/2|INTC|-98 1/2 -1/4|MSFT|%131 3/8 0|");
    EXPECT_NE(strip.text.find(
                  "|{Top Stories:  |{Budget Talks Resume as Lawmakers Eye Holiday Recess  \x95  "),
              std::string::npos);
    EXPECT_EQ(strip.text.substr(strip.text.find("{Weather:")),
              "{Weather:  |{JFK 45F Cloudy   SFO 61F Fog   LAX 72F Sunny|");
    EXPECT_EQ(strip.links.size(), 7u + 10u + 3u);
    EXPECT_EQ(strip.links[7], "http://my.tamzo.example/news/rt/1.html");

    // Frozen: the same request gives the same bytes.
    auto again = http.Get(kFirstRunQuery);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->body, first->body);

    // As sent to a proxy: the absolute target is routed by its path.
    std::string proxied =
        RawExchange(portal.Port(), std::string("GET http://my.tamzo.example") + kFirstRunQuery +
                                       " HTTP/1.1\r\nHost: my.tamzo.example\r\n"
                                       "User-Agent: ZRT Ticker V1.0\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(proxied.substr(0, proxied.find("\r\n")), "HTTP/1.1 200 OK");
    EXPECT_EQ(BodyOf(proxied), first->body);

    // Every request is in the log, flushed before its answer.
    std::vector<std::string> lines = ReadLines(log);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0].find(std::string("\"target\":\"") + kFirstRunQuery + "\""),
              std::string::npos)
        << lines[0];
    EXPECT_NE(
        lines[2].find(std::string("\"target\":\"http://my.tamzo.example") + kFirstRunQuery + "\""),
        std::string::npos)
        << lines[2];
    EXPECT_NE(lines[2].find("\"path\":\"/zrt/update\""), std::string::npos) << lines[2];
    EXPECT_NE(lines[2].find("\"host\":\"my.tamzo.example\""), std::string::npos) << lines[2];
    EXPECT_NE(lines[2].find("\"User-Agent\":\"ZRT Ticker V1.0\""), std::string::npos) << lines[2];

    EXPECT_EQ(portal.Stop(), 0);
    std::remove(log.c_str());
}

TEST(ServerLogin, AccountSelectionFollowsTheSessionCookie) {
    std::string log = TempPath("login.log");
    std::remove(log.c_str());
    PortalProcess portal({"--frozen", "--log", log});
    ASSERT_GT(portal.Port(), 0);
    auto http = Client(portal.Port());
    const httplib::Headers accept = {
        {"Accept", "text//plain"}, {"Accept", "text//html"}, {"Host", "login.tamzo.example"}};

    for (const char* bad :
         {"/bin/zrtlogin?login=demo&passwd=wrong", "/bin/zrtlogin?login=nobody&passwd=tamzo",
          "/bin/zrtlogin?login=demo", "/bin/zrtlogin"}) {
        auto r = http.Get(bad, accept);
        ASSERT_TRUE(r) << bad;
        EXPECT_EQ(r->body.find("OK"), std::string::npos) << bad << ": " << r->body;
        EXPECT_FALSE(r->has_header("Set-Cookie")) << bad;
    }

    auto good = http.Get("/bin/zrtlogin?login=demo&passwd=tamzo", accept);
    ASSERT_TRUE(good);
    EXPECT_EQ(good->body, "OK\r\n");
    std::string setCookie = good->get_header_value("Set-Cookie");
    ASSERT_EQ(setCookie.rfind("tamzo_session=", 0), 0u) << setCookie;
    EXPECT_NE(setCookie.find("; path=/"), std::string::npos) << setCookie;
    EXPECT_NE(setCookie.find("; domain=.tamzo.example"), std::string::npos) << setCookie;
    std::string cookie = setCookie.substr(0, setCookie.find(';'));

    auto mine = http.Get("/zrt/update", {{"Cookie", cookie}});
    ASSERT_TRUE(mine);
    EXPECT_EQ(mine->get_header_value("X-Tamzo-Selection"), "account demo");
    portal::test::Strip strip = portal::test::ReadStrip(mine->body);
    EXPECT_EQ(strip.text.substr(0, strip.text.find("~Business:")),
              "^DJI|+7912.44 +32.51|IBM|+101 1/4 +1/2|ZORB|+54 3/8 +7/8|");
    EXPECT_NE(strip.text.find("|?Technology:  |?"), std::string::npos) << strip.text;
    EXPECT_NE(strip.text.find("|{Weather:  |{ORD 3C Windy   SEA 10C Showers|"), std::string::npos)
        << strip.text;

    for (const char* other : {"", "tamzo_session=0000000000000000", "tamzo_session="}) {
        auto r = http.Get("/zrt/update", {{"Cookie", other}});
        ASSERT_TRUE(r);
        EXPECT_EQ(r->get_header_value("X-Tamzo-Selection"), "default") << other;
        EXPECT_EQ(portal::test::ReadStrip(r->body).text.substr(0, 9), "^DJI|+791") << other;
    }

    // A query wins over the session.
    auto asked = http.Get("/zrt/update?news=1,rs", {{"Cookie", cookie}});
    ASSERT_TRUE(asked);
    EXPECT_EQ(asked->get_header_value("X-Tamzo-Selection"), "query");

    std::vector<std::string> lines = ReadLines(log);
    ASSERT_GE(lines.size(), 6u);
    EXPECT_NE(lines[4].find("\"Accept\":\"text//plain, text//html\""), std::string::npos)
        << lines[4];
    EXPECT_NE(lines[5].find("\"cookie\":\"" + cookie + "\""), std::string::npos) << lines[5];
    std::remove(log.c_str());
}

TEST(ServerPages, SearchLookupQuoteAndMissingPages) {
    PortalProcess portal({"--frozen"});
    ASSERT_GT(portal.Port(), 0);
    auto http = Client(portal.Port());

    auto home = http.Get("/");
    ASSERT_TRUE(home);
    EXPECT_NE(home->body.find("name=\"p\""), std::string::npos);

    auto search = http.Get("/bin/search?p=power+%3Cgrid%3E");
    ASSERT_TRUE(search);
    EXPECT_NE(search->body.find("Search results for &quot;power &lt;grid&gt;&quot;"),
              std::string::npos);
    EXPECT_EQ(search->body.find("<grid>"), std::string::npos);
    auto found = http.Get("/bin/search?p=power+grid");
    ASSERT_TRUE(found);
    EXPECT_NE(found->body.find("Heat Wave Strains Power Grid in the Southwest"), std::string::npos);

    auto lookup = http.Get("/lookup.html?s=zorbex");
    ASSERT_TRUE(lookup);
    EXPECT_NE(lookup->body.find("ZORB"), std::string::npos);
    EXPECT_EQ(lookup->body.find("MSFT"), std::string::npos);

    auto quote =
        RawExchange(portal.Port(), "GET http://quote.tamzo.example/q?s=%5EDJI HTTP/1.0\r\n\r\n");
    EXPECT_NE(quote.find("<h1>^DJI - Industrials Average</h1>"), std::string::npos) << quote;
    EXPECT_NE(quote.find("+32.51"), std::string::npos);

    auto story = http.Get("/news/rb/3.html");
    ASSERT_TRUE(story);
    EXPECT_EQ(story->status, 200);
    EXPECT_NE(story->body.find("Zorbex Systems Posts Record Quarter"), std::string::npos);

    for (const char* missing :
         {"/news/rb/0.html", "/news/zz/1.html", "/news/rb/99999.html", "/nothing"}) {
        auto r = http.Get(missing);
        ASSERT_TRUE(r) << missing;
        EXPECT_EQ(r->status, 404) << missing;
    }
    // A malformed request line gets a plain error and the server carries on.
    EXPECT_EQ(RawExchange(portal.Port(), "GET /a?b?c HTTP/1.1\r\n\r\n").rfind("HTTP/1.1 400", 0),
              0u);
    EXPECT_TRUE(http.Get("/"));
}

TEST(ServerQuotes, SimulatorIsRepeatableForASeed) {
    auto run = [] {
        PortalProcess portal({"--seed", "7"});
        auto http = Client(portal.Port());
        std::vector<std::string> bodies;
        for (int i = 0; i < 4; ++i) {
            auto r = http.Get("/zrt/update?stocks=IBM,^DJI&news=1,");
            bodies.push_back(r ? portal::test::ReadStrip(r->body).text : "no reply");
        }
        return bodies;
    };
    std::vector<std::string> a = run(), b = run();
    EXPECT_EQ(a, b);
    bool moved = false;
    for (std::size_t i = 1; i < a.size(); ++i) moved = moved || a[i] != a[0];
    EXPECT_TRUE(moved) << a[0];
}

TEST(ServerHooks, RawAndEmptyRepliesAndBadOptions) {
    std::string rawFile = TempPath("raw.bin");
    std::string raw;
    for (int i = 0; i < 256; ++i) raw += static_cast<char>(255 - i);
    std::ofstream(rawFile, std::ios::binary) << raw;
    {
        PortalProcess portal({"--raw-reply", rawFile});
        auto r = Client(portal.Port()).Get("/zrt/update?news=1,rt");
        ASSERT_TRUE(r);
        EXPECT_EQ(r->body, raw);
    }
    std::remove(rawFile.c_str());
    {
        PortalProcess portal({"--empty-reply"});
        auto r = Client(portal.Port()).Get("/zrt/update?news=1,rt");
        ASSERT_TRUE(r);
        EXPECT_EQ(r->status, 200);
        EXPECT_EQ(r->body, "");
    }
    for (std::vector<std::string> bad : {std::vector<std::string>{"--port", "x"},
                                         {"--bogus"},
                                         {"--feed", "zz=/dev/null"},
                                         {"--data", "/no/such/dir"}}) {
        PortalProcess portal(bad);
        EXPECT_EQ(portal.Port(), 0) << bad[0];
        EXPECT_NE(portal.Stop(), 0) << bad[0];
    }
}

}  // namespace
