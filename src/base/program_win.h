// The program and its one window: the process-wide values that start-up sets and every
// subsystem reads, and the names by which the ticker's windows are known, to itself and to
// the updater that waits for them.
#pragma once
#include <windows.h>

constexpr char kTickerClass[] = "Ticker";
constexpr char kInfoBarClass[] = "SSBar";
constexpr char kProgramCaption[] = "Ostrivane Ticker";

// Set by start-up on the window thread before any other thread exists; read-only afterwards.
extern HINSTANCE ProgramInstance;
extern HWND TickerWindow;
