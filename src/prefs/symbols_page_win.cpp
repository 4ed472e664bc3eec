// The "Stock Symbols" page: the list of quoted symbols, edited with Add and Remove and saved
// at Apply. Window thread only.
//
// The live list, TickerSettings.stockSymbols, is what the feed worker copies when it builds a
// request. Add and Remove work on the page's copy, EditedSymbols, and only then publish the
// whole new list into the live one, under the lock with which the worker takes its copy
// (SetSettingText), so a request carries the old list or the new one, never a mix. The
// refresh that Apply starts (the "Ticker" page's comes first) already carries the new symbols.
// Cancel puts back the list the page found (when the sheet opened, or at its last Apply): the
// user expects Cancel to undo, and the ticker then goes on quoting what the store still holds.
#include <windows.h>
#include <commctrl.h>

#include "base/text.h"
#include "feed/feed_worker_win.h"
#include "prefs/prefs_pages_win.h"
#include "prefs/symbol_list.h"
#include "res/resource.h"
#include "settings/settings.h"
#include "settings/settings_store_win.h"
#include "shell/browser_win.h"

namespace {

// The list box has been filled since the sheet was opened.
bool Filled;
// A symbol was added or removed since the page was created: Apply then starts a refresh.
bool Changed;
// The list as this page edits it, and the list Cancel puts back; a stored list may hold up
// to 259 characters.
char EditedSymbols[kStockSymbolsField];
char KeptSymbols[kStockSymbolsField];

// A list box entry: a stored list may hold pieces longer than a typed symbol; they are kept
// whole, so an entry can be as long as the list itself.
using Entry = char[kStockSymbolsField];

void Publish() { SetSettingText(TickerSettings.stockSymbols, EditedSymbols); }

void FillListBox(HWND page) {
    HWND list = GetDlgItem(page, IDC_SYMBOL_LIST);
    CopyText(EditedSymbols, TickerSettings.stockSymbols);
    CopyText(KeptSymbols, EditedSymbols);
    Entry piece;
    for (const char* at = EditedSymbols; NextSymbol(&at, piece, sizeof piece);)
        if (piece[0]) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(piece));
}

// Reads entry index of the list box; false for an entry that is missing or too long.
bool ReadEntry(HWND list, LRESULT index, Entry& entry) {
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR || length >= static_cast<LRESULT>(sizeof(Entry))) return false;
    return SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(entry)) != LB_ERR;
}

void OnAdd(HWND page) {
    char symbol[kMaxSymbolLength + 1];
    GetDlgItemTextA(page, IDC_SYMBOL_EDIT, symbol, sizeof symbol);
    // The stored value holds 199 characters, so a symbol that would not fit is refused here,
    // while the user can still see it is not in the list; a beep says why nothing happened.
    AddResult result = AddSymbol(EditedSymbols, sizeof EditedSymbols, kMaxSymbolListLength, symbol);
    if (result == AddResult::NoRoom) MessageBeep(MB_OK);
    if (result != AddResult::Added) return;
    Publish();
    SendDlgItemMessageA(page, IDC_SYMBOL_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(symbol));
    Changed = true;
    MarkPageChanged(page);
}

void OnRemove(HWND page) {
    HWND list = GetDlgItem(page, IDC_SYMBOL_LIST);
    LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
    Entry symbol;
    if (selected == LB_ERR || !ReadEntry(list, selected, symbol) || !symbol[0]) return;
    if (!RemoveSymbol(EditedSymbols, symbol)) return;
    Publish();
    SendMessageA(list, LB_DELETESTRING, selected, 0);
    Changed = true;
    MarkPageChanged(page);
}

void OnApply(HWND page) {
    // Rebuilt in the list box's sorted order. A stored list longer than the stored value can
    // hold loses the pieces that no longer fit, whole, rather than being cut inside a symbol.
    HWND list = GetDlgItem(page, IDC_SYMBOL_LIST);
    EditedSymbols[0] = 0;
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    Entry entry;
    for (LRESULT i = 0; i < count; ++i)
        if (ReadEntry(list, i, entry))
            JoinSymbol(EditedSymbols, sizeof EditedSymbols, kMaxSymbolListLength, entry);

    Publish();
    CopyText(KeptSymbols, EditedSymbols);
    SaveStockSymbols();
    if (Changed) StartFeedRefresh(SheetTicker, 0);
}

void OnCancel() {
    CopyText(EditedSymbols, KeptSymbols);
    Publish();
}

INT_PTR OnNotify(HWND page, const NMHDR* note) {
    switch (note->code) {
    case PSN_SETACTIVE:
        if (!Filled) {
            Filled = true;
            FillListBox(page);
        }
        return AnswerNotification(page, 0);
    case PSN_APPLY: OnApply(page); return AnswerNotification(page, 0);
    case PSN_RESET: OnCancel(); return AnswerNotification(page, 0);
    case PSN_KILLACTIVE: return AnswerNotification(page, 0);
    }
    return FALSE;
}

INT_PTR OnCommand(HWND page, WPARAM wParam) {
    if (HIWORD(wParam) != BN_CLICKED) return FALSE;
    switch (LOWORD(wParam)) {
    case IDC_ADD_SYMBOL: OnAdd(page); return TRUE;
    case IDC_REMOVE_SYMBOL: OnRemove(page); return TRUE;
    case IDC_FIND_SYMBOL: OpenBrowserPage(kSymbolLookupPoint); return TRUE;
    }
    return FALSE;
}

}  // namespace

void BeginSymbolsOpening() { Filled = false; }

INT_PTR CALLBACK SymbolsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        Changed = false;
        // What the user can type is what Add takes.
        SendDlgItemMessageA(page, IDC_SYMBOL_EDIT, EM_LIMITTEXT, kMaxSymbolLength, 0);
        return TRUE;
    case WM_NOTIFY: return OnNotify(page, reinterpret_cast<const NMHDR*>(lParam));
    case WM_COMMAND: return OnCommand(page, wParam);
    }
    return FALSE;
}
