// Registry command of the probe: reg (every value of a key). Single-threaded; the key is only
// read.
#include "json_line.h"
#include "probe_commands.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const size_t kMaxValueName = 16384;

struct RootName {
    const char* shortName;
    const char* longName;
    HKEY key;
};

const RootName kRoots[] = {
    {"HKLM", "HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {"HKCU", "HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKU", "HKEY_USERS", HKEY_USERS},
    {"HKCR", "HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
    {"HKCC", "HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
};

struct TypeName {
    DWORD type;
    const char* name;
};

const TypeName kTypes[] = {
    {REG_SZ, "REG_SZ"},
    {REG_EXPAND_SZ, "REG_EXPAND_SZ"},
    {REG_BINARY, "REG_BINARY"},
    {REG_DWORD, "REG_DWORD"},
};

// Opens "ROOT\sub\key" for reading; returns nullptr if the root is unknown or the key missing.
HKEY OpenKey(const char* path) {
    const char* slash = std::strchr(path, '\\');
    const size_t rootLength = slash ? static_cast<size_t>(slash - path) : std::strlen(path);
    for (const RootName& root : kRoots) {
        if ((std::strlen(root.shortName) != rootLength ||
             _strnicmp(path, root.shortName, rootLength) != 0) &&
            (std::strlen(root.longName) != rootLength ||
             _strnicmp(path, root.longName, rootLength) != 0))
            continue;
        HKEY key = nullptr;
        const char* subKey = slash ? slash + 1 : "";
        if (RegOpenKeyExA(root.key, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return nullptr;
        return key;
    }
    return nullptr;
}

std::string TypeText(DWORD type) {
    for (const TypeName& t : kTypes)
        if (t.type == type) return t.name;
    return "REG_TYPE_" + std::to_string(type);
}

std::string HexText(const BYTE* data, DWORD length) {
    std::string out = "\"";
    char pair[4];
    for (DWORD i = 0; i < length; ++i) {
        std::snprintf(pair, sizeof(pair), "%02x", data[i]);
        out += pair;
    }
    return out + "\"";
}

// String data up to its first zero byte (or the end of the data).
std::string StringText(const BYTE* data, DWORD length) {
    const char* text = reinterpret_cast<const char*>(data);
    const void* zero = std::memchr(text, '\0', length);
    const size_t size = zero ? static_cast<size_t>(static_cast<const char*>(zero) - text) : length;
    return JsonLine::Quote(text, size);
}

std::string DataText(DWORD type, const BYTE* data, DWORD length) {
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: return StringText(data, length);
    case REG_DWORD:
        if (length != sizeof(DWORD)) break;
        return std::to_string(*reinterpret_cast<const DWORD*>(data));
    default: break;
    }
    return HexText(data, length);
}

int MissingKey(const char* path) {
    JsonLine().Add("error", "no such key").Add("key", path).Print();
    return 1;
}

}  // namespace

int CmdReg(int, char** argv) {
    HKEY key = OpenKey(argv[0]);
    if (!key) return MissingKey(argv[0]);
    DWORD maxName = 0, maxData = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName,
                     &maxData, nullptr, nullptr);
    std::vector<char> name(maxName + 2);
    std::vector<BYTE> data(maxData + 2);
    int retries = 0;
    for (DWORD index = 0;;) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataLength = static_cast<DWORD>(data.size());
        DWORD type = 0;
        const LONG status = RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &type,
                                          data.data(), &dataLength);
        if (status == ERROR_MORE_DATA && retries < 4) {  // a value grew meanwhile: make room
            ++retries;
            name.resize(kMaxValueName);
            data.resize(data.size() * 4);
            continue;
        }
        if (status != ERROR_SUCCESS) break;
        retries = 0;
        JsonLine()
            .Add("name", std::string(name.data(), nameLength))
            .Add("type", TypeText(type))
            .Add("length", static_cast<long long>(dataLength))
            .AddRaw("data", DataText(type, data.data(), dataLength))
            .Print();
        ++index;
    }
    RegCloseKey(key);
    return 0;
}
