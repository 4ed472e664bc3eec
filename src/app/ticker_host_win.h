// Process-wide state of the ticker host: what start-up measured in the notification area, the
// window's modes and pens, and the shell's window classes it looks for. All of it belongs to
// the window thread.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <cstdint>

#include "base/program_win.h"

constexpr int kReserveIconSlots = 100;
constexpr char kTaskbarClass[] = "Shell_TrayWnd";
constexpr char kNotifyAreaClass[] = "TrayNotifyWnd";
constexpr char kClockClass[] = "TrayClockWClass";
constexpr char kScreenSaverClass[] = "WindowsScreenSaverClass";

// Set by start-up.
extern NOTIFYICONDATAA ReserveIcons[kReserveIconSlots];
extern int ReserveIconCount;  // k: reserve icons added
extern int GrownWidth;        // g: how far the notification area widened
extern int IconWidth;         // g / k
extern int TickerWidth;       // W = g - 3: the docked ticker's width
extern int BaselineWidth;     // notification area width right after the icons were added

// Window state (ticker window).
extern int32_t ScrollPause;
extern uint16_t TopicCounter;
extern int Expanded;

// Placement state: the information bar while a bar mode is in force.
extern HWND InfoBarWindow;

// Start-up and the window class procedures.
int TickerMain(HINSTANCE instance);
HWND FindRunningTicker();
// True for a taskbar along the top or bottom edge; tells the user and refuses any other.
bool AcceptTaskbarPosition(const RECT& bar, int screenWidth);
HWND FindNotifyArea(HWND* taskbar);
// Whether window (which may be none) is of the class, compared as the shell compares names.
bool ClassIs(HWND window, const char* className);
// The client width of window, 0 for none.
int ClientWidth(HWND window);
LRESULT CALLBACK TickerWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void RemoveReserveIcons();
