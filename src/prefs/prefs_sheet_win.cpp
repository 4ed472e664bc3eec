// The preferences sheet: builds the page table, runs the modal property sheet, and holds the
// few helpers every page shares. Window thread only.
#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <cstring>

#include "base/program_win.h"
#include "prefs/prefs_pages_win.h"
#include "prefs/prefs_win.h"
#include "res/resource.h"
#include "settings/settings.h"

// We fill the records of the era's common controls (PROPSHEETPAGEA_V1_SIZE and
// PROPSHEETHEADERA_V1_SIZE). The SDK's macros are not constant expressions, so the same sizes
// are spelled here for the compiler to check; the 32-bit build holds them to the sizes those
// shells knew.
constexpr size_t kPageRecordSize =
    offsetof(PROPSHEETPAGEA, pcRefParent) + sizeof(PROPSHEETPAGEA::pcRefParent);
constexpr size_t kSheetRecordSize =
    offsetof(PROPSHEETHEADERA, pfnCallback) + sizeof(PROPSHEETHEADERA::pfnCallback);
#if defined(__i386__)
static_assert(kPageRecordSize == 40, "property page record of the era");
static_assert(kSheetRecordSize == 40, "property sheet record of the era");
#endif
static_assert(kPageRecordSize % alignof(PROPSHEETPAGEA) == 0, "page records lie packed");

HWND SheetTicker;

namespace {

struct PageRow {
    int templateId;
    const char* title;
    DLGPROC procedure;
    bool accountOnly;  // shown also when the installation is bound to the portal account
};

const PageRow kPages[] = {
    {IDD_TICKER_PAGE, "Ticker", TickerPageProc, true},
    {IDD_NEWS_COLORS, "News && Colors", NewsColorsPageProc, false},
    {IDD_SYMBOLS, "Stock Symbols", SymbolsPageProc, false},
    {IDD_MAKER, "Ostrivane", MakerPageProc, true},
};
constexpr int kPageCount = sizeof kPages / sizeof kPages[0];

// The page records of the era: PROPSHEETPAGEA up to pcRefParent. The sheet steps from one
// record to the next by its dwSize, so the records lie packed at that size.
struct alignas(PROPSHEETPAGEA) PageRecord {
    unsigned char bytes[kPageRecordSize];
};

int LoadingDepth;

}  // namespace

void ShowPreferences(HWND owner) {
    SheetTicker = owner;
    BeginSymbolsOpening();

    PageRecord records[kPageCount] = {};
    UINT count = 0;
    for (const PageRow& row : kPages) {
        if (TickerSettings.myTamzoOnly && !row.accountOnly) continue;
        PROPSHEETPAGEA page = {};
        page.dwSize = PROPSHEETPAGEA_V1_SIZE;
        page.dwFlags = PSP_USETITLE;
        page.hInstance = ProgramInstance;
        page.pszTemplate = MAKEINTRESOURCEA(row.templateId);
        page.pszTitle = row.title;
        page.pfnDlgProc = row.procedure;
        page.lParam = 0;
        std::memcpy(records[count++].bytes, &page, sizeof(PageRecord));
    }

    PROPSHEETHEADERA sheet = {};
    sheet.dwSize = PROPSHEETHEADERA_V1_SIZE;
    sheet.dwFlags = PSH_PROPSHEETPAGE;
    sheet.hwndParent = owner;
    sheet.hInstance = ProgramInstance;
    sheet.pszCaption = "Preferences";
    sheet.nPages = count;
    sheet.nStartPage = 0;
    sheet.ppsp = reinterpret_cast<LPCPROPSHEETPAGEA>(records);
    PropertySheetA(&sheet);
    StartNewCopyIfWanted();
}

INT_PTR AnswerNotification(HWND page, LONG_PTR result) {
    SetWindowLongPtrA(page, DWLP_MSGRESULT, result);
    return TRUE;
}

PageLoading::PageLoading() { ++LoadingDepth; }
PageLoading::~PageLoading() { --LoadingDepth; }

void ShowNumber(HWND page, int id, uint32_t value) {
    PageLoading loading;
    SetDlgItemInt(page, id, value, FALSE);
}

void MarkPageChanged(HWND page) {
    if (LoadingDepth == 0)
        SendMessageA(GetParent(page), PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0);
}

void DrawBitmapButton(const DRAWITEMSTRUCT* item, int bitmapId, int width, int height) {
    HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    FillRect(item->hDC, &item->rcItem, face);
    HDC memory = CreateCompatibleDC(item->hDC);
    HBITMAP picture =
        static_cast<HBITMAP>(LoadImageA(ProgramInstance, MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP,
                                        width, height, LR_LOADMAP3DCOLORS));
    HGDIOBJ previous = SelectObject(memory, picture);
    BitBlt(item->hDC, item->rcItem.left, item->rcItem.top, width, height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteObject(picture);
    DeleteObject(face);
    DeleteDC(memory);
}
