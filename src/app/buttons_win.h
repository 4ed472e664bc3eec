// The chrome of the ticker window: background erase, the frame and button panel, and what the
// left button does on the buttons and the strip. Window thread only.
#pragma once
#include <windows.h>

void EraseTickerBackground(HDC dc, HWND window);
void PaintChrome(HWND window);
void PressButton(HWND window, LPARAM point);
void TrackButtons(HWND window, WPARAM keys, LPARAM point);
void ReleaseButton(HWND window, LPARAM point);
void OpenItemAt(HWND window, LPARAM point);
