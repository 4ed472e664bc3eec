// FetchAndParseFeed against a small HTTP server on a thread of this process, reached the way
// a proxy is: the test opens its Internet handle with the server as the proxy, so every
// request arrives with its absolute address and the exact header lines WinINet sent.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <shlwapi.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/ticker_host_win.h"
#include "display/banners.h"
#include "feed/content_model.h"
#include "feed/feed_worker_win.h"
#include "feed/fetch_win.h"
#include "settings/settings.h"

namespace {

const char kKey[] = "SOFTWARE\\Ostrivane\\Ticker";
const std::string F = "\x0B", C = "\x05", T = "\x0E", L = "\x0D";
const std::string kBullet = "  \x95  ";

// What the server answers: a body, or a hang-up without any reply.
struct Answer {
    std::string body;
    bool hangUp = false;
};

class PortalThread {
  public:
    using Handler = std::function<Answer(const std::string& requestLine)>;

    explicit PortalThread(Handler handler) : handler_(std::move(handler)) {
        WSADATA wsa;
        WSAStartup(MAKEWORD(2, 2), &wsa);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in addr = {};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        int length = sizeof addr;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &length);
        port_ = ntohs(addr.sin_port);
        listen(listener_, 8);
        thread_ = std::thread([this] { Serve(); });
    }

    ~PortalThread() {
        stop_ = true;
        thread_.join();
        closesocket(listener_);
        WSACleanup();
    }

    int port() const { return port_; }

    std::vector<std::string> Requests() {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }

  private:
    void Serve() {
        while (!stop_) {
            fd_set ready;
            FD_ZERO(&ready);
            FD_SET(listener_, &ready);
            timeval wait = {0, 50000};
            if (select(0, &ready, nullptr, nullptr, &wait) <= 0) continue;
            SOCKET client = accept(listener_, nullptr, nullptr);
            if (client == INVALID_SOCKET) continue;
            Respond(client);
            closesocket(client);
        }
    }

    void Respond(SOCKET client) {
        std::string head;
        char piece[1024];
        while (head.find("\r\n\r\n") == std::string::npos && head.size() < 16384) {
            int n = recv(client, piece, sizeof piece, 0);
            if (n <= 0) return;
            head.append(piece, n);
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            requests_.push_back(head);
        }
        Answer answer = handler_(head.substr(0, head.find("\r\n")));
        if (answer.hangUp) return;
        std::string reply = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                            std::to_string(answer.body.size()) + "\r\n\r\n" + answer.body;
        for (size_t sent = 0; sent < reply.size();) {
            int n = send(client, reply.data() + sent, static_cast<int>(reply.size() - sent), 0);
            if (n <= 0) break;
            sent += n;
        }
        shutdown(client, SD_SEND);
    }

    Handler handler_;
    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::vector<std::string> requests_;
};

bool IsLogin(const std::string& line) { return line.find("/bin/zrtlogin?") != std::string::npos; }

class FeedFetch : public testing::Test {
  protected:
    void SetUp() override {
        savedSettings_ = TickerSettings;
        savedWindow_ = TickerWindow;
        TickerWindow = nullptr;  // links are measured on the screen
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, kKey);
        TickerSettings = TickerSettingsData{};
        TickerSettings.storiesPerTopic = 10;
        FirstRefresh = 0;
        FeedDisabled = 0;
        ClearLinks();
        content_.assign(kContentBufferSize, 0);
    }

    void TearDown() override {
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, kKey);
        TickerSettings = savedSettings_;
        TickerWindow = savedWindow_;
        FirstRefresh = 0;
        FeedDisabled = 0;
        ClearLinks();
    }

    // Runs one fetch through a proxy at port; returns the text it produced.
    std::string Fetch(int port) {
        std::string proxy = "127.0.0.1:" + std::to_string(port);
        HINTERNET internet =
            InternetOpenA("FeedFetchTest", INTERNET_OPEN_TYPE_PROXY, proxy.c_str(), "", 0);
        EXPECT_TRUE(internet);
        if (!internet) return "";
        char* end = FetchAndParseFeed(internet, content_.data());
        InternetCloseHandle(internet);
        EXPECT_GE(end, content_.data());
        EXPECT_LE(end + 3, content_.data() + kContentBufferSize);
        return std::string(content_.data(), end);
    }

    std::string Fetch(PortalThread& portal) { return Fetch(portal.port()); }

    std::vector<char> content_;
    TickerSettingsData savedSettings_;
    HWND savedWindow_;
};

TEST_F(FeedFetch, ContentRequestIsSentAndItsReplyParsed) {
    TickerSettings.showQuotes = 1;
    std::strcpy(TickerSettings.stockSymbols, "IBM+INTC");
    PortalThread portal([](const std::string&) {
        return Answer{T + "rt" + C + "1" + F + "Top:" + C + "2" + F + "Headline A" + F + L + "x/a" +
                      L + F + "Headline B" + F + L + "HTTP://y/b" + L};
    });
    EXPECT_EQ("Top:  |{Headline A" + kBullet + "Headline B" + kBullet + "|", Fetch(portal));

    std::vector<std::string> requests = portal.Requests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ(0u, requests[0].find("GET http://my.tamzo.example"));
    EXPECT_NE(std::string::npos, requests[0].find("/zrt/update?stocks=IBM,INTC&news=10, HTTP/1."));
    EXPECT_NE(std::string::npos, requests[0].find("\r\nUser-Agent: ZRT Ticker V1.0\r\n"));

    ASSERT_EQ(2, LinkCount.load());
    LinkEntry first, second;
    ASSERT_TRUE(ReadLink(0, &first));
    ASSERT_TRUE(ReadLink(1, &second));
    EXPECT_STREQ("http://x/a", first.url);
    EXPECT_EQ(1u, first.topicStart);
    EXPECT_STREQ("HTTP://y/b", second.url);
    EXPECT_EQ(0u, second.topicStart);
    EXPECT_GT(first.rightEdge, 0);
    EXPECT_GT(second.rightEdge, first.rightEdge);
    EXPECT_EQ(0, FeedDisabled);
}

TEST_F(FeedFetch, AirportsAreReadFromTheStoreAtEveryFetch) {
    TickerSettings.showWeather = 1;
    std::strcpy(TickerSettings.airports, "JFK");
    PortalThread portal([](const std::string&) { return Answer{"x"}; });
    Fetch(portal);
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegSetValueExA(key, "Airports", 0, REG_SZ, reinterpret_cast<const BYTE*>("ORD,SEA"), 8);
    RegCloseKey(key);
    Fetch(portal);

    std::vector<std::string> requests = portal.Requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_NE(std::string::npos, requests[0].find("?weather=c,JFK&news=10, "));
    EXPECT_NE(std::string::npos, requests[1].find("?weather=c,ORD,SEA&news=10, "));
}

TEST_F(FeedFetch, EmptyReplyGivesTheNoDataBanner) {
    PortalThread portal([](const std::string&) { return Answer{""}; });
    EXPECT_EQ(kNoDataBanner, Fetch(portal));
    EXPECT_EQ(0, FeedDisabled);
}

TEST_F(FeedFetch, ContentThatCannotBeOpenedDisablesTheFeed) {
    int port;
    {
        PortalThread gone([](const std::string&) { return Answer{""}; });
        port = gone.port();
    }
    EXPECT_EQ("", Fetch(port));
    EXPECT_EQ(1, FeedDisabled);
    EXPECT_EQ(0, content_[0]);
}

TEST_F(FeedFetch, ReplyLargerThanTheResponseBufferIsCutAndParsed) {
    // 99999 bytes fit beside the zero: the field's first three letters arrive, the rest not.
    PortalThread portal([](const std::string&) {
        return Answer{std::string(99995, 'x') + F + "TAIL" + std::string(50000, 'y')};
    });
    EXPECT_EQ("TAI|", Fetch(portal));
}

TEST_F(FeedFetch, FirstRefreshShowsTheContactingBanner) {
    FirstRefresh = 1;
    std::memset(DisplayText, 0, sizeof DisplayText);
    ScrollOffset = 123;
    PortalThread portal([](const std::string&) { return Answer{F + "x"}; });
    EXPECT_EQ("x|", Fetch(portal));
    EXPECT_EQ(0, std::strncmp(DisplayText, kContactingBanner, std::strlen(kContactingBanner)));
    EXPECT_EQ(0, ScrollOffset.load());
    std::memset(DisplayText, 0, sizeof DisplayText);
}

class FeedLogin : public FeedFetch {
  protected:
    void SetUp() override {
        FeedFetch::SetUp();
        TickerSettings.useMyTamzo = 1;
        TickerSettings.showUS = TickerSettings.showQuotes = 1;
        std::strcpy(TickerSettings.userId, "jane");
        std::strcpy(TickerSettings.password, "pw");
    }
};

TEST_F(FeedLogin, AnyReplyWithOkLetsTheContentRequestFollowWithoutQuery) {
    PortalThread portal([](const std::string& line) {
        return IsLogin(line) ? Answer{"NOT OK"} : Answer{F + "mine"};
    });
    EXPECT_EQ("mine|", Fetch(portal));
    std::vector<std::string> requests = portal.Requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ(0u, requests[0].find("GET http://login.tamzo.example"));
    EXPECT_NE(std::string::npos, requests[0].find("/bin/zrtlogin?login=jane&passwd=pw HTTP/1."));
    EXPECT_NE(std::string::npos, requests[0].find("Accept: text//plain"));
    EXPECT_NE(std::string::npos, requests[0].find("Accept: text//html"));
    EXPECT_NE(std::string::npos, requests[1].find("/zrt/update HTTP/1."));
}

TEST_F(FeedLogin, RefusedLoginGivesTheBannerAndNoContentRequest) {
    PortalThread portal([](const std::string&) { return Answer{"LOGIN FAILED ok"}; });
    EXPECT_EQ(kBadLoginBanner, Fetch(portal));
    EXPECT_EQ(1u, portal.Requests().size());
}

TEST_F(FeedLogin, LoginBytesCountAsReceived) {
    PortalThread portal(
        [](const std::string& line) { return IsLogin(line) ? Answer{"OK"} : Answer{""}; });
    EXPECT_EQ("|", Fetch(portal));  // an empty content, not the no-data banner
}

TEST_F(FeedLogin, LoginServerThatHangsUpRefusesTheLogin) {
    // WinINet opens such a request with an empty reply, which holds no "OK".
    PortalThread portal([](const std::string& line) {
        return IsLogin(line) ? Answer{"", true} : Answer{F + "news"};
    });
    EXPECT_EQ(kBadLoginBanner, Fetch(portal));
    EXPECT_EQ(1u, portal.Requests().size());
}

TEST_F(FeedLogin, CredentialsTooLongForTheLoginAddressAreNotSent) {
    std::memset(TickerSettings.userId, 'u', 99);
    std::memset(TickerSettings.password, 'p', 99);
    PortalThread portal([](const std::string&) { return Answer{"OK"}; });
    EXPECT_EQ(kBadLoginBanner, Fetch(portal));
    EXPECT_TRUE(portal.Requests().empty());
}

}  // namespace
