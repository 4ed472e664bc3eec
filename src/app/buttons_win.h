// The chrome of the ticker window: background erase, the frame and button panel, and what the
// left button does on the buttons and the strip. Window thread only.
#pragma once
#include <windows.h>

// Button states: 1 up, 0 pressed. They change only through the mouse handlers below.
extern int LogoState, SearchState, ExpandState, NextTopicState;

void EraseTickerBackground(HDC dc, HWND window);
void PaintChrome(HWND window);
// A 3-D frame from (x1, y1) to (x2, y2), raised when up is nonzero, sunken otherwise.
void DrawButtonFrame(HDC dc, int x1, int y1, int x2, int y2, int up);
void PressButton(HWND window, LPARAM point);
void TrackButtons(HWND window, WPARAM keys, LPARAM point);
void ReleaseButton(HWND window, LPARAM point);
void OpenItemAt(HWND window, LPARAM point);
