#include "base/internet_win.h"

#include <cstring>

#include "base/endpoints.h"
#include "base/program_win.h"
#include "base/text.h"

namespace {

constexpr DWORD kConnectTimeoutMs = 15000;
constexpr DWORD kConnectRetries = 2;
// Every wait for a server's answer on the handle, where the system honours it there (Windows
// does, for its FTP too; Wine only on an http request, where ReadUrl sets it itself).
constexpr DWORD kAnswerTimeoutMs = 60000;
constexpr DWORD kReadPiece = 50;
constexpr size_t kProxyField = 260;
// Room for a request's host, and for its path and query: the feed's addresses are at most 500
// characters, the login's 200.
constexpr DWORD kHostField = INTERNET_MAX_HOST_NAME_LENGTH + 1;
constexpr DWORD kObjectField = 1024;

// The proxy of the Navigator's settings (taken whole) into proxy (kProxyField bytes); true when
// it is not empty. Its keys are opened one at a time, for reading only (a user who may not
// change them may still read them), and nothing is created.
bool ReadNavigatorProxy(char* proxy) {
    static const char* const kPath[] = {".Default", "Software", "Netscape", "Netscape Navigator",
                                        "Proxy Information"};
    HKEY keys[5] = {};
    int opened = 0;
    for (HKEY parent = HKEY_USERS; opened < 5; parent = keys[opened++])
        if (RegOpenKeyExA(parent, kPath[opened], 0, KEY_READ, &keys[opened]) != ERROR_SUCCESS)
            break;
    bool found = false;
    if (opened == 5) {
        char value[kProxyField];
        DWORD size = sizeof value;
        if (RegQueryValueExA(keys[4], nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value),
                             &size) == ERROR_SUCCESS) {
            value[size < sizeof value ? size : sizeof value - 1] = 0;
            found = CopyText(proxy, kProxyField, value) > 0;
        }
    }
    while (opened > 0) RegCloseKey(keys[--opened]);
    return found;
}

void SetDwordOption(HINTERNET internet, DWORD option, DWORD value) {
    InternetSetOptionA(internet, option, &value, sizeof value);
}

bool Interrupted(const Deadline& deadline) { return ProgramEnding || deadline.Passed(); }

// Errors of a server that was reached but stopped answering or broke the exchange off. Wine
// gives a request whose receive timeout ran out before the reply's headers "connection
// aborted", and a read whose timeout ran out the socket's own "timed out".
bool BrokenOff(DWORD error) {
    return error == ERROR_INTERNET_TIMEOUT || error == ERROR_INTERNET_CONNECTION_ABORTED ||
           error == ERROR_INTERNET_CONNECTION_RESET || error == WSAETIMEDOUT;
}

// An http address, sent as InternetOpenUrlA sends it, but on a request whose send and receive
// timeouts are what is left of the deadline: Wine ignores every timeout but these two, and
// these only when set on a request before it is sent. *error is set when none was opened.
HINTERNET OpenHttp(HINTERNET internet, const char* url, const char* headers,
                   const Deadline& deadline, HINTERNET* connection, DWORD* error) {
    char host[kHostField], object[kObjectField], query[kObjectField];
    URL_COMPONENTSA parts = {};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof host;
    parts.lpszUrlPath = object;
    parts.dwUrlPathLength = sizeof object;
    parts.lpszExtraInfo = query;
    parts.dwExtraInfoLength = sizeof query;
    *error = ERROR_INTERNET_INVALID_URL;
    if (!InternetCrackUrlA(url, 0, 0, &parts) || AppendText(object, query) >= sizeof object - 1)
        return nullptr;
    *connection = InternetConnectA(internet, host, parts.nPort, nullptr, nullptr,
                                   INTERNET_SERVICE_HTTP, 0, 0);
    static const char* kAcceptAny[] = {"*/*", nullptr};  // as InternetOpenUrlA asks
    HINTERNET request = *connection ? HttpOpenRequestA(*connection, "GET", object, nullptr, nullptr,
                                                       kAcceptAny, INTERNET_FLAG_NO_CACHE_WRITE, 0)
                                    : nullptr;
    if (request) {
        const DWORD left = deadline.Left() ? deadline.Left() : 1;  // 0 would mean never
        SetDwordOption(request, INTERNET_OPTION_SEND_TIMEOUT, left);
        SetDwordOption(request, INTERNET_OPTION_RECEIVE_TIMEOUT, left);
        // Added, not given to the send, which would let each line replace the one before it
        // under the same name (Wine): so the headers go out as InternetOpenUrlA sends them.
        HttpAddRequestHeadersA(request, headers, static_cast<DWORD>(std::strlen(headers)),
                               HTTP_ADDREQ_FLAG_ADD);
        if (HttpSendRequestA(request, nullptr, 0, nullptr, 0)) return request;
    }
    *error = GetLastError();
    if (request) InternetCloseHandle(request);
    return nullptr;
}

// Reads what has arrived, piece by piece, until the reply ends, sink stops or the deadline
// passes. A read for more than has arrived waits until all of it comes, which a server that
// sends a byte at a time would stretch past any deadline, so each read asks only for what
// InternetQueryDataAvailable says is there.
UrlRead ReadReply(HINTERNET request, const ReplySink& sink, const Deadline& deadline) {
    char piece[kReadPiece];
    if (sink.opened && !sink.opened(sink.context)) return UrlRead::kRead;
    for (;;) {
        if (Interrupted(deadline)) return UrlRead::kCut;
        DWORD available = 0, read = 0;
        if (!InternetQueryDataAvailable(request, &available, 0, 0) ||
            !InternetReadFile(request, piece, available < kReadPiece ? available : kReadPiece,
                              &read))
            return BrokenOff(GetLastError()) || Interrupted(deadline) ? UrlRead::kCut
                                                                      : UrlRead::kRead;
        if (read == 0 || !sink.take(sink.context, piece, read)) return UrlRead::kRead;
    }
}

}  // namespace

DWORD Deadline::Left() const {
    const DWORD used = GetTickCount() - start;
    return used < span ? span - used : 0;
}

Deadline DeadlineIn(DWORD milliseconds) { return Deadline{GetTickCount(), milliseconds}; }

HINTERNET OpenInternet() {
    HINTERNET internet =
        InternetOpenA(kInternetAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!internet) {
        char proxy[kProxyField];
        if (!ReadNavigatorProxy(proxy)) return nullptr;
        internet = InternetOpenA(kInternetAgent, INTERNET_OPEN_TYPE_PROXY, proxy, nullptr, 0);
        if (!internet) return nullptr;
    }
    SetDwordOption(internet, INTERNET_OPTION_CONNECT_TIMEOUT, kConnectTimeoutMs);
    SetDwordOption(internet, INTERNET_OPTION_CONNECT_RETRIES, kConnectRetries);
    SetDwordOption(internet, INTERNET_OPTION_SEND_TIMEOUT, kAnswerTimeoutMs);
    SetDwordOption(internet, INTERNET_OPTION_RECEIVE_TIMEOUT, kAnswerTimeoutMs);
    return internet;
}

UrlRead ReadUrl(HINTERNET internet, const char* url, const char* headers, const ReplySink& sink,
                Deadline deadline) {
    if (Interrupted(deadline)) return UrlRead::kCut;
    HINTERNET connection = nullptr, request = nullptr;
    DWORD error = 0;
    if (std::strncmp(url, "http://", 7) == 0) {
        request = OpenHttp(internet, url, headers, deadline, &connection, &error);
    } else {
        request = InternetOpenUrlA(internet, url, headers, static_cast<DWORD>(std::strlen(headers)),
                                   INTERNET_FLAG_NO_CACHE_WRITE, 0);
        if (!request) error = GetLastError();
    }
    UrlRead result = UrlRead::kNotOpened;
    if (request) {
        result = ReadReply(request, sink, deadline);
        InternetCloseHandle(request);
    } else if (BrokenOff(error) || Interrupted(deadline)) {
        result = UrlRead::kCut;
    }
    if (connection) InternetCloseHandle(connection);
    return result;
}
