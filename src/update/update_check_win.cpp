// Self-update check. Runs on the feed worker thread, inside FeedLock, once a run: the worker
// calls it at the start of its first refresh, so nothing else talks to the network meanwhile
// and the window thread goes on scrolling. It opens and closes its own Internet handle and
// owns nothing that outlives the call; the only message it sends the window thread is the
// final WM_TICKER_CLOSE, synchronously, after the updater has started.
#include "update/update_check_win.h"

#include <wininet.h>
#include <lzexpand.h>

#include "base/endpoints.h"
#include "base/messages.h"
#include "display/banner_win.h"
#include "display/banners.h"
#include "settings/proxy_win.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "update/update_rules.h"

namespace {

constexpr DWORD kConnectTimeoutMs = 15000;
constexpr DWORD kConnectRetries = 2;
constexpr DWORD kDownloadBufferSize = 300000;
constexpr DWORD kDownloadReadSize = 50;
// Exactly as the ticker has always sent them, doubled slashes included.
constexpr char kDownloadHeaders[] = "Accept: text//plain\r\nAccept: text//html\r\n\r\n";
constexpr char kCreateFailedCaption[] = "Failed to Create Temp File";
// A result of WinExec above this means the program started.
constexpr UINT kWinExecStarted = 31;

FileStamp StampOf(const FILETIME& time) {
    return FileStamp{time.dwLowDateTime, time.dwHighDateTime};
}

// Last-write time of the installed program, in local time. False when it cannot be opened,
// which ends the check before it touches the network.
bool ReadLocalBuildTime(const char* program, FILETIME* localTime) {
    HANDLE file = CreateFileA(program, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    FILETIME written = {};
    const bool read = GetFileTime(file, nullptr, nullptr, &written) != FALSE;
    CloseHandle(file);
    return read && FileTimeToLocalFileTime(&written, localTime);
}

// The system's own Internet set-up first; the browser's proxy only when that gives nothing.
HINTERNET OpenUpdateInternet() {
    HINTERNET internet =
        InternetOpenA(kInternetAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (internet) return internet;
    char proxy[kProxyField] = "";
    if (!ReadNavigatorProxy(proxy)) return nullptr;
    return InternetOpenA(kInternetAgent, INTERNET_OPEN_TYPE_PROXY, proxy, nullptr, 0);
}

void SetConnectLimits(HINTERNET internet) {
    DWORD timeout = kConnectTimeoutMs, retries = kConnectRetries;
    InternetSetOptionA(internet, INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof timeout);
    InternetSetOptionA(internet, INTERNET_OPTION_CONNECT_RETRIES, &retries, sizeof retries);
}

// The listing time of the update file on the server, as the listing gives it (no zone is
// applied: the server's clock is compared as is with our local time).
bool ReadServerBuildTime(HINTERNET internet, FILETIME* serverTime) {
    HINTERNET ftp =
        InternetConnectA(internet, kUpdateHost, INTERNET_DEFAULT_FTP_PORT, kUpdateUser,
                         kSupportAddress, INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0);
    if (!ftp) return false;
    bool found = false;
    if (FtpSetCurrentDirectoryA(ftp, kUpdateDirectory)) {
        WIN32_FIND_DATAA entry = {};
        HINTERNET search = FtpFindFirstFileA(ftp, kUpdateFileName, &entry, INTERNET_FLAG_RELOAD, 0);
        if (search) {
            *serverTime = entry.ftLastWriteTime;
            found = true;
            InternetCloseHandle(search);
        }
    }
    InternetCloseHandle(ftp);
    return found;
}

// Reads url into buffer, 50 bytes at a time, and writes every byte read to fileName (when it
// can be created). The buffer is a window, not a container: a download larger than the buffer
// starts again at its beginning, so nothing is ever written past its end and an update of any
// size still reaches the file whole. We stream rather than refuse because the file on disk is
// all the expansion needs, and a build outgrowing the buffer must not end self-update for good.
void DownloadToFile(HINTERNET internet, const char* url, char* buffer, DWORD bufferSize,
                    const char* fileName) {
    HINTERNET request =
        InternetOpenUrlA(internet, url, kDownloadHeaders, sizeof kDownloadHeaders - 1,
                         INTERNET_FLAG_NO_CACHE_WRITE, 0);
    if (!request) return;
    HANDLE file = INVALID_HANDLE_VALUE;
    if (fileName) {
        file = CreateFileA(fileName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            MessageBoxA(nullptr, fileName, kCreateFailedCaption, MB_OK);
    }
    DWORD place = 0;
    for (;;) {
        DWORD room = bufferSize - place;
        if (room > kDownloadReadSize) room = kDownloadReadSize;
        DWORD got = 0;
        if (!InternetReadFile(request, buffer + place, room, &got) || got == 0) break;
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, buffer + place, got, &written, nullptr);
        }
        place += got;
        if (place == bufferSize) place = 0;
    }
    InternetCloseHandle(request);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

// Expands the compressed download into the new build. True when the expansion wrote something.
bool ExpandUpdate(const char* compressed, const char* expanded) {
    OFSTRUCT sourceInfo = {}, targetInfo = {};
    INT source = LZOpenFileA(const_cast<char*>(compressed), &sourceInfo, OF_READ);
    if (source < 0) return false;
    INT target = LZOpenFileA(const_cast<char*>(expanded), &targetInfo, OF_CREATE | OF_WRITE);
    LONG size = target >= 0 ? LZCopy(source, target) : -1;
    LZClose(source);
    if (target >= 0) LZClose(target);
    return size > 0;
}

// Gives the expanded build the listing time the check acted on, turned back from local time
// into the file system's UTC, so that the next check reads it as exactly the listing time: the
// updater's move into Ticker.exe keeps it, and an installed build is then never newer than its
// own listing, however far the server's clock or zone is from ours. The time travels with the
// file rather than in a record the updater keeps because the check compares with nothing but
// Ticker.exe's time (the updater gives a build it refuses the same time for the same reason).
void StampWithListingTime(const char* expanded, const FILETIME& listed) {
    FILETIME utc;
    if (!LocalFileTimeToFileTime(&listed, &utc)) return;
    HANDLE file = CreateFileA(expanded, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    SetFileTime(file, nullptr, nullptr, &utc);
    CloseHandle(file);
}

// Starts the updater; true when it is running. The path is quoted so that an install folder
// with spaces in its name still names the program.
bool StartUpdater(const char* updater) {
    char command[kInstallFileSize + 2] = "\"";
    lstrcatA(command, updater);
    lstrcatA(command, "\"");
    return WinExec(command, SW_SHOWNORMAL) > kWinExecStarted;
}

// A newer build is on the server: fetch it, expand it beside the program and hand over to
// the updater. A failed expansion keeps the download; the next run fetches it again.
void InstallNewerBuild(HWND tickerWindow, HINTERNET internet, const char* folder,
                       const FILETIME& listed) {
    char compressed[kInstallFileSize], expanded[kInstallFileSize], updater[kInstallFileSize];
    if (!JoinInstallPath(compressed, sizeof compressed, folder, kCompressedFile) ||
        !JoinInstallPath(expanded, sizeof expanded, folder, kExpandedFile) ||
        !JoinInstallPath(updater, sizeof updater, folder, kUpdaterFile))
        return;
    ShowBanner(kUpdatingBanner, false);
    char* buffer =
        static_cast<char*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, kDownloadBufferSize));
    if (!buffer) return;
    DownloadToFile(internet, kUpdateUrl, buffer, kDownloadBufferSize, compressed);
    if (ExpandUpdate(compressed, expanded)) {
        DeleteFileA(compressed);
        StampWithListingTime(expanded, listed);
        if (StartUpdater(updater)) SendMessageA(tickerWindow, WM_TICKER_CLOSE, 0, 0);
    }
    HeapFree(GetProcessHeap(), 0, buffer);
}

}  // namespace

void RunUpdateCheck(HWND tickerWindow) {
    ShowBanner(kCheckingVersionBanner, false);

    char folder[kPathField] = "";
    ReadInstallPath(folder);
    char program[kInstallFileSize];
    FILETIME localBuild = {};
    if (!JoinInstallPath(program, sizeof program, folder, kProgramFile) ||
        !ReadLocalBuildTime(program, &localBuild))
        return;

    HINTERNET internet = OpenUpdateInternet();
    if (!internet) return;
    SetConnectLimits(internet);
    FILETIME serverBuild = {};
    if (ReadServerBuildTime(internet, &serverBuild) &&
        ServerBuildIsNewer(StampOf(serverBuild), StampOf(localBuild)))
        InstallNewerBuild(tickerWindow, internet, folder, serverBuild);
    InternetCloseHandle(internet);
}
