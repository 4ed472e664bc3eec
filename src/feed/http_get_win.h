// One blocking HTTP GET over WinINet: the only place the feed opens and reads a request.
// Feed worker thread only; it may wait on the network for as long as WinINet lets it.
#pragma once
#include <windows.h>
#include <wininet.h>

#include <cstddef>

struct HttpReply {
    bool opened;    // false: the address could not be opened, nothing was read
    size_t length;  // bytes read into the buffer
    bool full;      // the buffer filled up before the reply ended
};

// Opens url on the Internet handle (no cache write, context 0, the extra headers given with
// their length) and reads the reply 50 bytes at a time into buffer from its start, then ends
// it with a zero byte and closes the request. A failed read is taken as the end of the data.
// At most size - 1 bytes are read: the zero always has its place.
HttpReply HttpGet(HINTERNET internet, const char* url, const char* headers, char* buffer,
                  size_t size);
