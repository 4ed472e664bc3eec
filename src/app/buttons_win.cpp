// Background erase and chrome of the ticker window. The strip area (left of the 76-pixel
// button panel) takes the strip's background colour, the panel the button face.
#include "app/buttons_win.h"

#include "settings/settings.h"

namespace {
constexpr int kPanelWidth = 76;
}

void EraseTickerBackground(HDC dc, HWND window) {
    RECT rc;
    GetClientRect(window, &rc);
    RECT strip = {0, 0, rc.right - kPanelWidth, rc.bottom};
    RECT panel = {rc.right - kPanelWidth, 0, rc.right, rc.bottom};
    HBRUSH background = CreateSolidBrush(TickerSettings.colors[kBackgroundColor]);
    HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    FillRect(dc, &strip, background);
    FillRect(dc, &panel, face);
    DeleteObject(background);
    DeleteObject(face);
}

// The frame, logo and buttons are drawn by the button panel; until then the window only
// validates what it is asked to paint.
void PaintChrome(HWND window) {
    PAINTSTRUCT ps;
    BeginPaint(window, &ps);
    EndPaint(window, &ps);
}

void PressButton(HWND, LPARAM) {}
void TrackButtons(HWND, WPARAM, LPARAM) {}
void ReleaseButton(HWND, LPARAM) {}
void OpenItemAt(HWND, LPARAM) {}
