#include "base/program_win.h"

#include "base/text.h"

HINSTANCE ProgramInstance;
HWND TickerWindow;
uint32_t WidthDivisor = 3;
std::atomic<int32_t> ProgramEnding;
HWND ScreenSaverWindow;

namespace {

// A result of WinExec above this means the program started.
constexpr UINT kWinExecStarted = 31;

}  // namespace

bool StartProgram(const char* path) {
    char command[MAX_PATH + 32];  // an install folder, a file name and the quotes
    return QuoteText(command, sizeof command, path) &&
           WinExec(command, SW_SHOWNORMAL) > kWinExecStarted;
}
