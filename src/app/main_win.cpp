// Entry point of Ticker.exe. The command line and show command are not read.
#include <windows.h>

#include "app/ticker_host_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR, int) {
    if (previous) return 0;
    return TickerMain(instance);
}
