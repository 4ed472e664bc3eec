// The button panel and "Next Topic" button as drawn into a real window of this process. The
// window's procedure hands paint and left-button messages to the ticker's own handlers, the
// states change only through real messages sent to it, and what the buttons look like is read
// back from the window's device context.
#include <windows.h>

#include <gtest/gtest.h>

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
    case WM_MOUSEMOVE:
        if (GetCapture() == window) TrackButtons(window, wParam, lParam);
        return 0;
    case WM_LBUTTONUP: ReleaseButton(window, lParam); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class ChromeButtons : public testing::Test {
  protected:
    void SetUp() override {
        TickerSettings.colors[kBackgroundColor] = kBackground;
        TickerWidth = kWidth;
        Expanded = 0;
        ScreenSaverWindow = nullptr;
        LogoState = SearchState = ExpandState = NextTopicState = 1;
        window_ =
            gdi_test::TestWindow("ChromeButtonsTest", 40, 40, kWidth, kHeight, ChromeTestProc);
        RECT rc{};
        GetClientRect(window_, &rc);
        ASSERT_TRUE(rc.right == kWidth && rc.bottom == kHeight);
    }
    void TearDown() override {
        if (GetCapture() == window_) ReleaseCapture();
        DestroyWindow(window_);
        Expanded = 0;
    }

    void Send(UINT message, int x, int y, WPARAM keys) {
        SendMessageA(window_, message, keys, MAKELPARAM(x, y));
    }

    // Lets the window paint what is pending, then copies its client area.
    Picture Snap() {
        UpdateWindow(window_);
        MSG msg;
        while (PeekMessageA(&msg, window_, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageA(&msg);
        return gdi_test::ReadWindow(window_, kWidth, kHeight);
    }

    // The "Next Topic" jumps posted so far, taken off the queue, as (wParam, lParam).
    std::vector<std::pair<WPARAM, LPARAM>> TopicJumps() {
        std::vector<std::pair<WPARAM, LPARAM>> jumps;
        for (MSG msg; PeekMessageA(&msg, window_, WM_HSCROLL, WM_HSCROLL, PM_REMOVE);)
            jumps.push_back({msg.wParam, msg.lParam});
        return jumps;
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
    EXPECT_EQ(kBlack, held.At(1, 10));                        // sunken: dark left edge...
    EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), held.At(2, 10));  // ...with shadow inside it
    EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), held.At(3, kHeight - 3));  // light bottom

    EXPECT_TRUE(TopicJumps().empty());  // nothing before the release
    TopicCounter = 65535;               // the request number wraps in 16 bits
    Send(WM_LBUTTONUP, 4, 14, 0);
    EXPECT_NE(window_, GetCapture());
    // Exactly one jump, asked as the end of a scroll at position 0.
    EXPECT_EQ((std::vector<std::pair<WPARAM, LPARAM>>{{SB_ENDSCROLL, 0}}), TopicJumps());
    TopicCounter = 0;
    ExpectNextTopicFace(Snap(), 0);
}

TEST_F(ChromeButtons, LogoMovesWhileHeldAndSpringsBackWhenThePointerLeaves) {
    const int w = kWidth;
    Picture up = Snap();
    // The logo picture is there, on the button face where the picture has the 3-D grey.
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), up.At(w - 66, 3));
    int white = 0, badge = 0;
    for (int y = 3; y < 17; ++y)
        for (int x = w - 62; x < w - 4; ++x) {
            white += up.At(x, y) == RGB(255, 255, 255);
            badge += up.At(x, y) == RGB(96, 0, 128);
        }
    EXPECT_GT(white, 100);
    EXPECT_GT(badge, 300);

    Send(WM_LBUTTONDOWN, w - 30, 10, MK_LBUTTON);
    Picture held = Snap();
    for (int y = 3; y <= 15; ++y)
        for (int x = w - 62; x <= w - 4; ++x)
            ASSERT_EQ(up.At(x, y), held.At(x + 1, y + 1))
                << "logo pixel (" << x << ", " << y << ")";
    EXPECT_EQ(kBlack, held.At(w - 65, 10));  // the frame is sunken
    EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), up.At(w - 65, 10));

    // Off the logo with the button still down: it springs back and stays captured.
    Send(WM_MOUSEMOVE, 100, 10, MK_LBUTTON);
    EXPECT_EQ(window_, GetCapture());
    Picture away = Snap();
    for (int y = 0; y < kHeight; ++y)
        for (int x = w - 66; x < w; ++x)
            ASSERT_EQ(up.At(x, y), away.At(x, y)) << "(" << x << ", " << y << ")";

    // Over the expand button it is the expand button that looks pressed: its green face moves.
    const COLORREF green = RGB(0, 128, 0);
    EXPECT_EQ(green, up.At(w - 75, kHeight / 2 + 1));
    EXPECT_NE(green, up.At(w - 69, kHeight - 3));
    Send(WM_MOUSEMOVE, w - 70, 20, MK_LBUTTON);
    Picture expand = Snap();
    EXPECT_NE(green, expand.At(w - 75, kHeight / 2 + 1));
    EXPECT_EQ(green, expand.At(w - 69, kHeight - 3));
    EXPECT_EQ(green, expand.At(w - 74, kHeight / 2 + 2));

    // The release acts where it happens: the expand button, not the logo that was pressed.
    Send(WM_LBUTTONUP, w - 70, 20, 0);
    EXPECT_EQ(1, Expanded);
    EXPECT_NE(window_, GetCapture());
    Expanded = 0;
    Picture after = Snap();
    EXPECT_EQ(green, after.At(w - 75, kHeight / 2 + 1));
}

// Where each button begins is ButtonRegions' (unit); here that a press goes by the press rule
// and a release by the release rule, which differ on the middle row; the search button's face
// as it is held; and a release elsewhere that ends the capture.
TEST_F(ChromeButtons, SearchButtonPressAndReleaseOnTheMiddleRow) {
    const int w = kWidth, half = kHeight / 2;
    const COLORREF navy = RGB(0, 0, 128);
    Picture up = Snap();
    EXPECT_EQ(navy, up.At(w - 75, 2));
    EXPECT_EQ(navy, up.At(w - 70, half - 3));
    EXPECT_NE(navy, up.At(w - 70, half - 2));
    Send(WM_LBUTTONDOWN, w - 70, half, MK_LBUTTON);
    EXPECT_EQ(0, ExpandState);
    const int before = SearchOpen;
    Send(WM_LBUTTONUP, w - 70, half, 0);
    EXPECT_EQ(!before, SearchOpen);
    EXPECT_EQ(0, Expanded);
    SearchOpen = before;

    Send(WM_LBUTTONDOWN, w - 70, 3, MK_LBUTTON);
    Picture held = Snap();
    EXPECT_NE(navy, held.At(w - 75, 2));
    EXPECT_EQ(navy, held.At(w - 74, 3));
    EXPECT_EQ(navy, held.At(w - 69, half - 2));
    Send(WM_MOUSEMOVE, 50, 3, 0);  // the button was let go elsewhere: capture ends
    EXPECT_NE(window_, GetCapture());
    EXPECT_EQ(navy, Snap().At(w - 75, 2));
}

TEST_F(ChromeButtons, NoNextTopicButtonOverAScreenSaver) {
    ScreenSaverWindow = window_;  // any window stands for the running screen saver here
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
    Picture p = Snap();
    ScreenSaverWindow = nullptr;
    for (int y = 2; y < kHeight - 2; ++y)
        for (int x = 1; x < 10; ++x) EXPECT_EQ(kBackground, p.At(x, y)) << x << "," << y;
}

}  // namespace
