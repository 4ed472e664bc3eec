// The feed worker against a small HTTP server on a thread of this process, reached the way a
// proxy is, so every request arrives with its absolute address: FetchAndParseFeed through an
// Internet handle the test opens, and whole refreshes through the system's proxy setting.
// Here is what only this process sees (the text handed to the strip, the worker's flags); the
// requests and the ticker's fate are checked end to end (tests/e2e/e2e_feed.py).
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
#include "base/text.h"
#include "display/banners.h"
#include "feed/content_model.h"
#include "feed/feed_worker_win.h"
#include "feed/fetch_win.h"
#include "gdi_objects_win.h"
#include "settings/settings.h"

namespace {

const char kKey[] = "SOFTWARE\\Ostrivane\\Ticker";
const std::string F = "\x0B";  // a field of the reply

// What the server answers: a body, or a hang-up without any reply. The handler may also wait
// before it answers; the server takes the next connection only after this one.
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
        char* end = FetchAndParseFeed(internet, content_.data(), DeadlineIn(20000));
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

// Whole refreshes, as the window starts them: the worker finds the server through the system's
// proxy setting, and the test pumps its window's messages while it waits (the hand-over
// repaints the window).
class FeedWorker : public FeedFetch {
  protected:
    void SetUp() override {
        FeedFetch::SetUp();
        window_ = gdi_test::TestWindow("FeedWorkerTest", 0, 0, 300, 24);
        TickerWindow = window_;
        TickerSettings.showQuotes = 1;
        CopyText(TickerSettings.stockSymbols, "IBM");
        InitFeedState();
    }
    void TearDown() override {
        SHDeleteKeyA(HKEY_CURRENT_USER, kInternetSettings);
        DestroyWindow(window_);
        FeedFetch::TearDown();
    }

    void UseProxy(PortalThread& portal) {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kInternetSettings, 0, nullptr,
                                                 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
        const DWORD on = 1;
        const std::string server = "127.0.0.1:" + std::to_string(portal.port());
        RegSetValueExA(key, "ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), 4);
        RegSetValueExA(key, "ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(server.c_str()),
                       DWORD(server.size() + 1));
        RegCloseKey(key);
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

    static constexpr char kInternetSettings[] =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
    HWND window_ = nullptr;
};

TEST_F(FeedWorker, ARefreshAskedForWhileOneRunsStartsNone) {
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    PortalThread portal([&](const std::string&) {
        WaitForSingleObject(release, 20000);
        return Answer{F + "x"};
    });
    UseProxy(portal);
    StartFeedRefresh(window_, 0);
    ASSERT_TRUE(PumpUntil([&] { return portal.Requests().size() == 1; }));
    StartFeedRefresh(window_, 0);
    StartFeedRefresh(window_, 0);
    SetEvent(release);
    ASSERT_TRUE(WorkerEnded());
    EXPECT_EQ(1u, portal.Requests().size());
    EXPECT_EQ(0, FeedThreadRunning);

    StartFeedRefresh(window_, 0);  // once it has ended, the next one runs
    ASSERT_TRUE(WorkerEnded());
    EXPECT_EQ(2u, portal.Requests().size());
    CloseHandle(release);
}

TEST_F(FeedWorker, AFailedFirstRefreshIsTheFirstAllTheSame) {
    // The first refresh ends with a refused login; the next shows no "contacting" banner.
    TickerSettings.useMyTamzo = 1;
    CopyText(TickerSettings.userId, "jane");
    CopyText(TickerSettings.password, "pw");
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    int requests = 0;
    PortalThread portal([&](const std::string&) {
        if (++requests > 1) WaitForSingleObject(release, 20000);
        return Answer{"LOGIN FAILED"};
    });
    UseProxy(portal);
    FirstRefresh = 1;
    StartFeedRefresh(window_, 0);
    ASSERT_TRUE(WorkerEnded());
    EXPECT_EQ(0, FirstRefresh);
    EXPECT_EQ(0, std::strncmp(DisplayText, kBadLoginBanner, std::strlen(kBadLoginBanner)));

    StartFeedRefresh(window_, 0);
    ASSERT_TRUE(PumpUntil([&] { return portal.Requests().size() == 2; }));
    EXPECT_EQ(0, std::strncmp(DisplayText, kBadLoginBanner, std::strlen(kBadLoginBanner)));
    SetEvent(release);
    ASSERT_TRUE(WorkerEnded());
    CloseHandle(release);
}

}  // namespace
