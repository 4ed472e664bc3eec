// The updater's dealings with ticker processes: seeing whether one runs (by its "Ticker"
// window, wherever the ticker has put it), waiting for one to end, and starting one and
// waiting for it to come up. The updater has one thread; all of this runs on it.
#pragma once
#include <windows.h>

// The first "Ticker" window of process processId (0: of any process), at any depth.
HWND FindTickerWindow(DWORD processId);

enum class TickerEnd { Ended, EndedWhenAsked, StillRunning };

// Waits until no "Ticker" window is left and, when the running ticker's process could be
// opened, until that process has ended; at most limitMs. A ticker that is still there after
// half the time is asked to close, as a newer copy of the ticker would ask it.
TickerEnd WaitForTickerToEnd(DWORD limitMs);

enum class StartResult {
    Up,          // the new process showed its Ticker window
    NotStarted,  // the program could not be started at all
    Exited,      // the process ended without a Ticker window
    NoWindow,    // still running after the time limit, without a Ticker window; it was ended
};

// Starts program (working directory folder) and waits at most limitMs for its Ticker window.
// A process that does not come up in time is ended, so that its file can be replaced.
// exitCode receives the process's exit code when it ended by itself.
StartResult StartTicker(const char* program, const char* folder, DWORD limitMs, DWORD* exitCode);
