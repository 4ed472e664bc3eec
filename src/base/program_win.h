// The program and its one window: the process-wide values that start-up sets and every
// subsystem reads, and the names by which the ticker's windows are known, to itself and to
// the updater that waits for them.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>

constexpr char kTickerClass[] = "Ticker";
constexpr char kInfoBarClass[] = "SSBar";
constexpr char kProgramCaption[] = "Ostrivane Ticker";

// Set by start-up on the window thread before any other thread exists; read-only afterwards.
extern HINSTANCE ProgramInstance;
extern HWND TickerWindow;
extern uint32_t WidthDivisor;  // 3 normal size, 2 large: the size this run was laid out with

// Set once, by the ticker window as it is destroyed: the feed worker and every request it
// reads (ReadUrl) stop at their next step, so that the program can end.
extern std::atomic<int32_t> ProgramEnding;

// Starts the program at path (quoted, so that blanks in it count); true when it is running.
bool StartProgram(const char* path);

// The screen saver window the ticker is shown over, or none. The placement tick sets it on the
// window thread; the painter, the information bar and the chrome read it there.
extern HWND ScreenSaverWindow;
