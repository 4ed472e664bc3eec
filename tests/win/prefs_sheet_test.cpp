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
#include <functional>
#include <thread>
#include <vector>

#include "base/messages.h"
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

// Replaces an import of this program for the life of one test; *slot, if given, gets the
// original.
struct Watch {
    const char *dll, *name;
    void* real;
    template <class Fn>
    Watch(const char* d, const char* n, Fn replacement, Fn* slot = nullptr)
        : dll(d), name(n), real(PatchImport(d, n, reinterpret_cast<void*>(replacement))) {
        if (slot) *slot = reinterpret_cast<Fn>(real);
        EXPECT_NE(nullptr, real) << n;
    }
    ~Watch() {
        if (real) PatchImport(dll, name, real);
    }
};

std::atomic<int> Beeps;                                // each counter is used by one test only
BOOL WINAPI CountedBeep(UINT) { return ++Beeps > 0; }  // the sound itself is not wanted

std::vector<UINT> RefreshPeriods;  // set on the sheet's thread, read there after it closed
decltype(&SetTimer) RealSetTimer;
UINT_PTR WINAPI WatchedSetTimer(HWND window, UINT_PTR id, UINT period, TIMERPROC proc) {
    if (id == RefreshTimer) RefreshPeriods.push_back(period);
    return RealSetTimer(window, id, period, proc);
}

// Every worker is an empty thread while a test watches: the refresh is over at once, so no
// network is touched and the next StartFeedRefresh is not turned away as overlapping.
std::atomic<int> Refreshes;
decltype(&CreateThread) RealCreateThread;
DWORD WINAPI EmptyRefresh(LPVOID) { return 0; }
HANDLE WINAPI InstantRefresh(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD,
                             LPDWORD id) {
    ++Refreshes;
    FeedThreadRunning = 0;
    return RealCreateThread(nullptr, 0, EmptyRefresh, nullptr, 0, id);
}

bool WaitUntil(const std::function<bool()>& condition) {
    for (const DWORD start = GetTickCount(); !condition(); Sleep(50))
        if (GetTickCount() - start > kWaitMs) return false;
    return true;
}

// A shown dialog of the sheet's thread with this caption (any caption when null), or null.
DWORD SheetThread;  // the thread that runs the sheet and its message boxes

HWND FindDialog(const char* caption) {
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "#32770", caption)) != nullptr;)
        if (IsWindowVisible(w) && GetWindowThreadProcessId(w, nullptr) == SheetThread) return w;
    return nullptr;
}

HWND WaitForDialog(const char* caption) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindDialog(caption)) != nullptr; });
    return found;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kWaitMs, &result);
    return static_cast<LRESULT>(result);
}

void Click(HWND dialog, int id) { Send(GetDlgItem(dialog, id), BM_CLICK); }
void PostClick(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
// Clears every check box of the page; on the News page they are the topics.
void ClearTopics(HWND page) {
    for (HWND c = GetWindow(page, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (Send(c, BM_GETCHECK) == BST_CHECKED) Send(c, BM_CLICK);
}

// Settings as a fresh ticker holds them, a clean key, no feed worker, and a plain window of
// this thread in the place of the docked ticker: the sheet is owned by it, and the pages re-arm
// its refresh timer, rebuild the strip fonts for it and repaint it.
class PrefsSheet : public testing::Test {
  protected:
    void SetUp() override {
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
        TickerSettings = {};
        FeedDisabled = 1;
        // A store that shows something, as after the first start: the sheet's topic check
        // then lets OK and Apply through unless a test clears every topic itself.
        const DWORD on = 1;
        SHSetValueA(HKEY_LOCAL_MACHINE, kSettingsKey, "US Headlines", REG_DWORD, &on, sizeof on);
        ticker_ = gdi_test::TestWindow("PrefsTestTicker", 600, 740, 340, 24, DefWindowProcA);
    }
    void TearDown() override {
        DestroyWindow(ticker_);
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
        FeedDisabled = 0;  // as the program starts
    }

    // Opens the sheet on this thread at page pageIndex while steps() runs on a second thread.
    // Whatever steps() leaves open is cancelled, so a failed expectation never leaves the test
    // hanging.
    void Run(int pageIndex, const std::function<void(HWND sheet, HWND page)>& steps) {
        SheetThread = GetCurrentThreadId();
        std::atomic<bool> finished{false};
        std::thread driver([&] {
            HWND sheet = WaitForDialog("Preferences");
            Send(sheet, PSM_SETCURSEL, pageIndex, 0);
            HWND page = reinterpret_cast<HWND>(Send(sheet, PSM_GETCURRENTPAGEHWND));
            EXPECT_TRUE(sheet && page);
            if (sheet && page) steps(sheet, page);
            for (int round = 0; round < 50 && FindDialog(nullptr); ++round, Sleep(200))
                PostMessageA(FindDialog(nullptr), WM_COMMAND, IDCANCEL, 0);
            finished = true;
        });
        ShowPreferences(ticker_);
        // The driver may still ask this thread's windows for their text: keep answering.
        for (; !finished; MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT))
            gdi_test::Pump();
        driver.join();
    }

    HWND ticker_ = nullptr;
};

TEST_F(PrefsSheet, NothingToShowBeepsOnce) {
    Watch watch("user32.dll", "MessageBeep", CountedBeep);
    Run(kNewsPage, [&](HWND sheet, HWND page) {
        ClearTopics(page);
        PostClick(sheet, IDOK);
        HWND box = WaitForDialog("Error");
        ASSERT_NE(nullptr, box);
        EXPECT_EQ(1, Beeps.load());
        Click(box, IDOK);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
        Click(page, IDC_WEATHER);
        PostClick(sheet, IDOK);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(sheet); }));
    });
    EXPECT_EQ(1, Beeps.load());
}

TEST_F(PrefsSheet, ApplyReArmsTheRefreshTimerWithThePeriodInForce) {
    Watch watch("user32.dll", "SetTimer", WatchedSetTimer, &RealSetTimer);
    Run(kTickerPage, [&](HWND sheet, HWND page) {
        for (const char* typed : {"25", "75"}) {
            Send(GetDlgItem(page, IDC_REFRESH_EDIT), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(typed));
            Click(sheet, kApplyButton);
        }
        Click(sheet, IDCANCEL);
    });
    EXPECT_EQ((std::vector<UINT>{25 * 60000, 60 * 60000}), RefreshPeriods);  // none at Cancel
}

// The "Ticker" page, on which the sheet opens, starts a refresh at every Apply; the Stock
// Symbols page adds one of its own only once its list has changed, and then at every Apply.
TEST_F(PrefsSheet, SymbolsStartARefreshOfTheirOwnOnlyAfterAChange) {
    Watch watch("kernel32.dll", "CreateThread", InstantRefresh, &RealCreateThread);
    FeedDisabled = 0;
    FeedThreadRunning = 0;
    Refreshes = 0;
    CopyText(TickerSettings.stockSymbols, "MSFT+IBM");
    Run(kSymbolsPage, [&](HWND sheet, HWND) { Click(sheet, IDOK); });
    EXPECT_EQ(1, Refreshes.load());

    Run(kSymbolsPage, [&](HWND sheet, HWND page) {
        Send(GetDlgItem(page, IDC_SYMBOL_EDIT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("T"));
        Click(page, IDC_ADD_SYMBOL);
        Click(sheet, kApplyButton);
        EXPECT_EQ(3, Refreshes.load());
        Click(sheet, IDOK);  // still changed since the page was made: another refresh
    });
    EXPECT_EQ(5, Refreshes.load());
}

}  // namespace
