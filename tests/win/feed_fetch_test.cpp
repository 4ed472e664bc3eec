// The feed worker against a small HTTP server on a thread of this process, reached the way a
// proxy is, so every request arrives with its absolute address: FetchAndParseFeed through an
// Internet handle the test opens, and whole refreshes through the system's proxy setting.
// Here is what only this process sees (the text handed to the strip, the worker's flags); the
// requests and the ticker's fate are checked end to end (tests/e2e/e2e_feed.py).
#include <winsock2.h>
#include <windows.h>
#include <shlwapi.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/ticker_host_win.h"
#include "base/text.h"
#include "display/banners.h"
#include "feed/content_model.h"
#include "feed/feed_worker_win.h"
#include "feed/fetch_win.h"
#include "gdi_objects_win.h"
#include "settings/settings.h"

namespace {

const char kKey[] = "SOFTWARE\\Ostrivane\\Ticker";
const char kProxyKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const std::string F = "\x0B";  // a field of the reply

// A server that answers every request through handler (with a body, or with nothing: a hang-up
// without any reply) and counts the requests; it takes the next connection only after this one.
// Closing the listener ends the wait for the next one.
struct PortalThread {
    using Handler = std::function<std::optional<std::string>(const std::string& requestLine)>;

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
        port = ntohs(addr.sin_port);
        listen(listener_, 8);
        thread_ = std::thread([this] { Serve(); });
    }

    ~PortalThread() {
        closesocket(listener_);
        thread_.join();
        WSACleanup();
    }

    void Serve() {
        for (SOCKET client; (client = accept(listener_, nullptr, nullptr)) != INVALID_SOCKET;) {
            Respond(client);
            closesocket(client);
        }
    }

    void Respond(SOCKET client) {
        std::string head;
        char piece[1024];
        while (head.find("\r\n\r\n") == std::string::npos && head.size() < 16384) {
            const int n = recv(client, piece, sizeof piece, 0);
            if (n <= 0) return;
            head.append(piece, n);
        }
        ++requests;
        const std::optional<std::string> body = handler_(head.substr(0, head.find("\r\n")));
        if (!body) return;
        const std::string reply =
            "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
            std::to_string(body->size()) + "\r\n\r\n" + *body;
        send(client, reply.data(), static_cast<int>(reply.size()), 0);  // blocks until all is sent
        shutdown(client, SD_SEND);
    }

    Handler handler_;
    SOCKET listener_ = INVALID_SOCKET;
    int port = 0;
    std::atomic<int> requests{0};
    std::thread thread_;
};

bool IsLogin(const std::string& line) { return line.find("/bin/zrtlogin?") != std::string::npos; }

// Settings of a fresh ticker that asks for one quote, a clean store, and a plain window of this
// thread as the ticker's: the hand-over repaints it and links are measured in it.
class FeedFetch : public testing::Test {
  protected:
    void SetUp() override {
        savedSettings_ = TickerSettings;
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, kKey);
        TickerSettings = TickerSettingsData{};
        TickerSettings.storiesPerTopic = 10;
        TickerSettings.showQuotes = 1;
        CopyText(TickerSettings.stockSymbols, "IBM");
        FirstRefresh = FeedDisabled = 0;
        ClearLinks();
        DisplayText[0] = 0;
        TickerWindow = window_ = gdi_test::TestWindow("FeedTest", 0, 0, 300, 24);
        InitFeedState();
    }

    void TearDown() override {
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, kKey);
        SHDeleteKeyA(HKEY_CURRENT_USER, kProxyKey);
        TickerSettings = savedSettings_;
        DestroyWindow(window_);
        TickerWindow = nullptr;
        FirstRefresh = FeedDisabled = 0;
        ClearLinks();
    }

    // Runs one fetch through the portal as a proxy; returns the text it produced.
    std::string Fetch(PortalThread& portal) {
        std::string proxy = "127.0.0.1:" + std::to_string(portal.port);
        HINTERNET internet =
            InternetOpenA("FeedFetchTest", INTERNET_OPEN_TYPE_PROXY, proxy.c_str(), "", 0);
        EXPECT_TRUE(internet);
        if (!internet) return "";
        char* end = FetchAndParseFeed(internet, content_.data(), DeadlineIn(20000));
        InternetCloseHandle(internet);
        EXPECT_GE(end, content_.data());
        EXPECT_LE(end + 3, content_.data() + kContentBufferSize);
        return std::string(content_.data(), end);
    }

    // The personal account: a login comes first.
    static void UseAccount() {
        TickerSettings.useMyTamzo = 1;
        CopyText(TickerSettings.userId, "jane");
        CopyText(TickerSettings.password, "pw");
    }

    static void UseProxy(PortalThread& portal) {
        const DWORD on = 1;
        const std::string server = "127.0.0.1:" + std::to_string(portal.port);
        SHSetValueA(HKEY_CURRENT_USER, kProxyKey, "ProxyEnable", REG_DWORD, &on, 4);
        SHSetValueA(HKEY_CURRENT_USER, kProxyKey, "ProxyServer", REG_SZ, server.c_str(),
                    DWORD(server.size() + 1));
    }

    // Pumps this thread's messages until condition() holds; false after 20 s.
    static bool PumpUntil(const std::function<bool()>& condition) {
        for (DWORD start = GetTickCount(); !condition();) {
            if (GetTickCount() - start > 20000) return false;
            gdi_test::Pump();
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
        return true;
    }

    // Waits for the newest worker to end: after it, every worker started has ended.
    static bool WorkerEnded() {
        return PumpUntil([] { return WaitForSingleObject(FeedThreadHandle, 0) == WAIT_OBJECT_0; });
    }

    HWND window_ = nullptr;
    std::atomic<bool> release_{false};  // lets a waiting portal answer (it waits 20 s at most)
    std::vector<char> content_ = std::vector<char>(kContentBufferSize, 0);
    TickerSettingsData savedSettings_;
};

TEST_F(FeedFetch, ReplyLargerThanTheResponseBufferIsCutAndParsed) {
    // 99999 bytes fit beside the zero: the field's first three letters arrive, the rest not.
    PortalThread portal([](const std::string&) {
        return std::string(99995, 'x') + F + "TAIL" + std::string(50000, 'y');
    });
    EXPECT_EQ("TAI|", Fetch(portal));
}

TEST_F(FeedFetch, FirstRefreshShowsTheContactingBanner) {
    FirstRefresh = 1;
    ScrollOffset = 123;
    PortalThread portal([](const std::string&) { return F + "x"; });
    EXPECT_EQ("x|", Fetch(portal));
    EXPECT_EQ(0, std::strncmp(DisplayText, kContactingBanner, std::strlen(kContactingBanner)));
    EXPECT_EQ(0, ScrollOffset.load());
}

TEST_F(FeedFetch, TheLoginReplyDecidesWhetherTheContentIsAskedFor) {
    UseAccount();
    PortalThread accepted([](const std::string& line) { return IsLogin(line) ? "OK" : ""; });
    EXPECT_EQ("|", Fetch(accepted));  // login bytes count as received: no no-data banner
    // A login server that hangs up: WinINet opens such a request with an empty reply, which
    // holds no "OK".
    PortalThread hangUp([](const std::string& line) {
        return IsLogin(line) ? std::nullopt : std::optional<std::string>(F + "news");
    });
    EXPECT_EQ(kBadLoginBanner, Fetch(hangUp));
    EXPECT_EQ(1, hangUp.requests);
}

// Whole refreshes, as the window starts them: the worker finds the server through the system's
// proxy setting, and the test pumps the window's messages while it waits.
using FeedWorker = FeedFetch;

TEST_F(FeedWorker, ARefreshAskedForWhileOneRunsStartsNone) {
    PortalThread portal([&](const std::string&) {
        for (int i = 0; i < 2000 && !release_; ++i) Sleep(10);
        return F + "x";
    });
    UseProxy(portal);
    StartFeedRefresh(window_, 0);
    ASSERT_TRUE(PumpUntil([&] { return portal.requests == 1; }));
    for (int again = 0; again < 2; ++again) StartFeedRefresh(window_, 0);
    release_ = true;
    ASSERT_TRUE(WorkerEnded());
    EXPECT_EQ(1, portal.requests);
    EXPECT_EQ(0, FeedThreadRunning);

    StartFeedRefresh(window_, 0);  // once it has ended, the next one runs
    ASSERT_TRUE(WorkerEnded());
    EXPECT_EQ(2, portal.requests);
}

TEST_F(FeedWorker, AFailedFirstRefreshIsTheFirstAllTheSame) {
    // The first refresh ends with a refused login; the next shows no "contacting" banner.
    UseAccount();
    PortalThread portal([&](const std::string&) {
        for (int i = 0; i < 2000 && portal.requests > 1 && !release_; ++i) Sleep(10);
        return "LOGIN FAILED";
    });
    UseProxy(portal);
    FirstRefresh = 1;
    StartFeedRefresh(window_, 0);
    ASSERT_TRUE(WorkerEnded());
    EXPECT_EQ(0, FirstRefresh);
    EXPECT_EQ(0, std::strncmp(DisplayText, kBadLoginBanner, std::strlen(kBadLoginBanner)));

    StartFeedRefresh(window_, 0);
    ASSERT_TRUE(PumpUntil([&] { return portal.requests == 2; }));
    EXPECT_EQ(0, std::strncmp(DisplayText, kBadLoginBanner, std::strlen(kBadLoginBanner)));
    release_ = true;
    ASSERT_TRUE(WorkerEnded());
}

}  // namespace
