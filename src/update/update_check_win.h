// The self-update check: once a run, at the start of the first refresh, on the feed worker.
#pragma once
#include <windows.h>

// Compares the installed Ticker.exe with the build on the update server and, when the server's
// is newer, downloads and expands it, starts the updater and closes the ticker window.
void RunUpdateCheck(HWND tickerWindow);
