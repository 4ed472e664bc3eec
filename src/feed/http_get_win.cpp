#include "feed/http_get_win.h"

#include <cstring>

namespace {

constexpr DWORD kReadPiece = 50;

}  // namespace

HttpReply HttpGet(HINTERNET internet, const char* url, const char* headers, char* buffer,
                  size_t size) {
    HttpReply reply = {false, 0, false};
    if (size == 0) return reply;
    buffer[0] = 0;
    HINTERNET request =
        InternetOpenUrlA(internet, url, headers, static_cast<DWORD>(std::strlen(headers)),
                         INTERNET_FLAG_NO_CACHE_WRITE, 0);
    if (!request) return reply;
    reply.opened = true;

    // A reply larger than the buffer is cut where the buffer ends: reading stops, the request
    // is closed and what arrived is used. A feed that size is far more than the strip can show.
    for (;;) {
        size_t room = size - 1 - reply.length;
        if (room == 0) {
            reply.full = true;
            break;
        }
        DWORD piece = room < kReadPiece ? static_cast<DWORD>(room) : kReadPiece;
        DWORD read = 0;
        if (!InternetReadFile(request, buffer + reply.length, piece, &read) || read == 0) break;
        reply.length += read < piece ? read : piece;
    }
    buffer[reply.length] = 0;
    InternetCloseHandle(request);
    return reply;
}
