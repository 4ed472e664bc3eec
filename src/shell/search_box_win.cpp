// The search box: an edit control over the strip while SearchOpen is set, whose text the search
// page takes. The placement tick makes, places and removes it; Enter in it opens the search
// page. Window thread only.
#include "shell/search_box_win.h"

#include <vector>

#include "base/button_panel.h"
#include "base/program_win.h"
#include "shell/browser_win.h"

int SearchOpen;
HWND SearchBoxWindow;

namespace {

constexpr DWORD kSearchBoxStyle =
    WS_CHILD | WS_VISIBLE | WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL;

WNDPROC EditProc;  // the edit control's own procedure, kept when the box is subclassed

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

// Takes out the line break that Enter left just before the caret, which brings the box back
// to its one line of typed text.
void TakeOutEnter(HWND box) {
    DWORD caret = 0;
    SendMessageA(box, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    const int length = GetWindowTextLengthA(box);
    if (caret < 2 || static_cast<int>(caret) > length) return;
    std::vector<char> text(static_cast<size_t>(length) + 1);
    GetWindowTextA(box, text.data(), length + 1);
    if (text[caret - 2] != '\r' || text[caret - 1] != '\n') return;
    SendMessageA(box, EM_SETSEL, caret - 2, caret);
    SendMessageA(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
    SendMessageA(box, EM_SCROLLCARET, 0, 0);
}

}  // namespace

// Enter in the multi-line box adds a line break and scrolls down to it, which the box reports
// as EN_VSCROLL: the search page opens for what the box holds (the line break read as
// spaces). The box then takes the line break out again, so that it shows the typed text
// after every search and the next Enter searches for the same words. Its own scroll back up
// arrives here nested, from inside the change, and is passed over.
void OnSearchBoxScroll(HWND window) {
    static bool tidying;
    if (tidying) return;
    RECT client;
    GetClientRect(window, &client);
    OpenBrowserPage(SearchPagePoint(client.right));
    tidying = true;
    TakeOutEnter(SearchBoxWindow);
    tidying = false;
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
