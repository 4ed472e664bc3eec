// Self-update check. Runs on the feed worker thread, inside FeedLock, once a run: the worker
// calls it at the start of its first refresh, so nothing else talks to the network meanwhile
// and the window thread goes on scrolling. It opens and closes its own Internet handle and
// owns nothing that outlives the call; the only message it sends the window thread is the
// final WM_TICKER_CLOSE, synchronously, after the updater has started.
//
// The server is not trusted to end what it starts: the download is taken only up to the size
// the listing gave, and only when that size is within kMaxUpdateBytes; it must be done by a
// deadline that the listed size sets; and a download that is cut short, too long, or not
// written whole is removed, and no updater is started. (The look-up before it is bounded by
// the Internet handle's timeouts, where the system honours them: see OpenInternet.)
#include "update/update_check_win.h"

#include <wininet.h>
#include <lzexpand.h>

#include "base/endpoints.h"
#include "base/internet_win.h"
#include "base/messages.h"
#include "base/program_win.h"
#include "display/banner_win.h"
#include "display/banners.h"
#include "settings/settings.h"
#include "settings/settings_store_win.h"
#include "update/update_rules.h"

namespace {

// Exactly as the ticker has always sent them, doubled slashes included.
constexpr char kDownloadHeaders[] = "Accept: text//plain\r\nAccept: text//html\r\n\r\n";
constexpr char kCreateFailedCaption[] = "Failed to Create Temp File";
// A compressed build is well under a megabyte; no published file comes near this.
constexpr uint64_t kMaxUpdateBytes = 8u << 20;
// The download gets a minute and what a slow line (2,000 bytes a second, a 1990s modem)
// needs for the listed size.
constexpr DWORD kDownloadDeadlineMs = 60000;
constexpr DWORD kSlowLineBytesPerSecond = 2000;

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

// What the server's listing says of the update file.
struct ServerBuild {
    FILETIME time;  // as the listing gives it: no zone is applied, the server's clock is
                    // compared as is with our local time
    uint64_t size;
};

bool ReadServerBuild(HINTERNET internet, ServerBuild* build) {
    HINTERNET ftp =
        InternetConnectA(internet, kUpdateHost, INTERNET_DEFAULT_FTP_PORT, kUpdateUser,
                         kSupportAddress, INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0);
    if (!ftp) return false;
    bool found = false;
    if (FtpSetCurrentDirectoryA(ftp, kUpdateDirectory)) {
        WIN32_FIND_DATAA entry = {};
        HINTERNET search = FtpFindFirstFileA(ftp, kUpdateFileName, &entry, INTERNET_FLAG_RELOAD, 0);
        if (search) {
            build->time = entry.ftLastWriteTime;
            build->size = (uint64_t{entry.nFileSizeHigh} << 32) | entry.nFileSizeLow;
            found = true;
            InternetCloseHandle(search);
        }
    }
    InternetCloseHandle(ftp);
    return found;
}

// The download's file: made once the address is open, and given every byte as it arrives, up
// to the size the listing gave; the file on disk is all the expansion needs.
struct Download {
    const char* fileName;
    uint64_t listedSize;
    HANDLE file;
    uint64_t written;
    bool failed;  // more bytes than listed, or a write that did not take them all
};

bool CreateDownloadFile(void* context) {
    Download& d = *static_cast<Download*>(context);
    d.file = CreateFileA(d.fileName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (d.file != INVALID_HANDLE_VALUE) return true;
    MessageBoxA(nullptr, d.fileName, kCreateFailedCaption, MB_OK);
    return false;  // nothing to keep it in: not read
}

bool WriteDownload(void* context, const char* bytes, size_t count) {
    Download& d = *static_cast<Download*>(context);
    DWORD written = 0;
    d.failed = count > d.listedSize - d.written ||
               !WriteFile(d.file, bytes, static_cast<DWORD>(count), &written, nullptr) ||
               written != count;
    d.written += written;
    return !d.failed;
}

// Downloads url into fileName; true when exactly the listed size arrived and was written. A
// download that is not is removed.
bool DownloadToFile(HINTERNET internet, const char* url, const char* fileName,
                    uint64_t listedSize) {
    Download download{fileName, listedSize, INVALID_HANDLE_VALUE, 0, false};
    const DWORD span =
        kDownloadDeadlineMs + static_cast<DWORD>(listedSize / kSlowLineBytesPerSecond) * 1000;
    const UrlRead read =
        ReadUrl(internet, url, kDownloadHeaders,
                ReplySink{&download, WriteDownload, CreateDownloadFile}, DeadlineIn(span));
    if (download.file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(download.file);
    if (read == UrlRead::kRead && !download.failed && download.written == listedSize) return true;
    DeleteFileA(fileName);
    return false;
}

// Expands the compressed download into the new build. True when the expansion wrote something;
// an expansion that fails part of the way (a disk that fills up) leaves no part of a build.
bool ExpandUpdate(const char* compressed, const char* expanded) {
    OFSTRUCT sourceInfo = {}, targetInfo = {};
    INT source = LZOpenFileA(const_cast<char*>(compressed), &sourceInfo, OF_READ);
    if (source < 0) return false;
    INT target = LZOpenFileA(const_cast<char*>(expanded), &targetInfo, OF_CREATE | OF_WRITE);
    LONG size = target >= 0 ? LZCopy(source, target) : -1;
    LZClose(source);
    if (target >= 0) LZClose(target);
    if (target >= 0 && size <= 0) DeleteFileA(expanded);
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

// A newer build is on the server: fetch it, expand it beside the program and hand over to
// the updater. A failed expansion keeps the download; the next run fetches it again.
void InstallNewerBuild(HWND tickerWindow, HINTERNET internet, const char* folder,
                       const ServerBuild& listed) {
    char compressed[kInstallFileSize], expanded[kInstallFileSize], updater[kInstallFileSize];
    if (!JoinInstallPath(compressed, sizeof compressed, folder, kCompressedFile) ||
        !JoinInstallPath(expanded, sizeof expanded, folder, kExpandedFile) ||
        !JoinInstallPath(updater, sizeof updater, folder, kUpdaterFile))
        return;
    ShowBanner(kUpdatingBanner, false);
    if (!DownloadToFile(internet, kUpdateUrl, compressed, listed.size)) return;
    if (ExpandUpdate(compressed, expanded)) {
        DeleteFileA(compressed);
        StampWithListingTime(expanded, listed.time);
        if (StartProgram(updater)) SendMessageA(tickerWindow, WM_TICKER_CLOSE, 0, 0);
    }
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

    HINTERNET internet = OpenInternet();
    if (!internet) return;
    ServerBuild serverBuild = {};
    if (ReadServerBuild(internet, &serverBuild) && serverBuild.size <= kMaxUpdateBytes &&
        ServerBuildIsNewer(StampOf(serverBuild.time), StampOf(localBuild)))
        InstallNewerBuild(tickerWindow, internet, folder, serverBuild);
    InternetCloseHandle(internet);
}
