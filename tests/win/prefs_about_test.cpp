// The About box: opened as the context menu opens it, centred on the screen, closed with OK
// or with Enter.
#include <gtest/gtest.h>

#include "prefs/prefs_win.h"
#include "prefs_sheet_driver.h"

namespace {

using namespace prefs_test;

class AboutBox : public PrefsTest {
  protected:
    // Opens the box, checks it is centred, then closes it with close(box).
    void OpenAndClose(const std::function<void(HWND box)>& close) {
        RunModal([&] { ShowAboutBox(ticker_); },
                 [&] {
                     HWND box = WaitForDialog(thread_, "About");
                     ASSERT_NE(nullptr, box);
                     RECT rc;
                     GetWindowRect(box, &rc);
                     const int w = rc.right - rc.left, h = rc.bottom - rc.top;
                     EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - w) / 2, rc.left);
                     EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - h) / 2, rc.top);
                     close(box);
                     EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
                 });
    }
};

TEST_F(AboutBox, OpensCentredAndClosesWithOkOrEnter) {
    OpenAndClose([](HWND box) { Click(box, IDOK); });
    OpenAndClose([&](HWND box) {
        // Enter where the keyboard focus is, as the dialog manager receives it.
        GUITHREADINFO gui = {};
        gui.cbSize = sizeof gui;
        ASSERT_TRUE(GetGUIThreadInfo(thread_, &gui));
        HWND focus = gui.hwndFocus ? gui.hwndFocus : box;
        EXPECT_EQ(box, GetAncestor(focus, GA_ROOT));
        PostMessageA(focus, WM_KEYDOWN, VK_RETURN, 0x001C0001);
        PostMessageA(focus, WM_KEYUP, VK_RETURN, 0xC01C0001);
    });
}

}  // namespace
