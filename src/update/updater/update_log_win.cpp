#include "update/updater/update_log_win.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

#include "base/text.h"
#include "update/update_rules.h"

namespace {

// A log that has grown past this goes to "update.log.1" (replacing the one before) and a new
// one begins: the history of the last few updates stays, and the two files stay small.
constexpr DWORD kLogLimit = 64 * 1024;

char LogPath[kInstallFileSize];

}  // namespace

void OpenUpdateLog(const char* folder) {
    char old[kInstallFileSize];
    if (!JoinInstallPath(LogPath, sizeof LogPath, folder, kUpdateLogFile) ||
        !JoinInstallPath(old, sizeof old, folder, kOldUpdateLogFile))
        return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(LogPath, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    FindClose(search);
    if (found.nFileSizeHigh == 0 && found.nFileSizeLow <= kLogLimit) return;
    DeleteFileA(old);
    MoveFileA(LogPath, old);
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
