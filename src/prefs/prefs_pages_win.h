// What the preferences pages, the About box and the maker's page share: the dialog
// procedures, the sheet's ticker window, the answer to a property-sheet notification and the
// bitmap button. Window thread only: the sheet is modal and every page runs inside it.
#pragma once
#include <windows.h>

#include <cstdint>

// The ticker window the sheet was opened for; the pages refresh, re-arm and repaint it.
extern HWND SheetTicker;

INT_PTR CALLBACK TickerPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK NewsColorsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK SymbolsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK MakerPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Called by ShowPreferences before the sheet opens: the Stock Symbols page fills its list box
// once per opening.
void BeginSymbolsOpening();
// Called by ShowPreferences once the sheet has closed: when the size applied on the "Ticker"
// page differs from the running one, starts the copy of the new size. Not from the page
// itself: the pages after it have to save first, and the new copy, which closes this one
// when it starts, takes its settings from the store.
void StartNewCopyIfWanted();

// A page answers the notifications it handles through the dialog's message result.
INT_PTR AnswerNotification(HWND page, LONG_PTR result);

// Lets the sheet enable its Apply button: a page calls this when the user changes one of its
// controls. Changes a page makes itself while it loads or shows back what it saved do not
// count; such code runs inside a PageLoading scope.
void MarkPageChanged(HWND page);
struct PageLoading {
    PageLoading();
    ~PageLoading();
    PageLoading(const PageLoading&) = delete;
    PageLoading& operator=(const PageLoading&) = delete;
};

// Shows a number in the page's control id as the page's own doing, not as a change.
void ShowNumber(HWND page, int id, uint32_t value);

// Check boxes against stored flags.
inline UINT CheckFor(uint32_t flag) { return flag ? BST_CHECKED : BST_UNCHECKED; }
inline uint32_t IsChecked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }

// Draws an owner-drawn button as a bitmap resource of width x height pixels at the top left
// of a button-face background. The button's state does not change the picture.
void DrawBitmapButton(const DRAWITEMSTRUCT* item, int bitmapId, int width, int height);

// Moves window to the middle of reference, kept on the screen; size and z-order stay.
void CentreWindow(HWND window, HWND reference);
