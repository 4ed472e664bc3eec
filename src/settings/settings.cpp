#include "settings/settings.h"

#include <cstring>
#include <mutex>

#include "base/text.h"
#include "res/resource.h"

TickerSettingsData TickerSettings;

namespace {
std::mutex SettingsTextLock;  // held for one copy of a text field or of the whole record
}  // namespace

TickerSettingsData SnapshotSettings() {
    TickerSettingsData s;
    {
        std::lock_guard<std::mutex> hold(SettingsTextLock);
        s = TickerSettings;
    }
    s.stockSymbols[sizeof s.stockSymbols - 1] = 0;
    s.userId[sizeof s.userId - 1] = 0;
    s.password[sizeof s.password - 1] = 0;
    s.airports[sizeof s.airports - 1] = 0;
    return s;
}

void SetSettingText(char* field, size_t size, const char* text) {
    std::lock_guard<std::mutex> hold(SettingsTextLock);
    CopyText(field, size, text);
}

const char* const kSettingsKeyPath[3] = {"SOFTWARE", "Ostrivane", "Ticker"};

const char kStockSymbolsValue[] = "Stock Symbols";
const char kTickerSpeedValue[] = "Ticker Speed";
const char kPathValue[] = "Path";
const char kNewsRefreshValue[] = "News Refresh";
const char kStoriesPerTopicValue[] = "Stories per Topic";
const char kLastStockUpdateValue[] = "Last Stock Update";
const char kUserIdValue[] = "Tamzo! User ID";
const char kPasswordValue[] = "Tamzo! Password";
const char kAirportsValue[] = "Airports";

const char kDefaultStockSymbols[] = "^DJI+^SPC+^IXIC+^XAM+IBM+INTC+MSFT";
const char kDefaultInstallPath[] = "c:\\progra~1\\tamzo!";
const char kFirstRunAirports[] = "JFK,SFO,LAX";

const ColorSettingRow kColorSettings[kColorRoleCount] = {
    {IDC_COLOR_US, "US Headlines Color", kUsColor, Rgb(255, 255, 0)},
    {IDC_COLOR_WORLD, "World Headlines Color", kWorldColor, Rgb(0, 255, 255)},
    {IDC_COLOR_BUSINESS, "Business Headlines Color", kBusinessColor, Rgb(0, 255, 0)},
    {IDC_COLOR_POLITICS, "Politics Headlines Color", kPoliticsColor, Rgb(0, 0, 255)},
    {IDC_COLOR_SPORTS, "Sports Headlines Color", kSportsColor, Rgb(255, 0, 0)},
    {IDC_COLOR_ENTERTAINMENT, "Entertainment Headlines Color", kEntertainmentColor,
     Rgb(255, 0, 255)},
    {IDC_COLOR_TECHNOLOGY, "Technology Headlines Color", kTechnologyColor, Rgb(0, 255, 255)},
    {IDC_COLOR_QUOTE_UP, "Quote UP Color", kQuoteUpColor, Rgb(0, 255, 0)},
    {IDC_COLOR_QUOTE_DOWN, "Quote DOWN Color", kQuoteDownColor, Rgb(255, 0, 0)},
    {IDC_COLOR_QUOTE_NC, "Quote NC Color", kQuoteNcColor, Rgb(255, 255, 0)},
    {IDC_COLOR_SYMBOL, "SYMBOL Color", kSymbolColor, Rgb(255, 255, 255)},
    {IDC_COLOR_BACKGROUND, "Ticker Background Color", kBackgroundColor, Rgb(0, 0, 0)},
};

const FlagSettingRow kFlagSettings[] = {
    {IDC_TICKER_SPEED, kTickerSpeedValue, kDefaultScrollSpeed},
    {IDC_MY_TAMZO, "My Tamzo!", 0},
    {IDC_FAHRENHEIT, "Temperature System", 0},
    {IDC_WORLD, "World Headlines", 0},
    {IDC_SPORTS, "Sports Headlines", 0},
    {IDC_ENTERTAINMENT, "Entertainment Headlines", 0},
    {IDC_BUSINESS, "Business Headlines", 0},
    {IDC_US, "US Headlines", 0},
    {IDC_POLITICS, "Politics Headlines", 0},
    {IDC_QUOTES, "Stock Quotes", 0},
    {IDC_TECHNOLOGY, "Technology Headlines", 0},
    {IDC_WEATHER, "Weather", 0},
    {IDC_BOLD_FONT, "Bold Font", 0},
    {IDC_SCREEN_SAVER, "Show in Screen Saver", 0},
    {IDC_LARGE_SIZE, "Ticker Size", 0},
    {IDC_MY_TAMZO_ONLY, "My Tamzo Only", 0},
};
const int kFlagSettingCount = sizeof kFlagSettings / sizeof kFlagSettings[0];

const ColorSettingRow* FindColorSetting(int id) {
    for (const ColorSettingRow& row : kColorSettings)
        if (row.id == id) return &row;
    return nullptr;
}

const FlagSettingRow* FindFlagSetting(int id) {
    for (const FlagSettingRow& row : kFlagSettings)
        if (row.id == id) return &row;
    return nullptr;
}

bool IsFreshStore(const TickerSettingsData& s) {
    return !(s.showUS || s.showWorld || s.showBusiness || s.showPolitics || s.showTechnology ||
             s.showSports || s.showEntertainment || s.showQuotes || s.showWeather);
}

const SettingRange kSettingRanges[kSettingRangeCount] = {
    {kTickerSpeedValue, kMinScrollSpeed, kMaxScrollSpeed},
    {kNewsRefreshValue, kMinRefreshMinutes, kMaxRefreshMinutes},
    {kStoriesPerTopicValue, kMinStoriesPerTopic, kMaxStoriesPerTopic},
};

uint32_t InSettingRange(const char* name, uint32_t value) {
    uint32_t lo = 0, hi = 1;  // a flag
    for (const SettingRange& range : kSettingRanges)
        if (std::strcmp(range.name, name) == 0) lo = range.lo, hi = range.hi;
    return value < lo ? lo : value > hi ? hi : value;
}

uint32_t WidthDivisorFor(uint32_t largeSize) { return largeSize ? 2 : 3; }

// The minutes are in range (InSettingRange), so the period stays far below 2^32.
uint32_t RefreshPeriodMs(uint32_t minutes) { return minutes * 60000u; }
