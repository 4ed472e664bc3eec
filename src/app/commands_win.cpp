// Context menu and command handling of the ticker window, and the search box that lies over
// the strip while SearchOpen is set. Window thread only.
#include "app/commands_win.h"

#include <cstddef>

#include "app/ticker_host_win.h"
#include "base/button_panel.h"
#include "base/messages.h"
#include "feed/feed_worker_win.h"
#include "prefs/prefs_win.h"
#include "res/resource.h"
#include "shell/browser_win.h"

HWND SearchBoxWindow;
int SearchOpen;

// The menu item record of the era ends before the bitmap field that later shells added; the
// shells of the time refuse a record of any other size. 44 bytes in the 32-bit build.
constexpr UINT kMenuItemInfoSize = offsetof(MENUITEMINFOA, hbmpItem);
static_assert(sizeof(void*) != 4 || kMenuItemInfoSize == 44, "menu item record of the era");

namespace {

constexpr DWORD kSearchBoxStyle =
    WS_CHILD | WS_VISIBLE | WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL;

WNDPROC EditProc;  // the edit control's own procedure, kept when the box is subclassed
int EnterToggle;   // which of two successive scroll notifications searches

// A right click in the box opens the ticker's menu, not the edit control's own.
LRESULT CALLBACK SearchBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_RBUTTONUP) {
        PostMessageA(GetParent(box), WM_RBUTTONUP, wParam, lParam);
        return 0;
    }
    return CallWindowProcA(EditProc, box, message, wParam, lParam);
}

// Enter in the multi-line box adds a line and scrolls it down, which the box reports as
// EN_VSCROLL. Scrolling back up may report once more; the toggle passes over that one.
// The edit control reports that scroll from inside EM_SCROLL, so the report arrives here
// nested: it only flips the toggle and does not scroll again. Scrolling again would go on
// line by line up to the top, one report per line, and a second Enter would search twice.
void OnSearchScroll(HWND window) {
    static bool scrollingBack;
    if (!EnterToggle) {
        RECT client;
        GetClientRect(window, &client);
        OpenBrowserPage(SearchPagePoint(client.right));
    }
    EnterToggle = !EnterToggle;
    if (scrollingBack) return;
    scrollingBack = true;
    SendMessageA(SearchBoxWindow, EM_SCROLL, SB_LINEUP, 0);
    scrollingBack = false;
}

void CreateSearchBox(HWND window) {
    SearchBoxWindow = CreateWindowExA(0, "Edit", "", kSearchBoxStyle, 0, 0, 1, 1, window, nullptr,
                                      ProgramInstance, nullptr);
    if (!SearchBoxWindow) return;
    SetFocus(SearchBoxWindow);
    EditProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        SearchBoxWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SearchBoxProc)));
}

}  // namespace

void ShowContextMenu(HWND window) {
    HMENU menu = LoadMenuA(ProgramInstance, MAKEINTRESOURCEA(IDM_CONTEXT));
    if (!menu) return;
    HMENU popup = GetSubMenu(menu, 0);
    if (FeedThreadRunning) {
        MENUITEMINFOA item = {};
        item.cbSize = kMenuItemInfoSize;
        item.fMask = MIIM_STATE;
        item.fState = MFS_GRAYED;
        SetMenuItemInfoA(popup, IDM_UPDATE_NOW, FALSE, &item);
    }
    CheckMenuItem(popup, IDM_SEARCH_WINDOW,
                  MF_BYCOMMAND | (SearchOpen ? MF_CHECKED : MF_UNCHECKED));
    POINT at;
    GetCursorPos(&at);
    TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr);
    DestroyMenu(menu);
}

void OnCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) == 0) {
        // After a menu, repaint everything at once, the strip included.
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
        UpdateWindow(window);
        SendMessageA(window, WM_TIMER, ScrollTimer, 0);
    }
    if (SearchBoxWindow && reinterpret_cast<HWND>(lParam) == SearchBoxWindow &&
        HIWORD(wParam) == EN_VSCROLL) {
        OnSearchScroll(window);
        return;
    }
    switch (LOWORD(wParam)) {
    case IDM_PREFERENCES: ShowPreferences(window); break;
    case IDM_EXIT: DestroyWindow(window); break;
    case IDM_ABOUT: ShowAboutBox(window); break;
    case IDM_UPDATE_NOW: StartFeedRefresh(window, 0); break;
    case IDM_HELP: OpenBrowserPage(kHelpPagePoint); break;
    case IDM_EXPAND: Expanded = !Expanded; break;             // carried out by the placement tick
    case IDM_SEARCH_WINDOW: SearchOpen = !SearchOpen; break;  // likewise
    }
}

void UpdateSearchBox(HWND window) {
    if (SearchOpen && !SearchBoxWindow) CreateSearchBox(window);
    if (!SearchBoxWindow) return;
    if (!SearchOpen) {
        DestroyWindow(SearchBoxWindow);
        SearchBoxWindow = nullptr;
        return;
    }
    if (ScreenSaverWindow) {
        ShowWindow(SearchBoxWindow, SW_HIDE);
        return;
    }
    // Over the whole strip, leaving the button panel free. The box is not shown again here:
    // one hidden for a screen saver comes back only when it is made anew.
    RECT client;
    GetClientRect(window, &client);
    SetWindowPos(SearchBoxWindow, HWND_TOP, 0, 1, client.right - kPanelWidth, client.bottom - 2,
                 SWP_NOACTIVATE);
}
