// JSON line writer of the probe (single-threaded).
#include "json_line.h"

#include <cstdio>
#include <cstring>
#include <vector>

void JsonLine::Key(const char* key) {
    if (!body_.empty()) body_ += ',';
    body_ += Quote(key, std::strlen(key));
    body_ += ':';
}

JsonLine& JsonLine::Add(const char* key, long long value) {
    Key(key);
    body_ += std::to_string(value);
    return *this;
}

JsonLine& JsonLine::Add(const char* key, bool value) {
    Key(key);
    body_ += value ? "true" : "false";
    return *this;
}

JsonLine& JsonLine::Add(const char* key, const char* text) {
    Key(key);
    body_ += Quote(text, std::strlen(text));
    return *this;
}

JsonLine& JsonLine::AddHex(const char* key, unsigned long long value) {
    char buffer[32];
    std::snprintf(buffer, sizeof(buffer), "0x%08llx", value);
    return Add(key, buffer);
}

JsonLine& JsonLine::AddHandle(const char* key, HWND window) {
    return AddHex(key, static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
}

JsonLine& JsonLine::AddRect(const char* key, const RECT& rc) {
    Key(key);
    body_ += "[" + std::to_string(rc.left) + "," + std::to_string(rc.top) + "," +
             std::to_string(rc.right) + "," + std::to_string(rc.bottom) + "]";
    return *this;
}

JsonLine& JsonLine::AddRaw(const char* key, const std::string& json) {
    Key(key);
    body_ += json;
    return *this;
}

void JsonLine::Print() const {
    const std::string text = Text();
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::string JsonLine::Quote(const char* text, size_t length) {
    std::string out = "\"";
    if (length == 0) return out + "\"";
    const int limit = length > 0x100000 ? 0x100000 : static_cast<int>(length);
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, text, limit, nullptr, 0);
    std::vector<WCHAR> wide(wideLength > 0 ? wideLength : 1);
    if (wideLength > 0) MultiByteToWideChar(CP_ACP, 0, text, limit, wide.data(), wideLength);
    for (int i = 0; i < wideLength; ++i) {
        const unsigned code = wide[i];
        if (code == '"' || code == '\\') {
            out += '\\';
            out += static_cast<char>(code);
        } else if (code >= 0x20 && code < 0x7F) {
            out += static_cast<char>(code);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof(escape), "\\u%04x", code);
            out += escape;
        }
    }
    return out + "\"";
}
