// The "News && Colors" page: which topics, quotes and weather the feed brings, the airports,
// the temperature scale, the number of stories and the twelve colours of the strip. The only
// page that can refuse Apply. Window thread only.
//
// A colour is stored the moment it is chosen (the running ticker takes it at Apply); Cancel
// writes back the colours of the snapshot. The snapshot is taken when the page is created and
// again after every Apply, so Cancel undoes every colour chosen since the sheet opened or
// since the last Apply, even when the user went to another page and came back in between.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include "base/frame_strokes_win.h"
#include "base/text.h"
#include "feed/feed_worker_win.h"
#include "prefs/field_rules.h"
#include "prefs/prefs_pages_win.h"
#include "res/resource.h"
#include "settings/settings.h"
#include "settings/settings_store_win.h"
#include "shell/strip_fonts_win.h"

namespace {

const char kNoTopicText[] = "You must select at least one news Topics...";
const char kNoTopicCaption[] = "Error";

// The topic switches and the quotes switch, with the live field each one sets.
struct TopicRow {
    int id;
    uint32_t TickerSettingsData::*field;
};
const TopicRow kTopics[] = {
    {IDC_US, &TickerSettingsData::showUS},
    {IDC_WORLD, &TickerSettingsData::showWorld},
    {IDC_BUSINESS, &TickerSettingsData::showBusiness},
    {IDC_POLITICS, &TickerSettingsData::showPolitics},
    {IDC_QUOTES, &TickerSettingsData::showQuotes},
    {IDC_TECHNOLOGY, &TickerSettingsData::showTechnology},
    {IDC_ENTERTAINMENT, &TickerSettingsData::showEntertainment},
    {IDC_SPORTS, &TickerSettingsData::showSports},
};

// One brush per swatch, in the order of kColorSettings. After Apply frees them, a swatch that
// paints again (the sheet stays open after Apply) makes its brush anew from the stored colour.
HBRUSH Brushes[kColorRoleCount];
uint32_t Snapshot[kColorRoleCount];

int SwatchIndex(int id) {
    for (int i = 0; i < kColorRoleCount; ++i)
        if (kColorSettings[i].id == id) return i;
    return -1;
}

HBRUSH SwatchBrush(int index) {
    if (!Brushes[index])
        Brushes[index] = CreateSolidBrush(ReadColorSetting(kColorSettings[index].id));
    return Brushes[index];
}

void FreeBrushes() {
    for (HBRUSH& brush : Brushes) {
        if (brush) DeleteObject(brush);
        brush = nullptr;
    }
}

void CreateBrushes() {
    for (int i = 0; i < kColorRoleCount; ++i) SwatchBrush(i);
}

void TakeSnapshot() {
    for (int i = 0; i < kColorRoleCount; ++i) Snapshot[i] = ReadColorSetting(kColorSettings[i].id);
}

void Load(HWND page) {
    PageLoading loading;
    TickerSettingsData& s = TickerSettings;

    CheckDlgButton(page, IDC_WEATHER, CheckFor(ReadFlagSetting(IDC_WEATHER)));
    s.fahrenheit = ReadFlagSetting(IDC_FAHRENHEIT);
    CheckDlgButton(page, IDC_FAHRENHEIT, CheckFor(s.fahrenheit));
    CheckDlgButton(page, IDC_CELSIUS, CheckFor(!s.fahrenheit));

    char airports[kAirportsField];
    CopyText(airports, s.airports);
    ReadSettingString(kAirportsValue, airports);
    SetSettingText(s.airports, airports);
    SetDlgItemTextA(page, IDC_AIRPORTS, airports);

    SendDlgItemMessageA(page, IDC_STORIES_SPIN, UDM_SETRANGE, 0,
                        MAKELONG(kMaxStoriesPerTopic, kMinStoriesPerTopic));
    ShowNumber(page, IDC_STORIES, ReadStoriesPerTopic(IDC_STORIES));

    for (const TopicRow& topic : kTopics) {
        s.*topic.field = ReadFlagSetting(topic.id);
        CheckDlgButton(page, topic.id, CheckFor(s.*topic.field));
    }
}

void ChooseSwatchColor(HWND page, int index) {
    const int id = kColorSettings[index].id;
    static COLORREF custom[16];
    for (COLORREF& c : custom) c = RGB(255, 255, 255);

    CHOOSECOLORA chooser = {};
    chooser.lStructSize = sizeof chooser;
    chooser.hwndOwner = page;
    chooser.rgbResult = ReadColorSetting(id);
    chooser.lpCustColors = custom;
    chooser.Flags = CC_RGBINIT | CC_PREVENTFULLOPEN;
    const COLORREF before = chooser.rgbResult;
    ChooseColorA(&chooser);  // after Cancel the result is still the colour it started with

    WriteColorSetting(id, chooser.rgbResult);
    FreeBrushes();
    CreateBrushes();
    InvalidateRect(GetDlgItem(page, id), nullptr, TRUE);
    if (chooser.rgbResult != before) MarkPageChanged(page);
}

void DrawSwatch(const DRAWITEMSTRUCT* item, int index) {
    FillRect(item->hDC, &item->rcItem, SwatchBrush(index));
    const int l = item->rcItem.left, t = item->rcItem.top;
    const int r = item->rcItem.right, b = item->rcItem.bottom;
    using P = FramePen;
    const FrameStroke sunken[] = {{P::kBlack, l, b - 1, l, t, r, t},
                                  {P::kHighlight, l + 1, b - 1, r - 1, b - 1, r - 1, t},
                                  {P::kShadow, l + 1, b - 2, l + 1, t + 1, r - 1, t + 1}};
    const FrameStroke raised[] = {{P::kHighlight, l, b, l, t, r, t},
                                  {P::kBlack, l, b - 1, r - 1, b - 1, r - 1, t - 1},
                                  {P::kShadow, l + 1, b - 2, r - 2, b - 2, r - 2, t}};
    DrawFrameStrokes(item->hDC, item->itemState & ODS_SELECTED ? sunken : raised, 3);
}

// Apply; returns the page's answer: 0, or PSNRET_INVALID_NOCHANGEPAGE when nothing would be
// shown. Everything is saved and in force before that check.
LONG_PTR Apply(HWND page) {
    TickerSettingsData& s = TickerSettings;

    s.showWeather = IsChecked(page, IDC_WEATHER);
    WriteFlagSetting(IDC_WEATHER, s.showWeather);
    s.fahrenheit = IsChecked(page, IDC_FAHRENHEIT);
    WriteFlagSetting(IDC_FAHRENHEIT, s.fahrenheit);

    // As with the refresh period: out of range is the nearer bound, no number is 3.
    char typed[32];
    GetDlgItemTextA(page, IDC_STORIES, typed, sizeof typed);
    s.storiesPerTopic = TypedNumberInRange(typed, kMinStoriesPerTopic, kMaxStoriesPerTopic);
    WriteStoriesPerTopic(IDC_STORIES);
    ShowNumber(page, IDC_STORIES, s.storiesPerTopic);

    char airports[kAirportsField];
    GetDlgItemTextA(page, IDC_AIRPORTS, airports, kMaxTypedAirports + 1);
    NormaliseAirports(airports);
    SetSettingText(s.airports, airports);
    // The stored value is a 100-byte field: a longer list is cut to its first 99 characters
    // and the terminating zero. The feed reads "Airports" from the store, so that is what it
    // requests; the page shows the stored text again at its next showing.
    char stored[kSettingString];
    CopyText(stored, airports);
    WriteSettingString(kAirportsValue, stored);

    for (const TopicRow& topic : kTopics) {
        s.*topic.field = IsChecked(page, topic.id);
        WriteFlagSetting(topic.id, s.*topic.field);
    }

    for (const ColorSettingRow& row : kColorSettings) s.colors[row.role] = ReadColorSetting(row.id);
    TakeSnapshot();

    StartFeedRefresh(SheetTicker, 0);
    CreateStripFonts(SheetTicker);
    InvalidateRect(SheetTicker, nullptr, TRUE);
    UpdateWindow(SheetTicker);
    FreeBrushes();

    bool anything = s.showWeather;
    for (const TopicRow& topic : kTopics) anything = anything || s.*topic.field;
    if (s.useMyTamzo || anything) return 0;
    MessageBeep(0xFFFFFFFF);
    MessageBoxA(page, kNoTopicText, kNoTopicCaption, MB_OK);
    return PSNRET_INVALID_NOCHANGEPAGE;
}

void Cancel() {
    for (int i = 0; i < kColorRoleCount; ++i) WriteColorSetting(kColorSettings[i].id, Snapshot[i]);
}

INT_PTR OnNotify(HWND page, const NMHDR* note) {
    switch (note->code) {
    case PSN_SETACTIVE: Load(page); return AnswerNotification(page, 0);
    case PSN_APPLY: return AnswerNotification(page, Apply(page));
    case PSN_RESET: Cancel(); return AnswerNotification(page, 0);
    case PSN_KILLACTIVE: return AnswerNotification(page, 0);
    }
    return FALSE;
}

INT_PTR OnCommand(HWND page, WPARAM wParam) {
    const int index = SwatchIndex(LOWORD(wParam));
    const WORD code = HIWORD(wParam);
    if (index >= 0 && code == BN_CLICKED) {
        ChooseSwatchColor(page, index);
        return TRUE;
    }
    // Other controls work by themselves; a change only lets the sheet offer Apply.
    if (code == BN_CLICKED || code == EN_CHANGE) MarkPageChanged(page);
    return FALSE;
}

}  // namespace

INT_PTR CALLBACK NewsColorsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        CreateBrushes();
        TakeSnapshot();
        SendDlgItemMessageA(page, IDC_AIRPORTS, EM_LIMITTEXT, kMaxTypedAirports, 0);
        return TRUE;
    case WM_NOTIFY: return OnNotify(page, reinterpret_cast<const NMHDR*>(lParam));
    case WM_COMMAND: return OnCommand(page, wParam);
    case WM_DRAWITEM: {
        const int index = SwatchIndex(static_cast<int>(wParam));
        if (index >= 0) DrawSwatch(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), index);
        return FALSE;
    }
    // The brushes live until Apply; a sheet closed without Apply frees them here.
    case WM_DESTROY: FreeBrushes(); return FALSE;
    }
    return FALSE;
}
