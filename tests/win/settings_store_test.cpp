// The settings store against Wine's real registry, with values that someone else wrote. What
// the store writes is checked where the preferences write it (tests/e2e/e2e_prefs.py).
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <cstring>

#include "feed/content_model.h"
#include "res/resource.h"
#include "settings/settings.h"
#include "settings/settings_store_win.h"

namespace {

const char kKey[] = "SOFTWARE\\Ostrivane\\Ticker";

class SettingsStore : public testing::Test {
  protected:
    void SetUp() override { SHDeleteKeyA(HKEY_LOCAL_MACHINE, kKey); }
    void TearDown() override { SHDeleteKeyA(HKEY_LOCAL_MACHINE, kKey); }

    static void SetRaw(const char* name, DWORD type, const void* data, DWORD size) {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &key, nullptr));
        RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }
};

// Values written by someone else can be anything: too long, unterminated, of another type.
TEST_F(SettingsStore, HostileValuesStayWithinTheirFields) {
    char huge[5000];
    std::memset(huge, 'X', sizeof huge);
    SetRaw("Tamzo! User ID", REG_SZ, huge, sizeof huge);  // no terminator, 50 times the field
    char user[kSettingString + 8];
    std::memset(user, '#', sizeof user);
    std::strcpy(user, "kept");
    ReadSettingString(kUserIdValue, user);
    EXPECT_STREQ("kept", user);            // too long: left as it was
    EXPECT_EQ('#', user[kSettingString]);  // and nothing written past the field

    SetRaw("Stock Symbols", REG_SZ, huge, 260);  // exactly the field, unterminated
    LoadStockSymbols();
    EXPECT_EQ(259u, std::strlen(TickerSettings.stockSymbols));

    SetRaw("Last Stock Update", REG_BINARY, huge, 100);
    ReadSettingString(kLastStockUpdateValue, LastUpdatedText);
    EXPECT_EQ(99u, std::strlen(LastUpdatedText));

    SetRaw("Ticker Speed", REG_SZ, "9", 2);  // wrong type: its bytes are read as a number
    EXPECT_EQ(4u, ReadFlagSetting(IDC_TICKER_SPEED));

    // Numbers written by hand or by an older build read as the nearest value their page
    // allows, a flag as on for anything but 0: what start-up and the ticker then use.
    using S = TickerSettingsData;
    const struct {
        const char* name;
        DWORD stored;
        uint32_t S::*field;
        uint32_t read;
    } kNumbers[] = {{"Ticker Speed", 0, &S::scrollSpeed, 1},
                    {"News Refresh", 0, &S::refreshMinutes, 10},
                    {"Stories per Topic", 99, &S::storiesPerTopic, 20},
                    {"US Headlines", 7, &S::showUS, 1}};
    for (const auto& n : kNumbers) SetRaw(n.name, REG_DWORD, &n.stored, sizeof n.stored);
    LoadAllSettings();
    for (const auto& n : kNumbers) EXPECT_EQ(n.read, TickerSettings.*n.field) << n.name;
}

}  // namespace
