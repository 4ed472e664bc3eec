#include "base/program_win.h"

HINSTANCE ProgramInstance;
HWND TickerWindow;
