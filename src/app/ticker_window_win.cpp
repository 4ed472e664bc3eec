// The ticker window: creation and shutdown, the three timers, scrolling, the topic jump and
// drag scrolling. Everything here runs on the window thread; the feed worker hands new text
// over through the content model and never calls into this file.
#include <windows.h>
#include <windowsx.h>

#include "app/buttons_win.h"
#include "app/commands_win.h"
#include "base/messages.h"
#include "app/placement_win.h"
#include "display/scroll_rules.h"
#include "app/ticker_host_win.h"
#include "display/tooltips_win.h"
#include "display/strip_win.h"
#include "feed/content_model.h"
#include "feed/feed_worker_win.h"
#include "res/resource.h"
#include "settings/settings.h"
#include "settings/settings_store_win.h"
#include "shell/strip_fonts_win.h"

int32_t ScrollPause;
uint16_t TopicCounter;
int Expanded;

namespace {

constexpr int32_t kTopicPauseTicks = 9;

UINT_PTR ScrollTimerId, RefreshTimerId, PlacementTimerId;
HCURSOR DragCursor, SavedCursor;
DragState Drag;

// The scroll tick paints from its own copy of the strip text so the worker can replace
// DisplayText at any time. It is allocated once: a tick twenty times a second has no reason
// to go to the heap, and a buffer that is always there cannot fail to be had.
char ScrollCopy[kDisplayTextSize];

void OnCreate(HWND window) {
    TickerWindow = window;
    InitFeedState();
    SavedCursor = GetCursor();
    DragCursor = LoadCursorA(ProgramInstance, MAKEINTRESOURCEA(IDC_DRAG_CURSOR));
    LoadAllSettings();
    CreateStripFonts(window);
    // The last update time is on show before the first refresh can replace it.
    ReadSettingString(kLastStockUpdateValue, LastUpdatedText);
    StartFeedRefresh(window, 0);
    ScrollTimerId = SetTimer(window, ScrollTimer, kScrollPeriodMs, nullptr);
    RefreshTimerId =
        SetTimer(window, RefreshTimer, RefreshPeriodMs(TickerSettings.refreshMinutes), nullptr);
    PlacementTimerId = SetTimer(window, PlacementTimer, kPlacementPeriodMs, nullptr);
}

void OnDestroy(HWND window) {
    ProgramEnding = 1;  // a running refresh stops measuring and showing, and ends soon
    if (ScrollTimerId) KillTimer(window, ScrollTimer);
    if (RefreshTimerId) KillTimer(window, RefreshTimer);
    if (PlacementTimerId) KillTimer(window, PlacementTimer);
    ScrollTimerId = RefreshTimerId = PlacementTimerId = 0;
    DeleteStripFonts();
    CloseEndedFeedWorker();

    HWND taskbar = FindWindowA(kTaskbarClass, nullptr);
    LockWindowUpdate(taskbar);
    RemoveReserveIcons();
    LockWindowUpdate(nullptr);
    PostQuitMessage(0);
}

void OnScrollTick(HWND window) {
    if (ScrollPause) --ScrollPause;
    if (!DisplayUpdating && !ScrollPause && CopyDisplayText(ScrollCopy, sizeof ScrollCopy)) {
        HDC dc = GetDC(window);
        for (uint32_t frame = TickerSettings.scrollSpeed; frame; --frame)
            PaintStrip(dc, window, ScrollCopy);
        ReleaseDC(window, dc);
    }
    if (InfoBarWindow) {
        RECT bar, ticker;
        GetClientRect(InfoBarWindow, &bar);
        GetClientRect(window, &ticker);
        bar.top = ticker.bottom;
        InvalidateRect(InfoBarWindow, &bar, FALSE);
    }
}

void OnTimer(HWND window, WPARAM id) {
    switch (id) {
    case ScrollTimer: OnScrollTick(window); break;
    case RefreshTimer: StartFeedRefresh(window, 0); break;
    case PlacementTimer: PlacementTick(window); break;
    }
}

// "Next Topic": jump to the first item of the next topic, show it at once and hold it there
// for a moment before scrolling on.
void OnTopicJump(HWND window, uint16_t requested) {
    TopicLink links[kLinkTableSize];
    int count = 0;
    for (LinkEntry entry; count < kLinkTableSize && ReadLink(count, &entry); ++count)
        links[count] = TopicLink{entry.rightEdge, entry.topicStart};
    ScrollOffset =
        TopicJumpOffset(links, count, ScrollOffset, ScrollForward != 0, requested, TopicCounter);
    ScrollPause = 0;
    TopicCounter = requested;
    UpdateWindow(window);
    SendMessageA(window, WM_TIMER, ScrollTimer, 0);
    UpdateWindow(window);
    ScrollPause = kTopicPauseTicks;
}

void OnDragMove(int x) {
    HCURSOR previous = SetCursor(DragCursor);
    SavedCursor = previous;
    DragResult r = DragTo(Drag, x, ScrollOffset, ScrollForward, WrapWidth);
    ScrollOffset = r.offset;
    ScrollForward = r.scrollForward;
}

void OnMouseMove(HWND window, WPARAM keys, LPARAM lParam) {
    if (GetCapture() == window)
        TrackButtons(window, keys, lParam);
    else if (keys == MK_LBUTTON)
        OnDragMove(GET_X_LPARAM(lParam));
}

void OnLeftButtonUp(HWND window, LPARAM lParam) {
    SetCursor(SavedCursor);
    Drag.anchor = 0;
    ReleaseButton(window, lParam);
    DisplayUpdating = 0;
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE);
}

}  // namespace

LRESULT CALLBACK TickerWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_MOUSEFIRST && message <= WM_MOUSEFIRST + 9)
        RelayToTooltips(window, message, wParam, lParam);

    switch (message) {
    case WM_CREATE: OnCreate(window); break;
    case WM_DESTROY: OnDestroy(window); break;
    case WM_PAINT: PaintChrome(window); return 0;
    case WM_ERASEBKGND: EraseTickerBackground(reinterpret_cast<HDC>(wParam), window); return 1;
    case WM_COMMAND: OnCommand(window, wParam, lParam); break;
    case WM_TIMER: OnTimer(window, wParam); break;
    case WM_HSCROLL:
        if (LOWORD(wParam) == SB_ENDSCROLL) OnTopicJump(window, HIWORD(wParam));
        break;
    case WM_MOUSEMOVE: OnMouseMove(window, wParam, lParam); break;
    case WM_LBUTTONDOWN: PressButton(window, lParam); break;
    case WM_LBUTTONUP: OnLeftButtonUp(window, lParam); break;
    case WM_LBUTTONDBLCLK: OpenItemAt(window, lParam); break;
    case WM_RBUTTONUP: ShowContextMenu(window); return 0;
    case WM_TICKER_CLOSE: DestroyWindow(window); return 0;
    }
    // A handler may have destroyed the window (Exit); then there is nothing left to pass on to.
    if (!IsWindow(window)) return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}
