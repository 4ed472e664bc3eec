// The two addresses a refresh asks the portal for: the account login and the content request
// with its query string. Plain text building over the settings; no escaping, by design: the
// portal takes the values exactly as the user typed them.
#pragma once
#include <cstddef>

#include "settings/settings.h"

constexpr size_t kRequestAddressSize = 500;
constexpr size_t kLoginAddressSize = 200;

// The content address: the portal's update page and, unless the user logs in to a personal
// account, the query that names the symbols, airports, stories per topic and topics. airports
// is the "Airports" value as read at this refresh. Writes at most size - 1 characters and a
// zero into address; returns the length. An address that does not fit is cut at the end of the
// buffer: the portal still answers the part of the query it got, which is more use to the user
// than no refresh at all.
size_t BuildContentAddress(char* address, size_t size, const TickerSettingsData& settings,
                           const char* airports);

// The login address for userId and password. Returns false, leaving address empty, when the
// whole address does not fit in size bytes: a cut password can never log in, so no request is
// better than a wrong one (the caller reports it as a failed login).
bool BuildLoginAddress(char* address, size_t size, const char* userId, const char* password);
