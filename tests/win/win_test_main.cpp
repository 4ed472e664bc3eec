// Entry point of the in-process Windows tests. The tests draw into real windows of this
// process, so they need a display (the runner gives them an Xvfb one).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/ticker_host_win.h"

int main(int argc, char** argv) {
    ProgramInstance = GetModuleHandleA(nullptr);
    InitCommonControls();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
