// Start-up decisions that Wine's shell cannot produce for real: its taskbar position query
// always answers "bottom", so the refusal of a side taskbar is driven just below that call.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "app/ticker_host_win.h"

namespace {

struct SeenBox {
    std::string caption, text;
};

// Waits for a message box of this process, reads it and presses OK.
SeenBox AnswerMessageBox() {
    SeenBox seen;
    for (int i = 0; i < 200; ++i) {
        HWND box = FindWindowA("#32770", nullptr);
        if (box) {
            char buf[512];
            GetWindowTextA(box, buf, sizeof buf);
            seen.caption = buf;
            for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                GetClassNameA(c, buf, sizeof buf);
                if (lstrcmpiA(buf, "Static") != 0) continue;
                GetWindowTextA(c, buf, sizeof buf);
                if (std::string(buf).size() > seen.text.size()) seen.text = buf;
            }
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            return seen;
        }
        Sleep(50);
    }
    return seen;
}

bool AcceptWithBoxAnswered(RECT bar, SeenBox* seen) {
    std::thread answer([&] { *seen = AnswerMessageBox(); });
    bool accepted = AcceptTaskbarPosition(bar, 1024);
    answer.join();
    return accepted;
}

TEST(Startup, TaskbarAtTheLeftOrRightIsRefusedWithTheMessage) {
    for (RECT bar : {RECT{0, 0, 60, 768}, RECT{964, 0, 1024, 768}}) {
        SeenBox seen;
        EXPECT_FALSE(AcceptWithBoxAnswered(bar, &seen));
        EXPECT_EQ("Ostrivane Ticker", seen.caption);
        EXPECT_EQ("The Ticker control cannot run when the Windows Taskbar is docked to either the "
                  "left or right side of the screen.  Exiting...",
                  seen.text);
    }
}

}  // namespace
