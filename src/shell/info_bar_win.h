// The information bar (class SSBar): the black band that holds the strip along the bottom of
// the screen while the ticker is expanded or shown over a screen saver, with one line of text
// below the strip. Window thread only.
#pragma once
#include <windows.h>

LRESULT CALLBACK InfoBarWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
