#include "settings/proxy_win.h"

#include <windows.h>

bool ReadNavigatorProxy(char* proxy) {
    static const char* const kPath[] = {"Software", "Netscape", "Netscape Navigator",
                                        "Proxy Information"};
    HKEY keys[5] = {};
    int opened = 0;
    if (RegOpenKeyExA(HKEY_USERS, ".Default", 0, KEY_ALL_ACCESS, &keys[0]) != ERROR_SUCCESS)
        return false;
    opened = 1;
    for (const char* name : kPath) {
        if (RegOpenKeyExA(keys[opened - 1], name, 0, KEY_ALL_ACCESS, &keys[opened]) !=
            ERROR_SUCCESS)
            break;
        ++opened;
    }
    bool found = false;
    if (opened == 5) {
        char value[kProxyField];
        DWORD size = sizeof value;
        if (RegQueryValueExA(keys[4], nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value),
                             &size) == ERROR_SUCCESS) {
            if (size >= sizeof value) size = sizeof value - 1;
            value[size] = 0;
            found = value[0] != 0;
            if (found) lstrcpynA(proxy, value, kProxyField);
        }
    }
    while (opened > 0) RegCloseKey(keys[--opened]);
    return found;
}
