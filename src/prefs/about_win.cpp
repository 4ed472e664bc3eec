// The About box, the maker's page of the sheet, and centring a window on another. Neither
// dialog saves or changes anything. Window thread only.
#include <windows.h>
#include <commctrl.h>

#include "base/program_win.h"
#include "prefs/centring.h"
#include "prefs/prefs_pages_win.h"
#include "prefs/prefs_win.h"
#include "res/resource.h"

namespace {

constexpr int kMarkWidth = 150, kMarkHeight = 20;      // IDB_BANNER_SMALL
constexpr int kBannerWidth = 300, kBannerHeight = 40;  // IDB_BANNER_WIDE

}  // namespace

void CentreWindow(HWND window, HWND reference) {
    RECT own, ref;
    GetWindowRect(window, &own);
    GetWindowRect(reference, &ref);
    HDC dc = GetDC(window);
    const int screenWidth = GetDeviceCaps(dc, HORZRES), screenHeight = GetDeviceCaps(dc, VERTRES);
    ReleaseDC(window, dc);
    WindowOrigin at =
        CentredOrigin(own.right - own.left, own.bottom - own.top, ref.left, ref.top,
                      ref.right - ref.left, ref.bottom - ref.top, screenWidth, screenHeight);
    SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: CentreWindow(dialog, GetDesktopWindow()); return TRUE;
    case WM_DRAWITEM:
        DrawBitmapButton(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), IDB_BANNER_SMALL,
                         kMarkWidth, kMarkHeight);
        return TRUE;
    case WM_COMMAND:
        // OK and Enter close the box; so do Escape and the close box of the caption, which
        // the dialog manager reports as IDCANCEL: a box with a close button that does not
        // close would only puzzle the user.
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 1);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

void ShowAboutBox(HWND owner) {
    DialogBoxParamA(ProgramInstance, MAKEINTRESOURCEA(IDD_ABOUT), owner, AboutProc, 0);
}

INT_PTR CALLBACK MakerPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return TRUE;
    case WM_DRAWITEM:
        DrawBitmapButton(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), IDB_BANNER_WIDE,
                         kBannerWidth, kBannerHeight);
        return TRUE;
    case WM_NOTIFY:
        switch (reinterpret_cast<const NMHDR*>(lParam)->code) {
        case PSN_SETACTIVE:
        case PSN_KILLACTIVE:
        case PSN_APPLY:
        case PSN_RESET: return AnswerNotification(page, 0);
        }
        return FALSE;
    }
    return FALSE;
}
