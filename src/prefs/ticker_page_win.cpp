// The "Ticker" page: the portal account, the refresh period, the speed and the look of the
// ticker. It loads from the store every time it is shown, so leaving it and coming back
// drops what was not applied. Window thread only.
#include <windows.h>
#include <commctrl.h>

#include "base/messages.h"
#include "base/program_win.h"
#include "base/text.h"
#include "feed/feed_worker_win.h"
#include "prefs/field_rules.h"
#include "prefs/prefs_pages_win.h"
#include "res/resource.h"
#include "settings/settings.h"
#include "settings/settings_store_win.h"
#include "shell/strip_fonts_win.h"
#include "update/update_rules.h"

namespace {

constexpr int kBannerWidth = 205, kBannerHeight = 40;

// A size change starts one new copy per run: the new copy closes this one, and an Apply
// followed quickly by OK must not start a second copy while the first is still starting.
bool NewCopyStarted;
// The size applied last differs from the one this copy was laid out with.
bool NewCopyWanted;

// The account's two texts: control, stored value and live field.
struct AccountField {
    int id;
    const char* value;
    char (TickerSettingsData::*live)[kSettingString];
};
const AccountField kAccountFields[] = {
    {IDC_USER_ID, kUserIdValue, &TickerSettingsData::userId},
    {IDC_PASSWORD, kPasswordValue, &TickerSettingsData::password},
};

void Load(HWND page) {
    PageLoading loading;
    TickerSettingsData& s = TickerSettings;

    s.useMyTamzo = ReadFlagSetting(IDC_MY_TAMZO);
    CheckDlgButton(page, IDC_MY_TAMZO, CheckFor(s.useMyTamzo));
    if (s.myTamzoOnly) EnableWindow(GetDlgItem(page, IDC_MY_TAMZO), FALSE);

    for (const AccountField& field : kAccountFields) {
        char text[kSettingString];
        CopyText(text, s.*field.live);
        ReadSettingString(field.value, text);
        SetSettingText(s.*field.live, text);
        SetDlgItemTextA(page, field.id, text);
    }

    CheckDlgButton(page, IDC_BOLD_FONT, CheckFor(ReadFlagSetting(IDC_BOLD_FONT)));
    s.showInScreenSaver = ReadFlagSetting(IDC_SCREEN_SAVER);
    CheckDlgButton(page, IDC_SCREEN_SAVER, CheckFor(s.showInScreenSaver));
    s.largeSize = ReadFlagSetting(IDC_LARGE_SIZE);
    CheckDlgButton(page, IDC_LARGE_SIZE, CheckFor(s.largeSize));

    s.scrollSpeed = ReadFlagSetting(IDC_TICKER_SPEED);
    HWND speed = GetDlgItem(page, IDC_TICKER_SPEED);
    SendMessageA(speed, TBM_SETRANGE, TRUE, MAKELONG(kMinScrollSpeed, kMaxScrollSpeed));
    SendMessageA(speed, TBM_SETPAGESIZE, 0, 1);
    SendMessageA(speed, TBM_SETTICFREQ, 1, 0);
    SendMessageA(speed, TBM_SETPOS, TRUE, s.scrollSpeed);

    SendDlgItemMessageA(page, IDC_REFRESH_SPIN, UDM_SETRANGE, 0,
                        MAKELONG(kMaxRefreshMinutes, kMinRefreshMinutes));
    ShowNumber(page, IDC_REFRESH_EDIT, ReadNewsRefresh());
}

void Apply(HWND page) {
    TickerSettingsData& s = TickerSettings;

    s.useMyTamzo = IsChecked(page, IDC_MY_TAMZO);
    WriteFlagSetting(IDC_MY_TAMZO, s.useMyTamzo);

    for (const AccountField& field : kAccountFields) {
        char text[kMaxAccountText + 1];
        GetDlgItemTextA(page, field.id, text, sizeof text);
        SetSettingText(s.*field.live, text);
        WriteSettingString(field.value, text);
    }

    WriteFlagSetting(IDC_BOLD_FONT, IsChecked(page, IDC_BOLD_FONT));
    s.showInScreenSaver = IsChecked(page, IDC_SCREEN_SAVER);
    WriteFlagSetting(IDC_SCREEN_SAVER, s.showInScreenSaver);
    s.largeSize = IsChecked(page, IDC_LARGE_SIZE);
    WriteFlagSetting(IDC_LARGE_SIZE, s.largeSize);

    LRESULT speed = SendDlgItemMessageA(page, IDC_TICKER_SPEED, TBM_GETPOS, 0, 0);
    s.scrollSpeed = InSettingRange(kTickerSpeedValue, speed < 0 ? 0 : static_cast<uint32_t>(speed));
    WriteFlagSetting(IDC_TICKER_SPEED, s.scrollSpeed);

    // The period is taken from the text itself: a number typed outside 10..60 becomes the
    // nearer bound, text that is no number becomes 10 (field_rules.h). The box then shows
    // the period that is in force.
    char typed[32];
    GetDlgItemTextA(page, IDC_REFRESH_EDIT, typed, sizeof typed);
    s.refreshMinutes = TypedNumberInRange(typed, kMinRefreshMinutes, kMaxRefreshMinutes);
    WriteNewsRefresh(s.refreshMinutes);
    ShowNumber(page, IDC_REFRESH_EDIT, s.refreshMinutes);

    // The same id replaces the ticker window's refresh timer: the new period counts from now.
    SetTimer(SheetTicker, RefreshTimer, RefreshPeriodMs(s.refreshMinutes), nullptr);
    StartFeedRefresh(SheetTicker, 0);
    CreateStripFonts(SheetTicker);
    InvalidateRect(SheetTicker, nullptr, TRUE);
    UpdateWindow(SheetTicker);

    NewCopyWanted = WidthDivisorFor(s.largeSize) != WidthDivisor;
}

INT_PTR OnNotify(HWND page, const NMHDR* note) {
    switch (note->code) {
    case PSN_SETACTIVE: Load(page); return AnswerNotification(page, 0);
    case PSN_APPLY: Apply(page); return AnswerNotification(page, 0);
    case PSN_KILLACTIVE:
    case PSN_RESET: return AnswerNotification(page, 0);
    }
    return FALSE;
}

// The controls work by themselves; the page only notes a change so the sheet offers Apply.
void OnControlChanged(HWND page, WPARAM wParam) {
    const WORD code = HIWORD(wParam);
    if (LOWORD(wParam) == IDC_ACCOUNT_LOGO) return;  // the logo does nothing when clicked
    if (code == BN_CLICKED || code == EN_CHANGE) MarkPageChanged(page);
}

}  // namespace

// Starts "Path\Ticker.exe"; it closes this copy and lays itself out at the new size. A
// failed start leaves this ticker as it is, and the saved size counts at the next start.
void StartNewCopyIfWanted() {
    if (!NewCopyWanted || NewCopyStarted) return;
    char folder[kPathField], program[kInstallFileSize];
    ReadInstallPath(folder);
    NewCopyStarted =
        JoinInstallPath(program, sizeof program, folder, kProgramFile) && StartProgram(program);
}

INT_PTR CALLBACK TickerPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        // The sheet opens on this page; its owner, the docked ticker, sits at the very bottom
        // of the screen, below which the sheet would otherwise partly open.
        CentreWindow(GetParent(page), GetDesktopWindow());
        // What the user can type is what Apply keeps.
        SendDlgItemMessageA(page, IDC_USER_ID, EM_LIMITTEXT, kMaxAccountText, 0);
        SendDlgItemMessageA(page, IDC_PASSWORD, EM_LIMITTEXT, kMaxAccountText, 0);
        return TRUE;
    case WM_NOTIFY: return OnNotify(page, reinterpret_cast<const NMHDR*>(lParam));
    case WM_COMMAND: OnControlChanged(page, wParam); return FALSE;
    case WM_HSCROLL: MarkPageChanged(page); return FALSE;
    case WM_DRAWITEM:
        if (wParam != IDC_ACCOUNT_LOGO) return FALSE;
        DrawBitmapButton(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), IDB_BANNER_LARGE,
                         kBannerWidth, kBannerHeight);
        return TRUE;
    }
    return FALSE;
}
