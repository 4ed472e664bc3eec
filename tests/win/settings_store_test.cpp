// The settings store against Wine's real registry.
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

    static bool RawValue(const char* name, DWORD* type, BYTE* data, DWORD* size) {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        LONG rc = RegQueryValueExA(key, name, nullptr, type, data, size);
        RegCloseKey(key);
        return rc == ERROR_SUCCESS;
    }

    static void SetRaw(const char* name, DWORD type, const void* data, DWORD size) {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &key, nullptr));
        RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }
};

TEST_F(SettingsStore, AbsentValuesReadAsTheirDefaults) {
    EXPECT_EQ(Rgb(255, 255, 0), ReadColorSetting(IDC_COLOR_QUOTE_NC));
    EXPECT_EQ(Rgb(0, 0, 0), ReadColorSetting(IDC_COLOR_BACKGROUND));
    EXPECT_EQ(0u, ReadFlagSetting(IDC_WORLD));
    EXPECT_EQ(15u, ReadNewsRefresh());
    EXPECT_EQ(10u, ReadStoriesPerTopic(IDC_STORIES));

    std::strcpy(TickerSettings.stockSymbols, "junk");
    LoadStockSymbols();
    EXPECT_STREQ("^DJI+^SPC+^IXIC+^XAM+IBM+INTC+MSFT", TickerSettings.stockSymbols);

    char path[kPathField];
    ReadInstallPath(path);
    EXPECT_STREQ("c:\\progra~1\\tamzo!", path);

    char buf[kSettingString] = "unchanged";
    ReadSettingString(kUserIdValue, buf);
    EXPECT_STREQ("unchanged", buf);
}

TEST_F(SettingsStore, ShortSymbolListIsAFullFieldAndReadsBackShort) {
    std::strcpy(TickerSettings.stockSymbols, "IBM+T");
    SaveStockSymbols();
    DWORD type = 0, size = 512;
    BYTE data[512];
    ASSERT_TRUE(RawValue("Stock Symbols", &type, data, &size));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(200u, size);
    TickerSettings.stockSymbols[0] = 0;
    LoadStockSymbols();
    EXPECT_STREQ("IBM+T", TickerSettings.stockSymbols);
}

TEST_F(SettingsStore, StringsAndNumbersRoundTrip) {
    WriteSettingString(kPasswordValue, "pa55 word");
    char buf[kSettingString] = {};
    ReadSettingString(kPasswordValue, buf);
    EXPECT_STREQ("pa55 word", buf);
    DWORD type = 0, size = 512;
    BYTE raw[512];
    ASSERT_TRUE(RawValue("Tamzo! Password", &type, raw, &size));
    EXPECT_EQ(100u, size);

    WriteColorSetting(IDC_COLOR_SPORTS, Rgb(1, 2, 3));
    EXPECT_EQ(Rgb(1, 2, 3), ReadColorSetting(IDC_COLOR_SPORTS));
    WriteFlagSetting(IDC_BOLD_FONT, 1);
    EXPECT_EQ(1u, ReadFlagSetting(IDC_BOLD_FONT));
}

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

    SetRaw("Ticker Speed", REG_SZ, "9", 2);  // wrong type: its bytes are read as they are
    EXPECT_LE(ClampScrollSpeed(ReadFlagSetting(IDC_TICKER_SPEED)), 4u);
}

}  // namespace
