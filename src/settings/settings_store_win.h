// The settings store: one small operation per value. Each opens the settings key (creating
// it when missing), reads or writes exactly one value and closes the key again; none reports
// an error. A read that fails leaves its default (numbers, colours) or the caller's buffer
// (strings); a number that is read comes into its range (InSettingRange). Implemented over
// the registry.
//
// Thread rule: window thread, except WriteSettingString("Last Stock Update") and
// ReadSettingString("Airports"), which the feed worker calls. No handle is shared, so no lock
// is needed.
#pragma once
#include <cstdint>

void LoadStockSymbols();  // "Stock Symbols" into TickerSettings.stockSymbols, or the default
void SaveStockSymbols();  // writes stockSymbols as a 200-byte field

// Fills path (kPathField bytes) with "Path", or the default install folder.
void ReadInstallPath(char* path);

uint32_t ReadNewsRefresh();
void WriteNewsRefresh(uint32_t minutes);
uint32_t ReadStoriesPerTopic(int id);  // id: IDC_STORIES only
void WriteStoriesPerTopic(int id);     // writes TickerSettings.storiesPerTopic

// Named strings of kSettingString bytes ("Tamzo! User ID", "Tamzo! Password", "Airports",
// "Last Stock Update").
// A value that cannot be read leaves buf unchanged; buf must hold kSettingString bytes.
void ReadSettingString(const char* name, char* buf);
void WriteSettingString(const char* name, const char* text);

uint32_t ReadColorSetting(int id);
void WriteColorSetting(int id, uint32_t color);
uint32_t ReadFlagSetting(int id);
void WriteFlagSetting(int id, uint32_t value);

// Fills TickerSettings at window creation and seeds a new store.
void LoadAllSettings();
// Writes the first-run values when the store is new (see LoadAllSettings).
void SeedFirstRunDefaults();
