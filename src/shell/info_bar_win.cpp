#include "shell/info_bar_win.h"

#include <cstring>

#include "base/program_win.h"
#include "feed/content_model.h"
#include "base/text.h"
#include "shell/strip_fonts_win.h"

namespace {

HFONT InfoBarFont;

const char kDelayNotice[] = "FINANCIAL DATA:  MINIMUM 20 MINUTES DELAYED";
const char kDetailsHint[] = "Double-Click for Details";

void PaintInfoLine(HWND bar) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(bar, &ps);
    SetBkColor(dc, RGB(0, 0, 0));
    SetTextColor(dc, RGB(255, 255, 255));
    int oldMode = SetBkMode(dc, OPAQUE);

    RECT ticker = {};
    if (TickerWindow) GetClientRect(TickerWindow, &ticker);
    int y = ticker.bottom - 1;
    RECT line;
    GetClientRect(bar, &line);
    line.top = y;

    HGDIOBJ oldFont = SelectObject(dc, InfoBarFont);
    TextOutA(dc, 0, y, LastUpdatedText,
             static_cast<int>(BoundedLength(LastUpdatedText, kLastUpdatedSize)));
    DrawTextA(dc, kDelayNotice, -1, &line, DT_SINGLELINE | DT_RIGHT);
    if (!ScreenSaverWindow) {
        GetClientRect(bar, &line);
        line.top = y;
        DrawTextA(dc, kDetailsHint, -1, &line, DT_SINGLELINE | DT_CENTER);
    }
    SelectObject(dc, oldFont);
    SetBkMode(dc, oldMode);
    EndPaint(bar, &ps);
}

}  // namespace

LRESULT CALLBACK InfoBarWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: InfoBarFont = CreateArial(12, FW_NORMAL); break;
    case WM_DESTROY:
        if (InfoBarFont) DeleteObject(InfoBarFont);
        InfoBarFont = nullptr;
        break;
    case WM_PAINT: PaintInfoLine(window); break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
