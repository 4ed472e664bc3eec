// What the real preferences sheet asks of the system, watched in this process through its
// imports: the beep of the topic check, the refresh timer that Apply re-arms, and the refreshes
// Apply starts. What the pages store and what the ticker then does is checked end to end
// (tests/e2e/e2e_prefs.py).
//
// The sheet runs modally on the test's thread, as the ticker runs it on its window thread, and
// a second thread drives it through its controls with the messages a user's clicks and keys
// produce: it only finds windows, sends or posts messages to them and reads them. A click that
// may open a modal window (OK or Apply that can be refused) is posted, so that the driver is
// never stuck inside a message the dialog thread cannot finish.
#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "base/messages.h"
#include "base/program_win.h"
#include "base/text.h"
#include "feed/feed_worker_win.h"
#include "gdi_objects_win.h"
#include "patch_import_win.h"
#include "prefs/prefs_win.h"
#include "res/resource.h"
#include "settings/settings.h"

namespace {

constexpr char kSettingsKey[] = "SOFTWARE\\Ostrivane\\Ticker";
constexpr DWORD kWaitMs = 20000;  // generous: the machine may be slow and loaded
constexpr int kApplyButton = 0x3021;
constexpr int kTickerPage = 0, kNewsPage = 1, kSymbolsPage = 2;
const int kContentSwitches[] = {IDC_US,     IDC_WORLD,      IDC_BUSINESS,      IDC_POLITICS,
                                IDC_QUOTES, IDC_TECHNOLOGY, IDC_ENTERTAINMENT, IDC_SPORTS,
                                IDC_WEATHER};

// Replaces an import of this program for the life of one test; *slot gets the original.
struct Watch {
    const char *dll, *name;
    void* real;
    template <class Fn>
    Watch(const char* d, const char* n, Fn replacement, Fn* slot)
        : dll(d), name(n), real(PatchImport(d, n, reinterpret_cast<void*>(replacement))) {
        *slot = reinterpret_cast<Fn>(real);
    }
    ~Watch() {
        if (real) PatchImport(dll, name, real);
    }
};

std::atomic<int> Beeps;
BOOL(WINAPI* RealMessageBeep)(UINT);
BOOL WINAPI CountedBeep(UINT type) {
    ++Beeps;
    return RealMessageBeep(type);
}

std::mutex PeriodsLock;
std::vector<UINT> RefreshPeriods;
UINT_PTR(WINAPI* RealSetTimer)(HWND, UINT_PTR, UINT, TIMERPROC);
UINT_PTR WINAPI WatchedSetTimer(HWND window, UINT_PTR id, UINT period, TIMERPROC proc) {
    if (id == RefreshTimer) {
        std::lock_guard<std::mutex> hold(PeriodsLock);
        RefreshPeriods.push_back(period);
    }
    return RealSetTimer(window, id, period, proc);
}

// Every worker is an empty thread while a test watches: the refresh is over at once, so no
// network is touched and the next StartFeedRefresh is not turned away as overlapping.
std::atomic<int> Refreshes;
HANDLE(WINAPI* RealCreateThread)
(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD, LPDWORD);
DWORD WINAPI EmptyRefresh(LPVOID) { return 0; }
HANDLE WINAPI InstantRefresh(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD,
                             LPDWORD id) {
    ++Refreshes;
    FeedThreadRunning = 0;
    return RealCreateThread(nullptr, 0, EmptyRefresh, nullptr, 0, id);
}

void SetDword(const char* name, DWORD value) {
    ASSERT_EQ(ERROR_SUCCESS,
              SHSetValueA(HKEY_LOCAL_MACHINE, kSettingsKey, name, REG_DWORD, &value, sizeof value));
}

bool WaitUntil(const std::function<bool()>& condition) {
    for (const DWORD start = GetTickCount(); !condition(); Sleep(50))
        if (GetTickCount() - start > kWaitMs) return false;
    return true;
}

// The first visible dialog of thread with this caption (any caption when null), or null.
HWND FindDialog(DWORD thread, const char* caption) {
    std::pair<const char*, HWND> search{caption, nullptr};
    EnumThreadWindows(
        thread,
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<std::pair<const char*, HWND>*>(data);
            char text[256] = "", cls[64] = "";
            GetWindowTextA(window, text, sizeof text);
            GetClassNameA(window, cls, sizeof cls);
            if (std::strcmp(cls, "#32770") || !IsWindowVisible(window) ||
                (s->first && std::strcmp(text, s->first)))
                return TRUE;
            s->second = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.second;
}

HWND WaitForDialog(DWORD thread, const char* caption) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindDialog(thread, caption)) != nullptr; });
    return found;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kWaitMs, &result);
    return static_cast<LRESULT>(result);
}

void Click(HWND dialog, int id) { Send(GetDlgItem(dialog, id), BM_CLICK); }
void PostClick(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
void SetCheck(HWND dialog, int id, bool on) {
    if ((Send(GetDlgItem(dialog, id), BM_GETCHECK) == BST_CHECKED) != on) Click(dialog, id);
}

// Settings as a fresh ticker holds them, a clean key, no feed worker, and a plain window of
// this thread in the place of the docked ticker: the sheet is owned by it, and the pages re-arm
// its refresh timer, rebuild the strip fonts for it and repaint it.
class PrefsSheet : public testing::Test {
  protected:
    void SetUp() override {
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
        std::memset(&TickerSettings, 0, sizeof TickerSettings);
        savedFeedDisabled_ = FeedDisabled;
        savedWidthDivisor_ = WidthDivisor;
        FeedDisabled = 1;
        WidthDivisor = 3;
        // A store that shows something, as after the first start: the sheet's topic check
        // then lets OK and Apply through unless a test clears every topic itself.
        SetDword("US Headlines", 1);
        ticker_ = gdi_test::TestWindow("PrefsTestTicker", 600, 740, 340, 24, DefWindowProcA);
        ASSERT_NE(nullptr, ticker_);
    }
    void TearDown() override {
        DestroyWindow(ticker_);
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
        FeedDisabled = savedFeedDisabled_;
        WidthDivisor = savedWidthDivisor_;
    }

    // Opens the sheet on this thread at page pageIndex while steps() runs on a second thread.
    // Whatever steps() leaves open is cancelled, so a failed expectation never leaves the test
    // hanging.
    void Run(int pageIndex, const std::function<void(HWND sheet, HWND page)>& steps) {
        const DWORD owner = GetCurrentThreadId();
        std::atomic<bool> finished{false};
        std::thread driver([&] {
            HWND sheet = WaitForDialog(owner, "Preferences");
            EXPECT_NE(nullptr, sheet);
            Send(sheet, PSM_SETCURSEL, pageIndex, 0);
            HWND page = reinterpret_cast<HWND>(Send(sheet, PSM_GETCURRENTPAGEHWND));
            EXPECT_NE(nullptr, page);
            if (sheet && page) steps(sheet, page);
            // Message boxes first, then the sheet.
            for (int round = 0; round < 50; ++round, Sleep(200)) {
                HWND left = FindDialog(owner, nullptr);
                if (!left) break;
                PostMessageA(left, WM_COMMAND, IDCANCEL, 0);
            }
            finished = true;
        });
        ShowPreferences(ticker_);
        // The driver may still ask this thread's windows for their text: keep answering.
        for (MSG msg; !finished; MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT)) {
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
        driver.join();
    }

    HWND ticker_ = nullptr;
    LONG savedFeedDisabled_ = 0;
    uint32_t savedWidthDivisor_ = 3;
};

TEST_F(PrefsSheet, NothingToShowBeepsOnceButNotInTheAccountMode) {
    Watch watch("user32.dll", "MessageBeep", CountedBeep, &RealMessageBeep);
    ASSERT_NE(nullptr, watch.real);
    Beeps = 0;
    const DWORD thread = GetCurrentThreadId();
    Run(kNewsPage, [&](HWND sheet, HWND page) {
        for (int id : kContentSwitches) SetCheck(page, id, false);
        PostClick(sheet, IDOK);
        HWND box = WaitForDialog(thread, "Error");
        ASSERT_NE(nullptr, box);
        EXPECT_EQ(1, Beeps.load());
        Click(box, IDOK);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
        SetCheck(page, IDC_WEATHER, true);
        PostClick(sheet, IDOK);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(sheet); }));
    });
    EXPECT_EQ(1, Beeps.load());

    SetDword("My Tamzo!", 1);
    Run(kNewsPage, [&](HWND sheet, HWND page) {
        for (int id : kContentSwitches) SetCheck(page, id, false);
        PostClick(sheet, IDOK);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(sheet); }));
    });
    EXPECT_EQ(1, Beeps.load());
}

TEST_F(PrefsSheet, ApplyReArmsTheRefreshTimerWithThePeriodInForce) {
    Watch watch("user32.dll", "SetTimer", WatchedSetTimer, &RealSetTimer);
    ASSERT_NE(nullptr, watch.real);
    RefreshPeriods.clear();
    Run(kTickerPage, [&](HWND sheet, HWND page) {
        for (const char* typed : {"25", "75"}) {
            Send(GetDlgItem(page, IDC_REFRESH_EDIT), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(typed));
            Click(sheet, kApplyButton);
        }
        Click(sheet, IDCANCEL);
    });
    std::lock_guard<std::mutex> hold(PeriodsLock);
    EXPECT_EQ((std::vector<UINT>{25 * 60000, 60 * 60000}), RefreshPeriods);  // none at Cancel
}

// The "Ticker" page, on which the sheet opens, starts a refresh at every Apply; the Stock
// Symbols page adds one of its own only once its list has changed, and then at every Apply.
TEST_F(PrefsSheet, SymbolsStartARefreshOfTheirOwnOnlyAfterAChange) {
    Watch watch("kernel32.dll", "CreateThread", InstantRefresh, &RealCreateThread);
    ASSERT_NE(nullptr, watch.real);
    FeedDisabled = 0;
    FeedThreadRunning = 0;
    Refreshes = 0;
    CopyText(TickerSettings.stockSymbols, "MSFT+IBM");
    Run(kSymbolsPage, [&](HWND sheet, HWND) { Click(sheet, IDOK); });
    EXPECT_EQ(1, Refreshes.load());

    Refreshes = 0;
    Run(kSymbolsPage, [&](HWND sheet, HWND page) {
        Send(GetDlgItem(page, IDC_SYMBOL_EDIT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("T"));
        Click(page, IDC_ADD_SYMBOL);
        Click(sheet, kApplyButton);
        EXPECT_EQ(2, Refreshes.load());
        Click(sheet, IDOK);  // still changed since the page was made: another refresh
    });
    EXPECT_EQ(4, Refreshes.load());
    FeedDisabled = 1;
}

}  // namespace
