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
// and are tried twice more; a server that does not answer for a minute is given up on. None
// when neither opens.
HINTERNET OpenInternet();

// A time that a piece of network work must not run past, on the system's millisecond tick
// (which wraps after 49 days, so only differences are compared).
struct Deadline {
    DWORD start;
    DWORD span;

    DWORD Left() const;  // milliseconds left; 0 once it has passed
    bool Passed() const { return Left() == 0; }
};
Deadline DeadlineIn(DWORD milliseconds);

// Where a reply goes as it arrives.
struct ReplySink {
    void* context;
    // Takes the next count bytes of the reply (1 to 50); false ends the reading there.
    bool (*take)(void* context, const char* bytes, size_t count);
    // Optional: told once the address is open, before anything is read; false reads nothing.
    bool (*opened)(void* context) = nullptr;
};

enum class UrlRead {
    kRead,       // read to the end of the reply (a failed read counts as its end), or as far as
                 // the sink wanted
    kNotOpened,  // the address could not be opened: no server there, or no such file
    kCut,        // the deadline passed, the program is ending (ProgramEnding), or the server
                 // stopped answering or broke the connection off: what arrived is not all
};

// Opens url on internet (no cache write, the extra headers given with their length) and hands
// its reply to sink as it arrives, at most 50 bytes at a time, until the reply ends, sink
// stops it, or the deadline passes; then closes the request. Only what has arrived is read, so
// a server that sends a byte at a time cannot hold a read past the deadline; a server that
// sends nothing at all is given up on at the deadline too (by the request's receive timeout,
// for http addresses, which is the one timeout Wine honours).
UrlRead ReadUrl(HINTERNET internet, const char* url, const char* headers, const ReplySink& sink,
                Deadline deadline);
