// Update.exe: puts the new ticker build in place and brings the ticker back.
//
// The ticker's update check leaves the expanded new build in "zrttemp.exe" beside the
// program, starts us with WinExec and closes itself. We have no window and read no command
// line; what we do, and why we refuse, goes to "update.log" in the install directory. One
// thread, start to end:
//
//  1. The install directory is the folder this program sits in. One updater at a time (a
//     named mutex); with no "zrttemp.exe" there is nothing to do.
//  2. Wait, at most 30 s, for the running ticker to end: no "Ticker" window left and its
//     process gone (its file cannot be replaced while it runs). Halfway through we ask it to
//     close, as a newer copy of the ticker would. A ticker that stays is left running and
//     nothing is replaced.
//  3. Check "zrttemp.exe": a Windows GUI program for the processor this updater was built for
//     (i386 or AMD64), with sane headers and all of its sections within the file. LZ expansion
//     of a damaged download gives junk without any error, so this is the only guard between a
//     bad download and the user's ticker.
//  4. Refused: delete "zrttemp.exe" and start the old build again. The old ticker closed itself
//     only to make room for the update; a user who lost nothing expects the ticker back, not
//     an empty taskbar until the next log-on.
//  5. Accepted: the old "Ticker.exe" becomes "Ticker.bak" (one backup, the last build that was
//     replaced) and "zrttemp.exe" becomes "Ticker.exe".
//  6. Start the new build and wait, at most 30 s, for its "Ticker" window. A build that exits,
//     or shows no window in time (it is then ended), is taken out again: the backup goes back
//     to "Ticker.exe" and is started.
//  7. The log's last line for the run says how it ended; so does the exit code (0 installed,
//     1 the old build stays, 2 nothing was changed).
//
// Whenever the old build stays or comes back (4, 6), its last-write time is set to now. The
// ticker decides that the server has something newer by comparing the server's time with that
// of "Ticker.exe"; left alone, the restarted old ticker would fetch the same bad build at once,
// hand it to us again, and so on for ever. After the stamp, only a build published later than
// the failed attempt counts as newer. (The server's listing is compared without a time zone,
// so a server clock far ahead of the user's can still bring one more attempt.)
#include <windows.h>

#include "base/text.h"
#include "update/update_rules.h"
#include "update/updater/ticker_process_win.h"
#include "update/updater/update_log_win.h"

namespace {

#if defined(__x86_64__) || defined(_M_X64)
constexpr ExeMachine kOwnMachine = ExeMachine::Amd64;
constexpr char kOwnMachineName[] = "x86-64";
#elif defined(__i386__) || defined(_M_IX86)
constexpr ExeMachine kOwnMachine = ExeMachine::I386;
constexpr char kOwnMachineName[] = "i386";
#else
#error "the updater knows only the i386 and x86-64 builds"
#endif

constexpr char kMutexName[] = "Ostrivane Ticker Updater";
constexpr DWORD kTickerEndLimitMs = 30000;
constexpr DWORD kTickerStartLimitMs = 30000;
// How long a file that a just-ended process ran from may stay locked.
constexpr DWORD kFileRetryLimitMs = 10000;
constexpr DWORD kFileRetryMs = 200;

// Exit codes, for whoever starts us by hand.
enum : int { kInstalled = 0, kRefused = 1, kNothingDone = 2 };

struct InstallFiles {
    char folder[kInstallFileSize];
    char program[kInstallFileSize];
    char expanded[kInstallFileSize];
    char backup[kInstallFileSize];
};

bool FindInstallFiles(InstallFiles* files) {
    char self[kInstallFileSize];
    DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    if (length == 0 || length >= sizeof self) return false;
    char* slash = nullptr;
    for (char* p = self; *p; p = CharNextA(p))
        if (*p == '\\') slash = p;
    if (!slash) return false;
    *slash = 0;
    CopyText(files->folder, self);
    return JoinInstallPath(files->program, kInstallFileSize, self, kProgramFile) &&
           JoinInstallPath(files->expanded, kInstallFileSize, self, kExpandedFile) &&
           JoinInstallPath(files->backup, kInstallFileSize, self, kBackupFile);
}

bool FileExists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

// A file operation that may meet a file still held by a process that has just ended.
template <typename Op> bool Retry(Op op) {
    const DWORD start = GetTickCount();
    while (!op()) {
        if (GetTickCount() - start >= kFileRetryLimitMs) return false;
        Sleep(kFileRetryMs);
    }
    return true;
}

bool Move(const char* from, const char* to) {
    return Retry([&] { return MoveFileA(from, to) != FALSE; });
}

bool Delete(const char* path) {
    return Retry([&] { return DeleteFileA(path) || GetLastError() == ERROR_FILE_NOT_FOUND; });
}

// Reads the start of the new build and checks it. Null when it is fit to install, otherwise
// the reason for the log.
const char* CheckNewBuild(const char* path, DWORD* size) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "it cannot be read";
    static uint8_t headers[kExeHeaderBytes];
    DWORD got = 0;
    *size = GetFileSize(file, nullptr);
    const bool read =
        *size != INVALID_FILE_SIZE && ReadFile(file, headers, sizeof headers, &got, nullptr);
    CloseHandle(file);
    if (!read) return "it cannot be read";
    const ExeVerdict verdict = CheckExecutable(headers, got, *size, kOwnMachine);
    return verdict == ExeVerdict::Ok ? nullptr : DescribeVerdict(verdict);
}

// Marks the kept build as tried now (see the top of this file).
void StampAsTried(const char* program) {
    HANDLE file = CreateFileA(program, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        LogLine("Could not mark %s as tried (error %lu).", program, GetLastError());
        return;
    }
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    SetFileTime(file, nullptr, nullptr, &now);
    CloseHandle(file);
}

const char* Describe(StartResult result) {
    switch (result) {
    case StartResult::Up: return "is running";
    case StartResult::NotStarted: return "could not be started";
    case StartResult::Exited: return "ended without showing its window";
    case StartResult::NoWindow: return "showed no window in time and was stopped";
    }
    return "?";
}

// Starts the build in Ticker.exe and logs what became of it.
StartResult StartAndLog(const InstallFiles& files, const char* which) {
    DWORD exitCode = 0;
    StartResult result = StartTicker(files.program, files.folder, kTickerStartLimitMs, &exitCode);
    if (result == StartResult::Exited)
        LogLine("The %s build %s (exit code %lu).", which, Describe(result), exitCode);
    else
        LogLine("The %s build %s.", which, Describe(result));
    return result;
}

// The old build stays: bring it back as it was before the update began.
int RestartOldBuild(const InstallFiles& files) {
    if (!FileExists(files.program)) {
        LogLine("There is no %s to start again.", files.program);
        return kRefused;
    }
    StampAsTried(files.program);
    StartAndLog(files, "old");
    return kRefused;
}

int Refuse(const InstallFiles& files, const char* reason) {
    LogLine("Refused the new build: %s.", reason);
    if (!Delete(files.expanded)) LogLine("Could not delete %s.", files.expanded);
    return RestartOldBuild(files);
}

// The new build did not come up: put the backup back and start it.
int RollBack(const InstallFiles& files, bool haveBackup) {
    if (!haveBackup) {
        LogLine("No earlier build to go back to; %s stays as it is.", files.program);
        return kRefused;
    }
    if (!Delete(files.program)) {
        LogLine("Could not remove the new build from %s (error %lu).", files.program,
                GetLastError());
        return kRefused;
    }
    if (!Move(files.backup, files.program)) {
        LogLine("Could not put %s back (error %lu); the old build stays in %s.", files.program,
                GetLastError(), files.backup);
        return kRefused;
    }
    LogLine("Put the old build back into %s.", files.program);
    return RestartOldBuild(files);
}

int Install(const InstallFiles& files) {
    if (!FileExists(files.expanded)) {
        LogLine("Nothing to install: %s does not exist.", files.expanded);
        return kNothingDone;
    }
    LogLine("Update started in %s.", files.folder);
    const TickerEnd end = WaitForTickerToEnd(kTickerEndLimitMs);
    if (end == TickerEnd::StillRunning) {
        LogLine("The running ticker did not end, not even when asked; nothing was replaced.");
        return kNothingDone;
    }
    if (end == TickerEnd::EndedWhenAsked)
        LogLine("The running ticker did not end by itself; it ended when asked to close.");
    LogLine("No ticker is running.");

    DWORD size = 0;
    if (const char* unfit = CheckNewBuild(files.expanded, &size)) return Refuse(files, unfit);
    LogLine("The new build (%lu bytes) is a Windows program for %s.", size, kOwnMachineName);

    const bool haveBackup = FileExists(files.program);
    if (haveBackup && (!Delete(files.backup) || !Move(files.program, files.backup))) {
        LogLine("Could not move %s aside (error %lu).", files.program, GetLastError());
        return Refuse(files, "the installed build could not be moved aside");
    }
    if (haveBackup) LogLine("Kept the old build as %s.", files.backup);
    if (!Move(files.expanded, files.program)) {
        LogLine("Could not move the new build into place (error %lu).", GetLastError());
        return RollBack(files, haveBackup);
    }
    LogLine("Installed the new build as %s.", files.program);

    if (StartAndLog(files, "new") == StartResult::Up) return kInstalled;
    return RollBack(files, haveBackup);
}

const char* Outcome(int result) {
    switch (result) {
    case kInstalled: return "the new build is installed";
    case kRefused: return "the old build stays";
    }
    return "nothing was changed";
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // The ticker's WinExec waits until we are ready for input (or for half a minute); an empty
    // look at our message queue says we are, so the ticker can close itself at once. Some
    // systems count only a look at the thread's own messages (window -1), so we take both.
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    PeekMessageA(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_NOREMOVE);

    InstallFiles files;
    if (!FindInstallFiles(&files)) return kNothingDone;
    OpenUpdateLog(files.folder);

    HANDLE mutex = CreateMutexA(nullptr, FALSE, kMutexName);
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        LogLine("Another updater is already running; this one stops.");
        CloseHandle(mutex);
        return kNothingDone;
    }
    const int result = Install(files);
    LogLine("Updater finished: %s.", Outcome(result));
    if (mutex) CloseHandle(mutex);
    return result;
}
