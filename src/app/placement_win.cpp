// Placement and display modes. The position is worked out again on every tick from the live
// window sizes, so the ticker follows icons that other programs add and remove without any
// notification from the shell.
#include "app/placement_win.h"

#include "shell/search_box_win.h"
#include "app/embed_rules.h"
#include "app/ticker_host_win.h"
#include "display/tooltips_win.h"
#include "settings/settings.h"

HWND InfoBarWindow;

namespace {

constexpr int kInfoLineHeight = 9;  // the bar's own text line below the strip

int LastDockedX;
bool FirstPlacement = true;

// The clock is the area's first child, or, when the ticker stands in front of it, the second.
// A shell without a clock leaves none: the ticker then sits at the area's right end.
HWND FindClock(HWND area) {
    HWND first = GetWindow(area, GW_CHILD);
    if (!first || ClassIs(first, kClockClass)) return first;
    return GetWindow(first, GW_HWNDNEXT);
}

// Moves the ticker back from the information bar into the notification area. Without one to
// go to (the shell may be restarting) the bar stays: destroying it would destroy the ticker,
// its child, with it. Returns whether the ticker is out of the bar.
bool LeaveBar(HWND window, HWND area) {
    if (!InfoBarWindow) return true;
    if (!area) return false;
    SetParent(window, area);
    DestroyWindow(InfoBarWindow);
    InfoBarWindow = nullptr;
    return true;
}

// Docked placement. Returns false when the tick has to stop here: no notification area to dock
// into (the shell may be restarting; the next tick looks again), or an auto-hidden taskbar that
// is slid away.
bool PlaceDocked(HWND window) {
    SetPriorityClass(GetCurrentProcess(), IDLE_PRIORITY_CLASS);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
    HWND area = FindNotifyArea(nullptr);
    if (!area) return false;
    HWND clock = FindClock(area);
    LeaveBar(window, area);

    RECT placed;
    GetWindowRect(window, &placed);
    if (placed.bottom + 2 > GetSystemMetrics(SM_CYSCREEN)) return false;

    int clockWidth = ClientWidth(clock);
    RECT rc;
    GetClientRect(area, &rc);
    if (rc.right > TickerWidth && FirstPlacement) {
        FirstPlacement = false;
        BaselineWidth = rc.right;
    }
    int x = DockedX(rc.right, BaselineWidth, TickerWidth, clockWidth);
    SetWindowPos(window, nullptr, x, rc.top, TickerWidth, rc.bottom - rc.top,
                 SWP_NOZORDER | SWP_SHOWWINDOW);
    if (LastDockedX == 0) {
        BuildTooltips(window);
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
    }
    LastDockedX = x;
    return true;
}

void PlaceInBar(HWND window, HWND owner) {
    RECT ticker;
    GetClientRect(window, &ticker);
    int h = ticker.bottom;
    int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    if (!InfoBarWindow) {
        InfoBarWindow = CreateWindowExA(
            0, kInfoBarClass, "", WS_POPUP | WS_CLIPCHILDREN, 0, screenHeight - h - kInfoLineHeight,
            screenWidth, h + kInfoLineHeight, owner, nullptr, ProgramInstance, nullptr);
        SetParent(window, InfoBarWindow);
        SetPriorityClass(GetCurrentProcess(), IDLE_PRIORITY_CLASS);
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_IDLE);
        SetWindowPos(window, nullptr, 0, 0, screenWidth, h, SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWindow(InfoBarWindow, SW_SHOWNA);
        BuildTooltips(window);
    }
    if (ScreenSaverWindow) {
        // Leave the bottom of the screen to the bar, just behind the screen saver.
        SetWindowPos(ScreenSaverWindow, nullptr, 0, 0, screenWidth,
                     screenHeight - h - kInfoLineHeight,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowPos(InfoBarWindow, ScreenSaverWindow, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    LastDockedX = 0;
}

}  // namespace

void PlacementTick(HWND window) {
    ScreenSaverWindow =
        TickerSettings.showInScreenSaver ? FindWindowA(kScreenSaverClass, nullptr) : nullptr;
    HWND owner = ScreenSaverWindow ? ScreenSaverWindow : FindWindowA(kTaskbarClass, nullptr);

    if (Expanded && ScreenSaverWindow) {
        // The screen saver wins; the next tick builds the bar anew for it. While there is no
        // notification area to go back to, the ticker stays expanded and a later tick tries
        // again, as a docked placement waits for one.
        if (LeaveBar(window, FindNotifyArea(nullptr))) Expanded = 0;
        return;
    }
    if (!Expanded && !ScreenSaverWindow) {
        if (!PlaceDocked(window)) return;
    } else {
        PlaceInBar(window, owner);
    }
    UpdateSearchBox(window);
}
