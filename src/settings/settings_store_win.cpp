// Registry side of the settings store. Every operation goes through WithSettingsKey, which
// opens SOFTWARE, creates Ostrivane\Ticker below it if needed, runs one query or set and
// closes the three keys, innermost first.
#include "settings/settings_store_win.h"

#include <windows.h>

#include <cstring>

#include "base/text.h"
#include "res/resource.h"
#include "settings/settings.h"

namespace {

template <typename Op> bool WithSettingsKey(Op op) {
    HKEY software = nullptr, maker = nullptr, ticker = nullptr;
    bool done = false;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKeyPath[0], 0, KEY_ALL_ACCESS, &software) ==
        ERROR_SUCCESS) {
        DWORD disposition;
        if (RegCreateKeyExA(software, kSettingsKeyPath[1], 0, const_cast<char*>(""),
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &maker,
                            &disposition) == ERROR_SUCCESS) {
            if (RegCreateKeyExA(maker, kSettingsKeyPath[2], 0, const_cast<char*>(""),
                                REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &ticker,
                                &disposition) == ERROR_SUCCESS) {
                done = op(ticker);
                RegCloseKey(ticker);
            }
            RegCloseKey(maker);
        }
        RegCloseKey(software);
    }
    return done;
}

bool QueryDword(const char* name, uint32_t* value) {
    return WithSettingsKey([&](HKEY key) {
        DWORD data = *value, size = sizeof data;
        if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&data), &size) !=
            ERROR_SUCCESS)
            return false;
        *value = data;
        return true;
    });
}

// The stored number, or value when there is none to be read.
uint32_t ReadDword(const char* name, uint32_t value) {
    QueryDword(name, &value);
    return value;
}

// A number or flag: the stored value brought into its range, or value when there is none.
uint32_t ReadNumber(const char* name, uint32_t value) {
    return InSettingRange(name, ReadDword(name, value));
}

void SetDword(const char* name, uint32_t value) {
    WithSettingsKey([&](HKEY key) {
        DWORD data = value;
        return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                              sizeof data) == ERROR_SUCCESS;
    });
}

// Reads a string value of at most `field` bytes into dst (field bytes). A value that is longer
// than the field, or cannot be read, leaves dst as it was; one that fills the field without a
// terminating zero is cut to field - 1 characters.
bool QueryString(const char* name, char* dst, DWORD field) {
    char data[kStockSymbolsField];  // the largest field the store reads
    if (field > sizeof data) field = sizeof data;
    return WithSettingsKey([&](HKEY key) {
        DWORD size = field;
        if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size) !=
            ERROR_SUCCESS)
            return false;
        if (size >= field) size = field - 1;
        data[size] = 0;
        CopyText(dst, field, data);
        return true;
    });
}

// Writes text as a REG_SZ of exactly `field` bytes: the text, its zero and zero padding.
void SetStringField(const char* name, const char* text, DWORD field) {
    char data[kStockSymbolsStored > kSettingString ? kStockSymbolsStored : kSettingString] = {};
    if (field > sizeof data) field = sizeof data;
    CopyText(data, field, text);
    WithSettingsKey([&](HKEY key) {
        return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), field) ==
               ERROR_SUCCESS;
    });
}

}  // namespace

void LoadStockSymbols() {
    if (!QueryString(kStockSymbolsValue, TickerSettings.stockSymbols, kStockSymbolsField))
        CopyText(TickerSettings.stockSymbols, kDefaultStockSymbols);
}

void SaveStockSymbols() {
    SetStringField(kStockSymbolsValue, TickerSettings.stockSymbols, kStockSymbolsStored);
}

void ReadInstallPath(char* path) {
    if (!QueryString(kPathValue, path, kPathField)) CopyText(path, kPathField, kDefaultInstallPath);
}

uint32_t ReadNewsRefresh() { return ReadNumber(kNewsRefreshValue, kDefaultNewsRefresh); }

void WriteNewsRefresh(uint32_t minutes) { SetDword(kNewsRefreshValue, minutes); }

uint32_t ReadStoriesPerTopic(int id) {
    if (id != IDC_STORIES) return kDefaultStoriesPerTopic;
    return ReadNumber(kStoriesPerTopicValue, kDefaultStoriesPerTopic);
}

void WriteStoriesPerTopic(int id) {
    if (id == IDC_STORIES) SetDword(kStoriesPerTopicValue, TickerSettings.storiesPerTopic);
}

void ReadSettingString(const char* name, char* buf) { QueryString(name, buf, kSettingString); }

void WriteSettingString(const char* name, const char* text) {
    SetStringField(name, text, kSettingString);
}

uint32_t ReadColorSetting(int id) {
    const ColorSettingRow* row = FindColorSetting(id);
    return row ? ReadDword(row->name, row->defaultColor) : 0;
}

void WriteColorSetting(int id, uint32_t color) {
    if (const ColorSettingRow* row = FindColorSetting(id)) SetDword(row->name, color);
}

uint32_t ReadFlagSetting(int id) {
    const FlagSettingRow* row = FindFlagSetting(id);
    return row ? ReadNumber(row->name, row->defaultValue) : 0;
}

void WriteFlagSetting(int id, uint32_t value) {
    if (const FlagSettingRow* row = FindFlagSetting(id)) SetDword(row->name, value);
}

void SeedFirstRunDefaults() {
    TickerSettingsData& s = TickerSettings;
    if (!IsFreshStore(s)) return;
    s.showUS = s.showWeather = s.showQuotes = s.showInScreenSaver = s.fahrenheit = 1;
    s.scrollSpeed = kDefaultScrollSpeed;
    s.storiesPerTopic = kDefaultStoriesPerTopic;
    WriteFlagSetting(IDC_US, 1);
    WriteFlagSetting(IDC_QUOTES, 1);
    WriteFlagSetting(IDC_BOLD_FONT, 1);
    WriteFlagSetting(IDC_SCREEN_SAVER, 1);
    WriteFlagSetting(IDC_WEATHER, 1);
    WriteFlagSetting(IDC_FAHRENHEIT, 1);
    WriteNewsRefresh(30);
    WriteFlagSetting(IDC_TICKER_SPEED, kDefaultScrollSpeed);
    WriteSettingString(kAirportsValue, kFirstRunAirports);
    WriteStoriesPerTopic(IDC_STORIES);
}

void LoadAllSettings() {
    TickerSettingsData& s = TickerSettings;

    static const int kColorOrder[] = {
        IDC_COLOR_SYMBOL,     IDC_COLOR_QUOTE_UP, IDC_COLOR_QUOTE_DOWN,    IDC_COLOR_QUOTE_NC,
        IDC_COLOR_BACKGROUND, IDC_COLOR_US,       IDC_COLOR_WORLD,         IDC_COLOR_BUSINESS,
        IDC_COLOR_POLITICS,   IDC_COLOR_SPORTS,   IDC_COLOR_ENTERTAINMENT, IDC_COLOR_TECHNOLOGY};
    for (int id : kColorOrder) s.colors[FindColorSetting(id)->role] = ReadColorSetting(id);

    s.useMyTamzo = ReadFlagSetting(IDC_MY_TAMZO);
    s.showUS = ReadFlagSetting(IDC_US);
    s.showWorld = ReadFlagSetting(IDC_WORLD);
    s.showBusiness = ReadFlagSetting(IDC_BUSINESS);
    s.showPolitics = ReadFlagSetting(IDC_POLITICS);
    s.showTechnology = ReadFlagSetting(IDC_TECHNOLOGY);
    s.showSports = ReadFlagSetting(IDC_SPORTS);
    s.showQuotes = ReadFlagSetting(IDC_QUOTES);
    s.showEntertainment = ReadFlagSetting(IDC_ENTERTAINMENT);
    s.showWeather = ReadFlagSetting(IDC_WEATHER);
    s.showInScreenSaver = ReadFlagSetting(IDC_SCREEN_SAVER);

    ReadSettingString(kUserIdValue, s.userId);
    ReadSettingString(kPasswordValue, s.password);
    s.storiesPerTopic = ReadStoriesPerTopic(IDC_STORIES);
    s.fahrenheit = ReadFlagSetting(IDC_FAHRENHEIT);
    s.airports[0] = 0;
    ReadSettingString(kAirportsValue, s.airports);

    SeedFirstRunDefaults();
    s.myTamzoOnly = ReadFlagSetting(IDC_MY_TAMZO_ONLY);
    LoadStockSymbols();
    s.refreshMinutes = ReadNewsRefresh();
    s.scrollSpeed = ReadFlagSetting(IDC_TICKER_SPEED);
}
