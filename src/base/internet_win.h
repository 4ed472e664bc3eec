// Reaching the network: the one way the feed and the self-update check open the Internet and
// read a reply. Both run on the feed worker thread; each caller owns the handles it is given
// and closes them. Every request made by address goes through ReadUrl, so whatever limits one
// request as a whole (a deadline, a size cap) belongs there.
#pragma once
#include <windows.h>
#include <wininet.h>

#include <cstddef>

// An Internet handle under the ticker's agent name: the system's own Internet set-up first,
// the proxy the Navigator keeps only when that gives nothing. Its connects time out after 15 s
// and are tried twice more. None when neither opens.
HINTERNET OpenInternet();

// Where a reply goes as it arrives.
struct ReplySink {
    void* context;
    // Takes the next count bytes of the reply (1 to 50); false ends the reading there.
    bool (*take)(void* context, const char* bytes, size_t count);
    // Optional: told once the address is open, before anything is read; false reads nothing.
    bool (*opened)(void* context) = nullptr;
};

// Opens url on internet (no cache write, the extra headers given with their length) and hands
// its reply to sink 50 bytes at a time, until the reply ends, a read fails (taken as its end)
// or sink stops it; then closes the request. False when the address could not be opened.
bool ReadUrl(HINTERNET internet, const char* url, const char* headers, const ReplySink& sink);
