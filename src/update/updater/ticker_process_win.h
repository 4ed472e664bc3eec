// The updater's dealings with the installed ticker: seeing whether it runs (by its "Ticker"
// window, wherever the ticker has put it, in a process whose program file is the install
// directory's Ticker.exe; tickers run from anywhere else are left alone), waiting for it to
// end, and starting it and watching it come up. The updater has one thread; all of this runs
// on it.
#pragma once
#include <windows.h>

// The "Ticker" window of a process running program (a full path), at any depth; null if none.
HWND FindInstalledTicker(const char* program);

enum class TickerEnd { Ended, EndedWhenAsked, StillRunning };

// Waits until the ticker running program has no window left and its process has ended; at
// most limitMs. A ticker that is still there after half the time is asked to close, as a newer
// copy of the ticker would ask it.
TickerEnd WaitForTickerToEnd(const char* program, DWORD limitMs);

enum class StartResult {
    Up,               // the new process showed its Ticker window and kept running
    NotStarted,       // the program could not be started at all
    Exited,           // the process ended without a Ticker window
    NoWindow,         // still running after the time limit, without a Ticker window; it was ended
    DiedAfterWindow,  // it showed its window, then ended within the settling time
};

// Starts program (working directory folder), waits at most limitMs for its Ticker window and
// then settleMs more, in which the process must not end; the log says when such a watch begins
// ("The <which> build showed its window ..."). A process that shows no window in time is ended,
// so that its file can be replaced. exitCode receives the process's exit code when it ended by
// itself.
StartResult StartTicker(const char* program, const char* folder, const char* which, DWORD limitMs,
                        DWORD settleMs, DWORD* exitCode);
