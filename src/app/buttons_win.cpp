// Background erase and chrome of the ticker window, and the left button on its buttons. The
// strip area (left of the 76-pixel button panel) takes the strip's background colour, the
// panel the button face; the strip text itself is painted by the scroll tick, not here.
#include "app/buttons_win.h"

#include <windowsx.h>

#include "app/button_rules.h"
#include "shell/search_box_win.h"
#include "app/ticker_host_win.h"
#include "base/button_panel.h"
#include "base/frame_strokes_win.h"
#include "res/resource.h"
#include "settings/settings.h"
#include "shell/browser_win.h"

int LogoState = 1, SearchState = 1, ExpandState = 1, NextTopicState = 1;

namespace {

constexpr int kLogoWidth = 64, kLogoRows = 14;  // row 0 of the 64 x 15 picture is left out
constexpr COLORREF kExpandColor = RGB(0, 128, 0);
constexpr COLORREF kSearchColor = RGB(0, 0, 128);

struct ClientSize {
    int w, h;
};

ClientSize SizeOf(HWND window) {
    RECT rc;
    GetClientRect(window, &rc);
    return {rc.right, rc.bottom};
}

// The right edge the hit regions are measured from: the docked width, also while the ticker
// is shown over a screen saver, and the screen's width while expanded.
int PanelRight() { return Expanded ? GetSystemMetrics(SM_CXSCREEN) : TickerWidth; }

// The words of lParam, unsigned, as the hit regions read them.
uint16_t WordX(LPARAM point) { return LOWORD(point); }
uint16_t WordY(LPARAM point) { return HIWORD(point); }

void Invalidate(HWND window, int left, int top, int right, int bottom, BOOL erase) {
    RECT rc = {left, top, right, bottom};
    InvalidateRect(window, &rc, erase);
}

void Fill(HDC dc, int left, int top, int right, int bottom, COLORREF color) {
    RECT rc = {left, top, right, bottom};
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
}

void Line(HDC dc, int x0, int y0, int x1, int y1) {
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
}

// Sunken: shadow along the left and top, highlight along the bottom and right.
void PaintStripFrame(HDC dc, int w, int h) {
    const int right = w - kStripFrameRight;
    const FrameStroke strokes[] = {{FramePen::kShadow, 0, h, 0, 0, right + 1, 0},
                                   {FramePen::kHighlight, 0, h - 1, right, h - 1, right, -1}};
    DrawFrameStrokes(dc, strokes, 2);
}

// A missing picture leaves the logo area blank.
void PaintLogo(HDC dc, int w, int h) {
    HBITMAP logo = static_cast<HBITMAP>(LoadImageA(ProgramInstance, MAKEINTRESOURCEA(IDB_LOGO),
                                                   IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS));
    if (logo) {
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, logo);
        int shift = LogoState ? 0 : 1;
        BitBlt(dc, w - kLogoLeft + shift, 3 + shift, kLogoWidth, kLogoRows, memory, 0, 1, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
        DeleteObject(logo);
    }
    DrawButtonFrame(dc, w - kLogoFrame, 0, w - 1, h, LogoState);
}

void PaintSmallButtons(HDC dc, int w, int h) {
    const int half = h / 2, left = w - kPanelWidth, right = w - kSmallButtonRight;
    DrawButtonFrame(dc, left, half - 1, right, h, ExpandState);
    int shift = ExpandState ? 0 : 1;
    Fill(dc, left + 1 + shift, half + 1 + shift, right - 1 + shift, h - 3 + shift, kExpandColor);
    DrawButtonFrame(dc, left, 0, right, half + 1, SearchState);
    shift = SearchState ? 0 : 1;
    Fill(dc, left + 1 + shift, 2 + shift, right - 1 + shift, half - 2 + shift, kSearchColor);
}

// A frame with a small black arrow pointing right; frame, face and arrow move one pixel down
// and right while pressed.
void PaintNextTopic(HDC dc, int h) {
    int shift = NextTopicState ? 0 : 1;
    if (NextTopicState)
        DrawButtonFrame(dc, 2, 1, 9, h, 1);
    else
        DrawButtonFrame(dc, 1, 0, 8, h - 1, 0);
    Fill(dc, 3 + shift, 3 + shift, 8 + shift, h - 3 + shift, GetSysColor(COLOR_BTNFACE));
    SelectObject(dc, GetStockObject(BLACK_PEN));
    int x0 = 3 + shift, y0 = (h - 8) / 2 + 1 + shift;
    Line(dc, x0 + 1, y0, x0 + 1, y0 + 5);
    Line(dc, x0 + 2, y0 + 1, x0 + 2, y0 + 4);
    Line(dc, x0 + 3, y0 + 2, x0 + 3, y0 + 3);
}

void ReleaseLogo(HWND window, ClientSize size, LPARAM point) {
    ReleaseCapture();
    LogoState = 1;
    Invalidate(window, size.w - kLogoFrame, 0, size.w, size.h, FALSE);
    ChromeRect logo = {size.w - kLogoFrame, 0, size.w, size.h};
    int x = WordX(point), y = WordY(point);
    if (logo.Contains(x, y)) OpenBrowserPage({x, y});
}

void ReleaseSmallButton(HWND window, ClientSize size, PanelPart part) {
    ReleaseCapture();
    Invalidate(window, size.w - kPanelRepaint, 0, size.w - kStripFrameRight, size.h, FALSE);
    // Placement and the search box follow the flags on the next placement tick.
    if (part == PanelPart::kExpand) {
        ExpandState = 1;
        Expanded = !Expanded;
    } else {
        SearchState = 1;
        SearchOpen = !SearchOpen;
    }
}

void ReleaseNextTopic(HWND window, ClientSize size) {
    ReleaseCapture();
    Invalidate(window, 0, 0, 10, size.h, FALSE);
    NextTopicState = 1;
    uint16_t request = static_cast<uint16_t>(TopicCounter + 1);
    PostMessageA(window, WM_HSCROLL, MAKEWPARAM(SB_ENDSCROLL, request), 0);
}

}  // namespace

void EraseTickerBackground(HDC dc, HWND window) {
    ClientSize size = SizeOf(window);
    Fill(dc, 0, 0, size.w - kPanelWidth, size.h, TickerSettings.colors[kBackgroundColor]);
    Fill(dc, size.w - kPanelWidth, 0, size.w, size.h, GetSysColor(COLOR_BTNFACE));
}

void DrawButtonFrame(HDC dc, int x1, int y1, int x2, int y2, int up) {
    FrameStroke strokes[kFrameStrokes];
    ButtonFrameStrokes(x1, y1, x2, y2, up != 0, strokes);
    DrawFrameStrokes(dc, strokes, kFrameStrokes);
}

void PaintChrome(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    ClientSize size = SizeOf(window);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    PaintStripFrame(dc, size.w, size.h);
    PaintLogo(dc, size.w, size.h);
    PaintSmallButtons(dc, size.w, size.h);
    if (!ScreenSaverWindow) PaintNextTopic(dc, size.h);
    SelectObject(dc, oldPen);
    EndPaint(window, &ps);
}

void PressButton(HWND window, LPARAM point) {
    ClientSize size = SizeOf(window);
    switch (PressedPart(WordX(point), WordY(point), PanelRight(), size.h)) {
    case PanelPart::kLogo:
        SetCapture(window);
        LogoState = 0;
        Invalidate(window, size.w - kLogoFrame, 0, size.w, size.h, TRUE);
        break;
    case PanelPart::kSearch:
        SetCapture(window);
        SearchState = 0;
        Invalidate(window, size.w - kPanelRepaint, 0, size.w - kLogoLeft, size.h / 2, FALSE);
        break;
    case PanelPart::kExpand:
        SetCapture(window);
        ExpandState = 0;
        Invalidate(window, size.w - kPanelRepaint, size.h / 2, size.w - kLogoLeft, size.h, FALSE);
        break;
    case PanelPart::kNextTopic:
        SetCapture(window);
        NextTopicState = 0;
        Invalidate(window, 0, 0, 10, size.h, FALSE);
        break;
    case PanelPart::kStrip: break;  // a move with the button down drags the strip instead
    }
}

// While the mouse is held, whichever button lies under the pointer looks pressed.
void TrackButtons(HWND window, WPARAM keys, LPARAM point) {
    ClientSize size = SizeOf(window);
    int x = GET_X_LPARAM(point), y = GET_Y_LPARAM(point);
    struct {
        PanelPart part;
        int* state;
    } const buttons[] = {{PanelPart::kLogo, &LogoState},
                         {PanelPart::kExpand, &ExpandState},
                         {PanelPart::kSearch, &SearchState},
                         {PanelPart::kNextTopic, &NextTopicState}};
    for (const auto& button : buttons) {
        ChromeRect r = TrackingRect(button.part, size.w, size.h);
        if (r.Contains(x, y)) {
            *button.state = 0;
        } else {
            *button.state = 1;
            if (!(keys & MK_LBUTTON)) ReleaseCapture();
        }
        Invalidate(window, r.left, r.top, r.right, r.bottom, FALSE);
    }
    UpdateWindow(window);
}

// Acts on the part where the release happens, wherever the press was.
void ReleaseButton(HWND window, LPARAM point) {
    ClientSize size = SizeOf(window);
    PanelPart part = ReleasedPart(WordX(point), WordY(point), PanelRight(), size.h);
    switch (part) {
    case PanelPart::kLogo: ReleaseLogo(window, size, point); break;
    case PanelPart::kSearch:
    case PanelPart::kExpand: ReleaseSmallButton(window, size, part); break;
    case PanelPart::kNextTopic: ReleaseNextTopic(window, size); break;
    case PanelPart::kStrip: break;
    }
}

// A double click opens the item under the pointer, or the search page over the logo; the
// "Next Topic" button's column opens nothing.
void OpenItemAt(HWND, LPARAM point) {
    int x = WordX(point), y = WordY(point);
    if (x > 9) OpenBrowserPage({x, y});
}
