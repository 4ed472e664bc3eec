// The button panel and "Next Topic" button as drawn into a real window of this process. The
// window's procedure hands paint and left-button messages to the ticker's own handlers, the
// states change only through real messages sent to it, and what the buttons look like is read
// back from the window's device context.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "app/buttons_win.h"
#include "app/ticker_host_win.h"
#include "gdi_objects_win.h"
#include "settings/settings.h"
#include "shell/search_box_win.h"

namespace {

using Picture = gdi_test::Pixels;

constexpr int kWidth = 300, kHeight = 28;
constexpr COLORREF kBackground = RGB(10, 20, 30);
constexpr COLORREF kBlack = RGB(0, 0, 0);

LRESULT CALLBACK ChromeTestProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: PaintChrome(window); return 0;
    case WM_ERASEBKGND: EraseTickerBackground(reinterpret_cast<HDC>(wParam), window); return 1;
    case WM_LBUTTONDOWN: PressButton(window, lParam); return 0;
    case WM_MOUSEMOVE: TrackButtons(window, wParam, lParam); return 0;  // sent only while held
    case WM_LBUTTONUP: ReleaseButton(window, lParam); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The colours of the width x height pixels at (x, y), row by row.
std::vector<COLORREF> Area(const Picture& p, int x, int y, int width, int height) {
    std::vector<COLORREF> area;
    for (int row = y; row < y + height; ++row)
        area.insert(area.end(), &p.px[row * p.width + x], &p.px[row * p.width + x + width]);
    return area;
}

class ChromeButtons : public testing::Test {
  protected:
    void SetUp() override {
        TickerSettings.colors[kBackgroundColor] = kBackground;
        TickerWidth = kWidth;
        LogoState = SearchState = ExpandState = NextTopicState = 1;
        window_ =
            gdi_test::TestWindow("ChromeButtonsTest", 40, 40, kWidth, kHeight, ChromeTestProc);
    }
    void TearDown() override {
        DestroyWindow(window_);
        Expanded = SearchOpen = 0;
        ScreenSaverWindow = nullptr;
    }

    void Send(UINT message, int x, int y, WPARAM keys) {
        SendMessageA(window_, message, keys, MAKELPARAM(x, y));
    }

    // Lets the window paint what is pending, then copies its client area.
    Picture Snap() {
        UpdateWindow(window_);
        return gdi_test::ReadWindow(window_, kWidth, kHeight);
    }

    HWND window_ = nullptr;
};

// Inside the face of the button: black exactly on the arrow (columns 5, 3 and 1 pixels tall
// from (x0 + 1, y0)), the button face elsewhere.
void ExpectNextTopicFace(const Picture& p, int shift) {
    const int x0 = 3 + shift, y0 = (kHeight - 8) / 2 + 1 + shift;
    for (int y = 3 + shift; y < kHeight - 3 + shift; ++y)
        for (int dx = 0; dx < 5; ++dx) {
            const bool arrow = dx >= 1 && dx <= 3 && y - y0 >= dx - 1 && y - y0 <= 5 - dx;
            EXPECT_EQ(arrow ? kBlack : GetSysColor(COLOR_BTNFACE), p.At(x0 + dx, y))
                << "at (" << x0 + dx << ", " << y << "), shift " << shift;
        }
}

TEST_F(ChromeButtons, NextTopicArrowAndFrameMoveOnePixelWhileHeldAndReleasePostsAJump) {
    Picture up = Snap();
    ExpectNextTopicFace(up, 0);
    EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), up.At(2, 10));  // raised: light left edge
    EXPECT_EQ(kBlack, up.At(5, kHeight - 2));                  // dark bottom edge

    Send(WM_LBUTTONDOWN, 4, 14, MK_LBUTTON);
    EXPECT_EQ(window_, GetCapture());
    Picture held = Snap();
    ExpectNextTopicFace(held, 1);
    EXPECT_EQ(kBlack, held.At(1, 10));  // sunken: dark left edge

    // Nothing before the release; then exactly one jump (a WM_HSCROLL), asked as the end of a
    // scroll at position 0.
    MSG jump;
    EXPECT_FALSE(PeekMessageA(&jump, window_, WM_HSCROLL, WM_HSCROLL, PM_REMOVE));
    TopicCounter = 65535;  // the request number wraps in 16 bits
    Send(WM_LBUTTONUP, 4, 14, 0);
    EXPECT_NE(window_, GetCapture());
    ASSERT_TRUE(PeekMessageA(&jump, window_, WM_HSCROLL, WM_HSCROLL, PM_REMOVE));
    EXPECT_TRUE(jump.wParam == SB_ENDSCROLL && jump.lParam == 0);
    EXPECT_FALSE(PeekMessageA(&jump, window_, WM_HSCROLL, WM_HSCROLL, PM_REMOVE));
    TopicCounter = 0;
    ExpectNextTopicFace(Snap(), 0);

    // Over a running screen saver there is no button at all, only the background.
    ScreenSaverWindow = window_;  // any window stands for the running screen saver here
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
    EXPECT_EQ(std::vector<COLORREF>(9 * (kHeight - 4), kBackground),
              Area(Snap(), 1, 2, 9, kHeight - 4));
}

// The logo moves while held and springs back when the pointer leaves; then the button under
// the pointer looks pressed, and the release acts where it happens. Where each button begins
// is ButtonRegions' (unit); here that a press goes by the press rule and a release by the
// release rule, which differ on the middle row, and a release elsewhere that ends the capture.
TEST_F(ChromeButtons, ThePressedLookFollowsThePointerAndTheReleaseActsWhereItHappens) {
    const int w = kWidth, half = kHeight / 2;
    const COLORREF green = RGB(0, 128, 0), navy = RGB(0, 0, 128);
    Picture up = Snap();
    EXPECT_GT(std::count(up.px.begin(), up.px.end(), RGB(96, 0, 128)), 300);  // the logo's badge
    EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), up.At(w - 65, 10));            // a raised frame

    Send(WM_LBUTTONDOWN, w - 30, 10, MK_LBUTTON);
    Picture held = Snap();
    EXPECT_EQ(Area(up, w - 62, 3, 59, 13), Area(held, w - 61, 4, 59, 13));
    EXPECT_EQ(kBlack, held.At(w - 65, 10));  // the frame is sunken

    // Off the logo with the button still down: it springs back and stays captured.
    Send(WM_MOUSEMOVE, 100, 10, MK_LBUTTON);
    EXPECT_EQ(window_, GetCapture());
    EXPECT_EQ(Area(up, w - 66, 0, 66, kHeight), Area(Snap(), w - 66, 0, 66, kHeight));

    // Over the expand button it is the expand button that looks pressed: its green face moves.
    Send(WM_MOUSEMOVE, w - 70, 20, MK_LBUTTON);
    EXPECT_EQ(Area(up, w - 75, half + 1, 6, 10), Area(Snap(), w - 74, half + 2, 6, 10));
    EXPECT_EQ(green, up.At(w - 75, half + 1));
    Send(WM_LBUTTONUP, w - 70, 20, 0);
    EXPECT_EQ(1, Expanded);
    EXPECT_NE(window_, GetCapture());
    Expanded = 0;  // the panel's place follows it

    // The middle row: the expand button's for a press, the search button's for a release.
    Send(WM_LBUTTONDOWN, w - 70, half, MK_LBUTTON);
    EXPECT_EQ(0, ExpandState);
    Send(WM_LBUTTONUP, w - 70, half, 0);
    EXPECT_TRUE(SearchOpen && !Expanded);  // the search box asked for, not the expansion

    Send(WM_LBUTTONDOWN, w - 70, 3, MK_LBUTTON);
    EXPECT_EQ(Area(up, w - 75, 2, 6, half - 4), Area(Snap(), w - 74, 3, 6, half - 4));
    EXPECT_EQ(navy, up.At(w - 75, 2));
    Send(WM_MOUSEMOVE, 50, 3, 0);  // the button was let go elsewhere: capture ends
    EXPECT_NE(window_, GetCapture());
    EXPECT_EQ(Area(up, w - 76, 0, 10, kHeight), Area(Snap(), w - 76, 0, 10, kHeight));
}

}  // namespace
