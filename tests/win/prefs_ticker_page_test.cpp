// The "Ticker" page of the real sheet: what it loads, what Apply saves and sets live, the
// refresh timer it re-arms on the ticker window, and the two-page sheet of an installation
// bound to the portal account.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "base/messages.h"
#include "prefs/prefs_win.h"
#include "prefs_sheet_driver.h"
#include "res/resource.h"
#include "settings/settings.h"

namespace {

using namespace prefs_test;

constexpr int kTickerPage = 0;

// Every SetTimer the program makes while a test watches: which window, which id, which period.
struct TimerCall {
    HWND window;
    UINT_PTR id;
    UINT period;
};
std::mutex TimerCallsLock;
std::vector<TimerCall> TimerCalls;
using SetTimerFn = UINT_PTR(WINAPI*)(HWND, UINT_PTR, UINT, TIMERPROC);
SetTimerFn RealSetTimer;

UINT_PTR WINAPI WatchedSetTimer(HWND window, UINT_PTR id, UINT period, TIMERPROC proc) {
    {
        std::lock_guard<std::mutex> hold(TimerCallsLock);
        TimerCalls.push_back({window, id, period});
    }
    return RealSetTimer(window, id, period, proc);
}

class TickerPage : public PrefsTest {
  protected:
    void SetUp() override {
        PrefsTest::SetUp();
        RealSetTimer = reinterpret_cast<SetTimerFn>(
            PatchImport("user32.dll", "SetTimer", reinterpret_cast<void*>(WatchedSetTimer)));
        ASSERT_NE(nullptr, RealSetTimer);
        std::lock_guard<std::mutex> hold(TimerCallsLock);
        TimerCalls.clear();
    }
    void TearDown() override {
        if (RealSetTimer)
            PatchImport("user32.dll", "SetTimer", reinterpret_cast<void*>(RealSetTimer));
        PrefsTest::TearDown();
    }

    // The periods of the refresh timer (id 3) set on the stand-in ticker since the last call.
    std::vector<UINT> RefreshTimerPeriods() {
        std::lock_guard<std::mutex> hold(TimerCallsLock);
        std::vector<UINT> periods;
        for (const TimerCall& call : TimerCalls)
            if (call.window == ticker_ && call.id == RefreshTimer) periods.push_back(call.period);
        TimerCalls.clear();
        return periods;
    }

    void Run(const std::function<void(HWND sheet, HWND page)>& steps) {
        RunOnPage(-1, IDC_REFRESH_EDIT, steps);  // the sheet starts on "Ticker"
    }
};

TEST_F(TickerPage, ApplyReArmsTheRefreshTimerWithThePeriodInForce) {
    struct Case {
        const char* typed;
        DWORD minutes;
    };
    const Case cases[] = {
        {"10", 10}, {"60", 60},  {"25", 25}, {"75", 60},
        {"5", 10},  {"abc", 10}, {"", 10},  // out of range: the nearer bound
    };
    Run([&](HWND sheet, HWND page) {
        EXPECT_EQ("15", Text(page, IDC_REFRESH_EDIT));  // "News Refresh" absent: 15
        for (const Case& c : cases) {
            Type(page, IDC_REFRESH_EDIT, c.typed);
            Click(sheet, kApplyButton);
            EXPECT_EQ(c.minutes, Dword("News Refresh")) << "typed " << c.typed;
            EXPECT_EQ(c.minutes, TickerSettings.refreshMinutes) << "typed " << c.typed;
            EXPECT_EQ(std::to_string(c.minutes), Text(page, IDC_REFRESH_EDIT));
            EXPECT_EQ(std::vector<UINT>{c.minutes * 60000}, RefreshTimerPeriods())
                << "typed " << c.typed;
        }
        Click(sheet, IDCANCEL);
    });
    EXPECT_TRUE(RefreshTimerPeriods().empty());  // Cancel re-arms nothing
}

TEST_F(TickerPage, ApplySavesEveryControlAndSetsTheLiveValues) {
    SetString("Tamzo! User ID", "stored-user");
    Run([&](HWND sheet, HWND page) {
        EXPECT_EQ("stored-user", Text(page, IDC_USER_ID));
        SetCheck(page, IDC_MY_TAMZO, true);
        Type(page, IDC_USER_ID, "reader-of-the-news-every-day");  // 28 characters typed
        Type(page, IDC_PASSWORD, "pa55 word");
        SetCheck(page, IDC_BOLD_FONT, true);
        SetCheck(page, IDC_SCREEN_SAVER, true);
        Send(GetDlgItem(page, IDC_TICKER_SPEED), WM_KEYDOWN, VK_END, 0);  // slider to the end
        Click(sheet, IDOK);
    });
    EXPECT_EQ(1u, Dword("My Tamzo!"));
    EXPECT_EQ("reader-of-the-news-", String("Tamzo! User ID"));  // 19 characters kept
    EXPECT_EQ("pa55 word", String("Tamzo! Password"));
    EXPECT_EQ(1u, Dword("Bold Font"));
    EXPECT_EQ(1u, Dword("Show in Screen Saver"));
    EXPECT_EQ(0u, Dword("Ticker Size"));
    EXPECT_EQ(4u, Dword("Ticker Speed"));
    EXPECT_EQ(1u, TickerSettings.useMyTamzo);
    EXPECT_STREQ("reader-of-the-news-", TickerSettings.userId);
    EXPECT_STREQ("pa55 word", TickerSettings.password);
    EXPECT_EQ(1u, TickerSettings.showInScreenSaver);
    EXPECT_EQ(4u, TickerSettings.scrollSpeed);
}

// A stored id longer than the page keeps is shown whole but saved as 19 characters.
TEST_F(TickerPage, LongStoredAccountTextIsCutAtApply) {
    SetString("Tamzo! Password", std::string(60, 'p'));
    Run([&](HWND sheet, HWND page) {
        EXPECT_EQ(std::string(60, 'p'), Text(page, IDC_PASSWORD));
        Click(sheet, IDOK);
    });
    EXPECT_EQ(std::string(19, 'p'), String("Tamzo! Password"));
}

TEST_F(TickerPage, LeavingThePageDropsWhatWasNotApplied) {
    SetDword("Bold Font", 1);
    SetDword("News Refresh", 30);
    Run([&](HWND sheet, HWND page) {
        SetCheck(page, IDC_BOLD_FONT, false);
        Type(page, IDC_USER_ID, "someone");
        Type(page, IDC_REFRESH_EDIT, "45");
        ShowPage(sheet, 1);
        page = ShowPage(sheet, kTickerPage);
        EXPECT_TRUE(Checked(page, IDC_BOLD_FONT));
        EXPECT_EQ("", Text(page, IDC_USER_ID));
        EXPECT_EQ("30", Text(page, IDC_REFRESH_EDIT));
        Click(sheet, IDOK);
    });
    EXPECT_EQ(1u, Dword("Bold Font"));
    EXPECT_EQ("", String("Tamzo! User ID"));
    EXPECT_EQ(30u, Dword("News Refresh"));
}

TEST_F(TickerPage, AnInstallationBoundToTheAccountHasTwoPagesAndKeepsTheAccountOn) {
    TickerSettings.myTamzoOnly = 1;
    SetDword("My Tamzo!", 1);
    Run([&](HWND sheet, HWND page) {
        EXPECT_EQ("Ticker|Ostrivane", TabTitles(sheet));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_MY_TAMZO)));
        EXPECT_TRUE(Checked(page, IDC_MY_TAMZO));
        // The maker's page never holds the sheet up.
        ShowPage(sheet, 1);
        Click(sheet, IDOK);
    });
    EXPECT_EQ(1u, Dword("My Tamzo!"));
}

TEST_F(TickerPage, TheFullSheetHasItsFourPagesInOrder) {
    Run([&](HWND sheet, HWND) {
        // The tab shows "&&" as one "&".
        EXPECT_EQ("Ticker|News && Colors|Stock Symbols|Ostrivane", TabTitles(sheet));
        ShowPage(sheet, 3);
        Click(sheet, IDOK);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(sheet); }));
    });
}

}  // namespace
