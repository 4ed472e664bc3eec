#include "base/internet_win.h"

#include <cstring>

#include "base/endpoints.h"
#include "base/text.h"

namespace {

constexpr DWORD kConnectTimeoutMs = 15000;
constexpr DWORD kConnectRetries = 2;
constexpr DWORD kReadPiece = 50;
constexpr size_t kProxyField = 260;

// The proxy of the Navigator's settings (taken whole) into proxy (kProxyField bytes); true when
// it is not empty. Its keys are opened one at a time, with full access, and nothing is created.
bool ReadNavigatorProxy(char* proxy) {
    static const char* const kPath[] = {".Default", "Software", "Netscape", "Netscape Navigator",
                                        "Proxy Information"};
    HKEY keys[5] = {};
    int opened = 0;
    for (HKEY parent = HKEY_USERS; opened < 5; parent = keys[opened++])
        if (RegOpenKeyExA(parent, kPath[opened], 0, KEY_ALL_ACCESS, &keys[opened]) != ERROR_SUCCESS)
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

}  // namespace

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
    return internet;
}

bool ReadUrl(HINTERNET internet, const char* url, const char* headers, const ReplySink& sink) {
    HINTERNET request =
        InternetOpenUrlA(internet, url, headers, static_cast<DWORD>(std::strlen(headers)),
                         INTERNET_FLAG_NO_CACHE_WRITE, 0);
    if (!request) return false;
    char piece[kReadPiece];
    bool reading = !sink.opened || sink.opened(sink.context);
    for (DWORD read = 0; reading && InternetReadFile(request, piece, sizeof piece, &read) && read;)
        reading = sink.take(sink.context, piece, read < sizeof piece ? read : sizeof piece);
    InternetCloseHandle(request);
    return true;
}
