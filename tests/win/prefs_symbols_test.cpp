// The "Stock Symbols" page of the real sheet, driven through its edit box, buttons and list
// box; the list is read back from the registry and from TickerSettings.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>

#include "base/text.h"
#include "prefs/prefs_win.h"
#include "prefs_sheet_driver.h"
#include "res/resource.h"
#include "settings/settings.h"

namespace {

using namespace prefs_test;

constexpr int kSymbolsPage = 2;

// Refreshes counted where they start: StartFeedRefresh makes its worker with CreateThread.
// While a test watches, every worker is an empty thread and the refresh is over at once, so
// no network is touched and the next StartFeedRefresh is not turned away as overlapping.
std::atomic<int> RefreshesStarted;
using CreateThreadFn = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE,
                                       LPVOID, DWORD, LPDWORD);
CreateThreadFn RealCreateThread;

DWORD WINAPI EmptyRefresh(LPVOID) { return 0; }

HANDLE WINAPI InstantRefresh(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD,
                             LPDWORD id) {
    ++RefreshesStarted;
    FeedThreadRunning = 0;
    return RealCreateThread(nullptr, 0, EmptyRefresh, nullptr, 0, id);
}

struct WatchRefreshes {
    WatchRefreshes() {
        RefreshesStarted = 0;
        FeedDisabled = 0;
        FeedThreadRunning = 0;
        RealCreateThread = reinterpret_cast<CreateThreadFn>(
            PatchImport("kernel32.dll", "CreateThread", reinterpret_cast<void*>(InstantRefresh)));
    }
    ~WatchRefreshes() {
        if (RealCreateThread)
            PatchImport("kernel32.dll", "CreateThread", reinterpret_cast<void*>(RealCreateThread));
        FeedDisabled = 1;
    }
};

class SymbolsPage : public PrefsTest {
  protected:
    // Opens the sheet with the live list `symbols`, shows the page and runs steps on it.
    void Run(const char* symbols, const std::function<void(HWND sheet, HWND page)>& steps) {
        CopyText(TickerSettings.stockSymbols, symbols);
        RunOnPage(kSymbolsPage, IDC_SYMBOL_LIST, steps);
    }

    static void Add(HWND page, const std::string& typed) {
        Type(page, IDC_SYMBOL_EDIT, typed);
        Click(page, IDC_ADD_SYMBOL);
    }

    static void Remove(HWND page, const char* symbol) {
        HWND list = GetDlgItem(page, IDC_SYMBOL_LIST);
        LRESULT index = Send(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                             reinterpret_cast<LPARAM>(symbol));
        ASSERT_NE(LB_ERR, index) << symbol;
        Send(list, LB_SETCURSEL, index);
        Click(page, IDC_REMOVE_SYMBOL);
    }

    static bool SheetClosed(HWND sheet) {
        return WaitUntil([&] { return !IsWindow(sheet); });
    }
};

TEST_F(SymbolsPage, AddTakesNewSymbolsInUpperCaseAndPassesOverListedOnes) {
    std::string shown;
    Run("^DJI+IBM+MSFT", [&](HWND sheet, HWND page) {
        EXPECT_EQ(3, Send(GetDlgItem(page, IDC_SYMBOL_LIST), LB_GETCOUNT));
        Add(page, "ib");                               // IB is not IBM
        EXPECT_EQ("IB", Text(page, IDC_SYMBOL_EDIT));  // the box keeps what was added
        Add(page, "IBM");                              // a middle piece
        Add(page, "^dji");                             // the first piece
        Add(page, "msft");                             // the last piece
        Add(page, "");
        EXPECT_EQ(4, Send(GetDlgItem(page, IDC_SYMBOL_LIST), LB_GETCOUNT));
        Add(page, "abcdefghijkl");  // the box takes nine characters
        EXPECT_EQ("ABCDEFGHI", Text(page, IDC_SYMBOL_EDIT));
        shown = ListEntries(page, IDC_SYMBOL_LIST);
        Click(sheet, IDOK);
        EXPECT_TRUE(SheetClosed(sheet));
    });
    // Where "^" sorts is the list box's business; the saved list follows the list box.
    for (const char* symbol : {"^DJI", "IB", "IBM", "MSFT", "ABCDEFGHI"})
        EXPECT_NE(std::string::npos, (" " + shown + " ").find(std::string(" ") + symbol + " "))
            << symbol << " in " << shown;
    EXPECT_EQ(5, std::count(shown.begin(), shown.end(), ' ') + 1) << shown;
    std::string joined = shown;
    std::replace(joined.begin(), joined.end(), ' ', '+');
    EXPECT_EQ(joined, String("Stock Symbols"));
    EXPECT_EQ(joined, std::string(TickerSettings.stockSymbols));
}

TEST_F(SymbolsPage, AddingToAnEmptyListGivesJustThatSymbol) {
    Run("", [&](HWND sheet, HWND page) {
        EXPECT_EQ("", ListEntries(page, IDC_SYMBOL_LIST));
        Add(page, "t");
        Click(sheet, IDOK);
    });
    EXPECT_EQ("T", String("Stock Symbols"));
}

TEST_F(SymbolsPage, RemoveTakesOutTheWholeSymbolOnly) {
    Run("IBMX+IBM", [&](HWND sheet, HWND page) {
        Remove(page, "IBM");
        EXPECT_EQ("IBMX", ListEntries(page, IDC_SYMBOL_LIST));
        // Remove without a selection does nothing.
        Send(GetDlgItem(page, IDC_SYMBOL_LIST), LB_SETCURSEL, static_cast<WPARAM>(-1));
        Click(page, IDC_REMOVE_SYMBOL);
        EXPECT_EQ("IBMX", ListEntries(page, IDC_SYMBOL_LIST));
        Click(sheet, IDOK);
    });
    EXPECT_EQ("IBMX", String("Stock Symbols"));

    // Removing the only symbol leaves an empty list, saved as an empty string, and an empty
    // list box at the next opening.
    Run("IBMX", [&](HWND sheet, HWND page) {
        Remove(page, "IBMX");
        Click(sheet, IDOK);
    });
    EXPECT_EQ("", String("Stock Symbols"));
    Run(TickerSettings.stockSymbols, [&](HWND sheet, HWND page) {
        EXPECT_EQ("", ListEntries(page, IDC_SYMBOL_LIST));
        Click(sheet, IDCANCEL);
    });
}

TEST_F(SymbolsPage, ApplySavesTheSortedListAndShowingAgainAddsNothing) {
    Run("MSFT+INTC+IBM", [&](HWND sheet, HWND page) {
        // Nothing changed yet: the sheet has no Apply to offer, OK saves the sorted list.
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheet, kApplyButton)));
        Add(page, "AAPL");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(sheet, kApplyButton)));
        Click(sheet, kApplyButton);
        EXPECT_EQ("AAPL+IBM+INTC+MSFT", String("Stock Symbols"));
        EXPECT_STREQ("AAPL+IBM+INTC+MSFT", TickerSettings.stockSymbols);
        ShowPage(sheet, 0);
        page = ShowPage(sheet, kSymbolsPage);
        EXPECT_EQ("AAPL IBM INTC MSFT", ListEntries(page, IDC_SYMBOL_LIST));
        Click(sheet, IDCANCEL);
    });
    Run("MSFT+INTC+IBM", [&](HWND sheet, HWND) { Click(sheet, IDOK); });
    EXPECT_EQ("IBM+INTC+MSFT", String("Stock Symbols"));
}

// The "Ticker" page, on which the sheet opens, starts a refresh at every Apply; the Stock
// Symbols page adds one of its own only once its list has changed, and then at every Apply.
TEST_F(SymbolsPage, ApplyStartsARefreshOfItsOwnOnlyAfterAChange) {
    WatchRefreshes watch;
    ASSERT_NE(nullptr, RealCreateThread);
    Run("MSFT+IBM", [&](HWND sheet, HWND) { Click(sheet, IDOK); });
    EXPECT_EQ(1, RefreshesStarted.load());
    EXPECT_EQ("IBM+MSFT", String("Stock Symbols"));  // saved, sorted, all the same

    RefreshesStarted = 0;
    Run("MSFT+IBM", [&](HWND sheet, HWND page) {
        Add(page, "T");
        Click(sheet, kApplyButton);
        EXPECT_EQ(2, RefreshesStarted.load());
        Click(sheet, IDOK);  // still changed since the page was made: another refresh
    });
    EXPECT_EQ(4, RefreshesStarted.load());
    EXPECT_EQ("IBM+MSFT+T", String("Stock Symbols"));
}

TEST_F(SymbolsPage, CancelPutsBackTheListThePageFound) {
    Run("IBM+T", [&](HWND sheet, HWND page) {
        Add(page, "XYZ");
        Remove(page, "T");
        // The ticker quotes what the page shows from the next refresh on ...
        EXPECT_STREQ("IBM+XYZ", TickerSettings.stockSymbols);
        Click(sheet, IDCANCEL);
    });
    // ... until Cancel, which puts the list back and saves nothing.
    EXPECT_STREQ("IBM+T", TickerSettings.stockSymbols);
    EXPECT_EQ("<absent>", String("Stock Symbols"));
    Run(TickerSettings.stockSymbols, [&](HWND sheet, HWND page) {
        EXPECT_EQ("IBM T", ListEntries(page, IDC_SYMBOL_LIST));
        // After Apply, Cancel goes back to the applied list, not to the one of the opening.
        Add(page, "AA");
        Click(sheet, kApplyButton);
        Add(page, "ZZ");
        EXPECT_STREQ("AA+IBM+T+ZZ", TickerSettings.stockSymbols);
        Click(sheet, IDCANCEL);
    });
    EXPECT_STREQ("AA+IBM+T", TickerSettings.stockSymbols);
    EXPECT_EQ("AA+IBM+T", String("Stock Symbols"));
}

// A list stored by someone else may hold long pieces and more than the value can keep; a full
// list takes no more symbols.
TEST_F(SymbolsPage, OverlongListsStayWithinTheStoredValue) {
    std::string stored;
    for (int i = 0; i < 15; ++i)  // 15 pieces of 16 characters: 254 characters in all
        stored += (i ? "+" : "") + std::string("LONGPIECE") + static_cast<char>('A' + i) + "123456";
    ASSERT_EQ(254u, stored.size());
    Run(stored.c_str(), [&](HWND sheet, HWND page) {
        EXPECT_EQ(15, Send(GetDlgItem(page, IDC_SYMBOL_LIST), LB_GETCOUNT));
        Add(page, "T");  // the list is over the limit already
        EXPECT_EQ(15, Send(GetDlgItem(page, IDC_SYMBOL_LIST), LB_GETCOUNT));
        Remove(page, "LONGPIECEC123456");
        Click(sheet, IDOK);
    });
    // Whole pieces only, in order, as many as fit in 199 characters: 11 of 17 with their "+".
    std::string saved = String("Stock Symbols");
    EXPECT_EQ(186u, saved.size()) << saved;
    EXPECT_EQ(0u, saved.find("LONGPIECEA123456+LONGPIECEB123456+LONGPIECED123456+")) << saved;
    EXPECT_EQ(saved, std::string(TickerSettings.stockSymbols));

    // A list exactly at 199 characters refuses one more symbol, whatever its length.
    std::string full;
    for (int i = 0; i < 20; ++i) full += (i ? "+" : "") + std::string("SYMBOL00") + char('A' + i);
    ASSERT_EQ(199u, full.size());
    Run(full.c_str(), [&](HWND sheet, HWND page) {
        Add(page, "T");
        EXPECT_EQ(20, Send(GetDlgItem(page, IDC_SYMBOL_LIST), LB_GETCOUNT));
        Click(sheet, IDOK);
    });
    EXPECT_EQ(full, String("Stock Symbols"));
}

}  // namespace
