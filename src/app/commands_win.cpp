// Context menu and command handling of the ticker window. Window thread only.
#include "app/commands_win.h"

#include <cstddef>

#include "app/ticker_host_win.h"
#include "base/messages.h"
#include "feed/feed_worker_win.h"
#include "prefs/prefs_win.h"
#include "res/resource.h"
#include "shell/browser_win.h"
#include "shell/search_box_win.h"

// The menu item record of the era ends before the bitmap field that later shells added; the
// shells of the time refuse a record of any other size. 44 bytes in the 32-bit build.
constexpr UINT kMenuItemInfoSize = offsetof(MENUITEMINFOA, hbmpItem);
static_assert(sizeof(void*) != 4 || kMenuItemInfoSize == 44, "menu item record of the era");

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
        OnSearchBoxScroll(window);
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
