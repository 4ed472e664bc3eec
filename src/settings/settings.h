// The ticker's settings: the in-memory copy (TickerSettings) and the tables that tie every
// stored value to its name, its default and the control that edits it. No Windows types here;
// colours are COLORREF values (red in the low byte), flags are 0 or 1.
//
// Thread rule: TickerSettings belongs to the window thread, which fills it at window creation
// and changes it when a preferences page is applied. The feed worker does not read it directly:
// it takes a copy with SnapshotSettings, and the window thread changes a text field only
// through SetSettingText; both hold one lock for the length of the copy, so a request never
// carries a list half old and half new. Numbers are single aligned words, written as they are.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

// Colour roles of the strip, one per colour setting.
enum ColorRole {
    kSymbolColor,
    kQuoteUpColor,
    kQuoteDownColor,
    kQuoteNcColor,
    kUsColor,
    kWorldColor,
    kBusinessColor,
    kPoliticsColor,
    kSportsColor,
    kEntertainmentColor,
    kTechnologyColor,
    kBackgroundColor,
    kColorRoleCount
};

constexpr int kStockSymbolsField = 260;  // in memory; stored as exactly 200 bytes
constexpr int kStockSymbolsStored = 200;
constexpr int kSettingString = 100;  // every other stored string
constexpr int kAirportsField = 300;  // the page accepts more than is stored
constexpr int kPathField = 260;

struct TickerSettingsData {
    char stockSymbols[kStockSymbolsField];
    uint32_t refreshMinutes;
    uint32_t storiesPerTopic;
    char userId[kSettingString];
    char password[kSettingString];
    char airports[kAirportsField];
    uint32_t scrollSpeed;
    uint32_t useMyTamzo;
    uint32_t fahrenheit;
    uint32_t showUS;
    uint32_t showWorld;
    uint32_t showBusiness;
    uint32_t showPolitics;
    uint32_t showTechnology;
    uint32_t showSports;
    uint32_t showEntertainment;
    uint32_t showQuotes;
    uint32_t showWeather;
    uint32_t showInScreenSaver;
    uint32_t largeSize;
    uint32_t myTamzoOnly;
    uint32_t colors[kColorRoleCount];
};

extern TickerSettingsData TickerSettings;

// Feed worker: a copy of TickerSettings with every text field terminated.
TickerSettingsData SnapshotSettings();
// Window thread: copies text into field (size bytes, one of TickerSettings' texts).
void SetSettingText(char* field, size_t size, const char* text);
template <size_t N> void SetSettingText(char (&field)[N], const char* text) {
    SetSettingText(field, N, text);
}

// Where the values live: HKEY_LOCAL_MACHINE\SOFTWARE\Ostrivane\Ticker.
extern const char* const kSettingsKeyPath[3];

// Value names of the strings and numbers.
extern const char kStockSymbolsValue[];
extern const char kTickerSpeedValue[];
extern const char kPathValue[];
extern const char kNewsRefreshValue[];
extern const char kStoriesPerTopicValue[];
extern const char kLastStockUpdateValue[];
extern const char kUserIdValue[];
extern const char kPasswordValue[];
extern const char kAirportsValue[];

// Defaults of the strings and numbers.
extern const char kDefaultStockSymbols[];
extern const char kDefaultInstallPath[];
extern const char kFirstRunAirports[];
constexpr uint32_t kDefaultNewsRefresh = 15;
constexpr uint32_t kDefaultStoriesPerTopic = 10;
// "Ticker Speed" has no stored default; an absent value reads as the first-run speed.
constexpr uint32_t kDefaultScrollSpeed = 2;

// The range of each stored number: what its preferences page lets the user choose. Every
// number the store reads is brought into its range, the nearer bound taken for a value outside
// it (written by hand, or by an older build): "Ticker Speed" 0 reads as 1 and 9 as 4, "News
// Refresh" 0 as 10. A flag, any number without a row here, reads as 1 for every value but 0,
// so "Ticker Size" 3 is the large size. Colours are read as they stand.
struct SettingRange {
    const char* name;
    uint32_t lo, hi;
};
constexpr uint32_t kMinScrollSpeed = 1, kMaxScrollSpeed = 4;
constexpr uint32_t kMinRefreshMinutes = 10, kMaxRefreshMinutes = 60;
constexpr uint32_t kMinStoriesPerTopic = 3, kMaxStoriesPerTopic = 20;
constexpr int kSettingRangeCount = 3;
extern const SettingRange kSettingRanges[kSettingRangeCount];
uint32_t InSettingRange(const char* name, uint32_t value);

struct ColorSettingRow {
    int id;
    const char* name;
    ColorRole role;
    uint32_t defaultColor;
};

struct FlagSettingRow {
    int id;
    const char* name;
    uint32_t defaultValue;
};

extern const ColorSettingRow kColorSettings[kColorRoleCount];
extern const FlagSettingRow kFlagSettings[];
extern const int kFlagSettingCount;

// The row of a control id, or null for an id that is not in the table.
const ColorSettingRow* FindColorSetting(int id);
const FlagSettingRow* FindFlagSetting(int id);

// A store is new when none of the nine content flags (seven topics, quotes, weather) is set.
bool IsFreshStore(const TickerSettingsData& s);

// Width divisor for the "Ticker Size" flag: 3 normal, 2 large. Any nonzero value means large.
uint32_t WidthDivisorFor(uint32_t largeSize);
uint32_t RefreshPeriodMs(uint32_t minutes);
