// The "News && Colors" page of the real sheet: airports, stories, the topic check at Apply
// with its beep and message, and the colour swatches with the system's colour chooser.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <initializer_list>
#include <string>
#include <vector>

#include "prefs/prefs_win.h"
#include "prefs_sheet_driver.h"
#include "res/resource.h"
#include "settings/settings.h"
#include "settings/settings_store_win.h"

namespace {

using namespace prefs_test;

constexpr int kNewsPage = 1;
const int kContentSwitches[] = {IDC_US,     IDC_WORLD,      IDC_BUSINESS,      IDC_POLITICS,
                                IDC_QUOTES, IDC_TECHNOLOGY, IDC_ENTERTAINMENT, IDC_SPORTS,
                                IDC_WEATHER};
const char* const kContentValues[] = {
    "US Headlines", "World Headlines",      "Business Headlines",      "Politics Headlines",
    "Stock Quotes", "Technology Headlines", "Entertainment Headlines", "Sports Headlines",
    "Weather"};

std::atomic<int> Beeps;
using MessageBeepFn = BOOL(WINAPI*)(UINT);
MessageBeepFn RealMessageBeep;
BOOL WINAPI WatchedMessageBeep(UINT type) {
    ++Beeps;
    return RealMessageBeep(type);
}

class NewsColorsPage : public PrefsTest {
  protected:
    void SetUp() override {
        PrefsTest::SetUp();
        RealMessageBeep = reinterpret_cast<MessageBeepFn>(
            PatchImport("user32.dll", "MessageBeep", reinterpret_cast<void*>(WatchedMessageBeep)));
        ASSERT_NE(nullptr, RealMessageBeep);
        Beeps = 0;
    }
    void TearDown() override {
        if (RealMessageBeep)
            PatchImport("user32.dll", "MessageBeep", reinterpret_cast<void*>(RealMessageBeep));
        PrefsTest::TearDown();
    }

    void Run(const std::function<void(HWND sheet, HWND page)>& steps) {
        RunOnPage(kNewsPage, IDC_AIRPORTS, steps);
    }

    static void CheckOnly(HWND page, std::initializer_list<int> on) {
        for (int id : kContentSwitches)
            SetCheck(page, id, std::find(on.begin(), on.end(), id) != on.end());
    }

    // The twelve stored colours, as the store reads them.
    static std::vector<uint32_t> StoredColors() {
        std::vector<uint32_t> colors;
        for (const ColorSettingRow& row : kColorSettings)
            colors.push_back(ReadColorSetting(row.id));
        return colors;
    }

    // Clicks a swatch, waits for the colour chooser, picks the colour of its basic grid at
    // (column, row) with the mouse, and closes the chooser with OK (or Cancel).
    void ChooseColor(HWND sheet, HWND page, int swatch, int column, int row, int button = IDOK) {
        PostClick(page, swatch);
        HWND chooser = WaitForDialog(thread_, "Color");
        ASSERT_NE(nullptr, chooser);
        EXPECT_EQ(sheet, GetAncestor(GetWindow(chooser, GW_OWNER), GA_ROOT));
        // The basic colours: a grid of 8 x 6 cells in the chooser's predefined-colour area.
        HWND grid = GetDlgItem(chooser, 0x2d0);
        ASSERT_NE(nullptr, grid);
        RECT area;
        GetWindowRect(grid, &area);
        MapWindowPoints(nullptr, chooser, reinterpret_cast<POINT*>(&area), 2);
        const int x = area.left + (area.right - area.left) * (2 * column + 1) / 16;
        const int y = area.top + (area.bottom - area.top) * (2 * row + 1) / 12;
        PostMessageA(chooser, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        PostMessageA(chooser, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        Sleep(300);
        PostClick(chooser, button);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(chooser); }));
        Send(sheet, WM_NULL);  // the page has finished handling the click
    }
};

TEST_F(NewsColorsPage, AirportsAreSavedUpperCaseAndJoinedByCommas) {
    Run([&](HWND sheet, HWND page) {
        EXPECT_EQ("", Text(page, IDC_AIRPORTS));  // "Airports" absent
        Type(page, IDC_AIRPORTS, "jfk sfo");
        EXPECT_EQ("JFK SFO", Text(page, IDC_AIRPORTS));  // the box turns letters upper case
        Click(sheet, kApplyButton);
        EXPECT_EQ("JFK,SFO", String("Airports"));
        EXPECT_STREQ("JFK,SFO", TickerSettings.airports);
        // More than the store keeps: the box takes 299 characters, the value keeps 99.
        std::string many;
        for (int i = 0; i < 100; ++i) many += "ab ";
        Type(page, IDC_AIRPORTS, many);
        EXPECT_EQ(299u, Text(page, IDC_AIRPORTS).size());
        Click(sheet, IDOK);
    });
    std::string expected;
    for (int i = 0; i < 33; ++i) expected += "AB,";
    EXPECT_EQ(expected, String("Airports"));
    EXPECT_EQ(299u, std::string(TickerSettings.airports).size());
}

TEST_F(NewsColorsPage, StoriesStayBetweenThreeAndTwenty) {
    struct Case {
        const char* typed;
        DWORD stories;
    };
    const Case cases[] = {{"3", 3}, {"20", 20}, {"7", 7}, {"2", 3}, {"25", 20}, {"x", 3}};
    Run([&](HWND sheet, HWND page) {
        EXPECT_EQ("10", Text(page, IDC_STORIES));  // absent: 10
        for (const Case& c : cases) {
            Type(page, IDC_STORIES, c.typed);
            Click(sheet, kApplyButton);
            EXPECT_EQ(c.stories, Dword("Stories per Topic")) << "typed " << c.typed;
            EXPECT_EQ(c.stories, TickerSettings.storiesPerTopic) << "typed " << c.typed;
        }
        // The arrows stop at the bounds.
        HWND spin = GetDlgItem(page, IDC_STORIES_SPIN);
        Type(page, IDC_STORIES, "19");
        for (int i = 0; i < 3; ++i) Send(GetDlgItem(page, IDC_STORIES), WM_KEYDOWN, VK_UP, 0);
        EXPECT_EQ("20", Text(page, IDC_STORIES));
        EXPECT_EQ(20, LOWORD(Send(spin, UDM_GETPOS)));
        Click(sheet, IDOK);
    });
    EXPECT_EQ(20u, Dword("Stories per Topic"));
}

TEST_F(NewsColorsPage, NothingToShowIsRefusedWithABeepAndAMessage) {
    SetDword("US Headlines", 1);
    SetDword("Weather", 1);
    Run([&](HWND sheet, HWND page) {
        CheckOnly(page, {});
        PostClick(sheet, IDOK);
        HWND box = WaitForDialog(thread_, "Error");
        ASSERT_NE(nullptr, box);
        EXPECT_EQ(1, Beeps.load());
        EXPECT_NE(std::string::npos,
                  StaticTexts(box).find("|You must select at least one news Topics...|"));
        // The cleared switches are stored already, before the user has answered.
        for (const char* name : kContentValues) EXPECT_EQ(0u, Dword(name)) << name;
        Click(box, IDOK);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
        // The sheet stays open, on this page.
        EXPECT_TRUE(IsWindow(sheet));
        EXPECT_EQ(page, CurrentPage(sheet));
        // Weather alone is enough.
        SetCheck(page, IDC_WEATHER, true);
        PostClick(sheet, IDOK);

        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(sheet); }));
        EXPECT_EQ(nullptr, FindDialog(thread_, "Error"));
    });
    EXPECT_EQ(1u, Dword("Weather"));
    EXPECT_EQ(1, Beeps.load());
}

TEST_F(NewsColorsPage, TheAccountModeNeedsNoTopic) {
    SetDword("My Tamzo!", 1);
    Run([&](HWND sheet, HWND page) {
        CheckOnly(page, {});
        PostClick(sheet, IDOK);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(sheet); }));
    });
    EXPECT_EQ(0, Beeps.load());
    for (const char* name : kContentValues) EXPECT_EQ(0u, Dword(name)) << name;
}

TEST_F(NewsColorsPage, TopicSwitchesAreSavedAndSetLive) {
    Run([&](HWND sheet, HWND page) {
        CheckOnly(page, {IDC_WORLD, IDC_SPORTS, IDC_QUOTES});
        Click(page, IDC_CELSIUS);
        Click(sheet, IDOK);
    });
    EXPECT_EQ(1u, Dword("World Headlines"));
    EXPECT_EQ(1u, Dword("Sports Headlines"));
    EXPECT_EQ(1u, Dword("Stock Quotes"));
    EXPECT_EQ(0u, Dword("US Headlines"));
    EXPECT_EQ(0u, Dword("Weather"));
    EXPECT_EQ(0u, Dword("Temperature System"));
    EXPECT_EQ(1u, TickerSettings.showWorld);
    EXPECT_EQ(1u, TickerSettings.showSports);
    EXPECT_EQ(1u, TickerSettings.showQuotes);
    EXPECT_EQ(0u, TickerSettings.showUS);
    EXPECT_EQ(0u, TickerSettings.fahrenheit);
}

TEST_F(NewsColorsPage, AChosenColourIsStoredAtOnceAndCancelPutsEveryColourBack) {
    SetDword("SYMBOL Color", Rgb(10, 20, 30));  // one stored colour; the others are absent
    const std::vector<uint32_t> before = StoredColors();
    Run([&](HWND sheet, HWND page) {
        ChooseColor(sheet, page, IDC_COLOR_QUOTE_NC, 0, 0);
        const uint32_t chosen = Dword("Quote NC Color");
        EXPECT_NE(Rgb(255, 255, 0), chosen);  // something else than the default yellow
        ChooseColor(sheet, page, IDC_COLOR_SYMBOL, 5, 2);
        EXPECT_NE(Rgb(10, 20, 30), Dword("SYMBOL Color"));
        // Going to another page and back does not make the chosen colours the ones to keep.
        ShowPage(sheet, 0);
        ShowPage(sheet, kNewsPage);
        Click(sheet, IDCANCEL);
    });
    EXPECT_EQ(before, StoredColors());
    EXPECT_EQ(Rgb(255, 255, 0), ReadColorSetting(IDC_COLOR_QUOTE_NC));
}

TEST_F(NewsColorsPage, CancelInTheChooserChangesNothing) {
    SetDword("Quote UP Color", Rgb(1, 200, 3));
    Run([&](HWND sheet, HWND page) {
        ChooseColor(sheet, page, IDC_COLOR_QUOTE_UP, 3, 3, IDCANCEL);
        EXPECT_EQ(Rgb(1, 200, 3), Dword("Quote UP Color"));
        Click(sheet, IDOK);
    });
    EXPECT_EQ(Rgb(1, 200, 3), Dword("Quote UP Color"));
    EXPECT_EQ(Rgb(1, 200, 3), TickerSettings.colors[kQuoteUpColor]);
}

// After Apply the sheet stays open; the swatches still paint in their colours, and the ticker
// takes the chosen colour.
TEST_F(NewsColorsPage, SwatchesKeepTheirColoursAfterApply) {
    Run([&](HWND sheet, HWND page) {
        ChooseColor(sheet, page, IDC_COLOR_BACKGROUND, 2, 1);
        const uint32_t chosen = Dword("Ticker Background Color");
        Click(sheet, kApplyButton);
        EXPECT_EQ(chosen, TickerSettings.colors[kBackgroundColor]);
        HWND swatch = GetDlgItem(page, IDC_COLOR_BACKGROUND);
        RedrawWindow(swatch, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        Send(sheet, WM_NULL);
        RECT rc;
        GetClientRect(swatch, &rc);
        HDC dc = GetDC(swatch);
        const COLORREF middle = GetPixel(dc, rc.right / 2, rc.bottom / 2);
        ReleaseDC(swatch, dc);
        EXPECT_EQ(chosen, static_cast<uint32_t>(middle));
        Click(sheet, IDCANCEL);
    });
}

}  // namespace
