// The search box: an edit control over the strip while SearchOpen is set, whose text the search
// page takes. The placement tick makes, places and removes it; Enter in it opens the search
// page. Window thread only.
#include "shell/search_box_win.h"

#include "base/button_panel.h"
#include "base/program_win.h"
#include "shell/browser_win.h"

int SearchOpen;
HWND SearchBoxWindow;

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

void CreateSearchBox(HWND window) {
    SearchBoxWindow = CreateWindowExA(0, "Edit", "", kSearchBoxStyle, 0, 0, 1, 1, window, nullptr,
                                      ProgramInstance, nullptr);
    if (!SearchBoxWindow) return;
    SetFocus(SearchBoxWindow);
    EditProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        SearchBoxWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SearchBoxProc)));
}

}  // namespace

// Enter in the multi-line box adds a line and scrolls it down, which the box reports as
// EN_VSCROLL. Scrolling back up may report once more; the toggle passes over that one.
// The edit control reports that scroll from inside EM_SCROLL, so the report arrives here
// nested: it only flips the toggle and does not scroll again. Scrolling again would go on
// line by line up to the top, one report per line, and a second Enter would search twice.
void OnSearchBoxScroll(HWND window) {
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
