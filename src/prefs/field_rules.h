// What the preferences pages make of text the user typed: the airport list and the two
// numbers that have a fixed range. Plain text in, plain values out.
#pragma once
#include <cstdint>

#include "settings/settings.h"

// The airport list as the feed request wants it, changed in place in one pass: a space
// becomes ",", any other byte below 0x20 or from 0x80 up becomes a space (and stays one).
// "JFK SFO" becomes "JFK,SFO". Upper case is the edit box's business, not this one's.
void NormaliseAirports(char* text);

// A number typed into an edit box whose up-down control allows lo..hi. A number outside the
// range is taken as the nearer bound, so "75" minutes is 60 and "0" stories is 3. Text that
// is no number at all (empty, letters, "12abc") is taken as lo: nothing typed counts as the
// least the setting allows. Spaces around the digits and a leading "+" or "-" are accepted.
uint32_t TypedNumberInRange(const char* text, uint32_t lo, uint32_t hi);

// The ranges of the refresh period and of the stories are those of the store (settings.h).
// The account's user id and password are kept to this many characters.
constexpr int kMaxAccountText = 19;
// The News & Colors page takes this many characters of airports; the store keeps 99.
constexpr int kMaxTypedAirports = 299;
