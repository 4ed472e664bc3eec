#include "update/updater/update_log_win.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

#include "base/text.h"
#include "update/update_rules.h"

namespace {

// A log that has grown past this starts afresh: it is there to explain the last few updates.
constexpr DWORD kLogLimit = 64 * 1024;

char LogPath[kInstallFileSize];

}  // namespace

void OpenUpdateLog(const char* folder) {
    if (!JoinInstallPath(LogPath, sizeof LogPath, folder, kUpdateLogFile)) return;
    HANDLE file = CreateFileA(LogPath, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    if (GetFileSize(file, nullptr) > kLogLimit) SetEndOfFile(file);
    CloseHandle(file);
}

void LogLine(const char* format, ...) {
    if (!LogPath[0]) return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    char line[512];
    int used = std::snprintf(line, sizeof line, "%04u-%02u-%02u %02u:%02u:%02u  ", now.wYear,
                             now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
    va_list args;
    va_start(args, format);
    std::vsnprintf(line + used, sizeof line - used - 2, format, args);
    va_end(args);
    AppendText(line, "\r\n");

    HANDLE file = CreateFileA(LogPath, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    SetFilePointer(file, 0, nullptr, FILE_END);
    DWORD written = 0;
    WriteFile(file, line, lstrlenA(line), &written, nullptr);
    CloseHandle(file);
}
