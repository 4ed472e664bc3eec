// What the real preferences sheet asks of the system, watched in this process through its
// imports: the beep of the topic check, the refresh timer that Apply re-arms, and the refreshes
// Apply starts. What the pages store and what the ticker then does is checked end to end
// (tests/e2e/e2e_prefs.py).
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "base/messages.h"
#include "base/text.h"
#include "prefs/prefs_win.h"
#include "prefs_sheet_driver.h"
#include "res/resource.h"

namespace {

using namespace prefs_test;

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

class PrefsSheet : public PrefsTest {
  protected:
    void Run(int pageIndex, const std::function<void(HWND sheet, HWND page)>& steps) {
        RunModal([&] { ShowPreferences(ticker_); },
                 [&] {
                     HWND sheet = WaitForDialog(thread_, "Preferences");
                     ASSERT_NE(nullptr, sheet);
                     Send(sheet, PSM_SETCURSEL, pageIndex, 0);
                     HWND page = reinterpret_cast<HWND>(Send(sheet, PSM_GETCURRENTPAGEHWND));
                     ASSERT_NE(nullptr, page);
                     steps(sheet, page);
                 });
    }
};

TEST_F(PrefsSheet, NothingToShowBeepsOnceButNotInTheAccountMode) {
    Watch watch("user32.dll", "MessageBeep", CountedBeep, &RealMessageBeep);
    ASSERT_NE(nullptr, watch.real);
    Beeps = 0;
    Run(kNewsPage, [&](HWND sheet, HWND page) {
        for (int id : kContentSwitches) SetCheck(page, id, false);
        PostClick(sheet, IDOK);
        HWND box = WaitForDialog(thread_, "Error");
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
