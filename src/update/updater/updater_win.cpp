// Update.exe: puts a new ticker build in place, and whatever becomes of it, leaves a ticker
// running and a "Ticker.exe" in place.
//
// The ticker's update check leaves the expanded new build in "zrttemp.exe" beside the
// program, dated with the listing time of the server's file, starts us with WinExec and closes
// itself. We have no window and read no command line; what we do, and why we refuse, goes to
// "update.log" in the install directory. One thread, start to end:
//
//  1. The install directory is the folder this program sits in. One updater at a time (a
//     named mutex): a second one waits for the first to finish (at most three minutes, more
//     than any run of ours takes) and then goes on as below. With no "zrttemp.exe" there is
//     nothing to install.
//  2. Wait, at most 30 s, for the installed ticker to end: no "Ticker" window of a process
//     whose program is this folder's "Ticker.exe" left, and that process gone (its file cannot
//     be replaced while it runs). Halfway through we ask it to close, as a newer copy of the
//     ticker would. A ticker that stays is left running and nothing is replaced. Tickers run
//     from other folders are none of our business.
//  3. Check "zrttemp.exe": it must carry one signature (update/build_signature.h) made with
//     the key whose public half is built into this program, which the system's cryptography
//     verifies over every byte before it; and those bytes must be a Windows GUI program for
//     the processor this updater was built for, with sane headers and all of its sections
//     within the signed bytes. A system without the cryptography (Windows 95, NT 4) gets no
//     update: nothing is installed unchecked. The build already installed (the same signature)
//     is not installed again: a change to or from daylight-saving time moves the local reading
//     of "Ticker.exe"'s time by an hour, which can bring the same listing once more.
//  4. Refused: delete "zrttemp.exe"; the installed build stays.
//  5. Accepted: the old "Ticker.exe" becomes "Ticker.bak" (one backup, the last build that was
//     replaced) and "zrttemp.exe" becomes "Ticker.exe", keeping the listing time it came with.
//  6. Start the new build and wait, at most 30 s, for its "Ticker" window, and then 10 s, in
//     which it must not end: long enough for its start-up to have run, short of a user who
//     opens the menu and chooses Exit. A build that exits, shows no window in time (it is then
//     ended), or dies within those 10 s is taken out again: it moves aside, the backup comes
//     back to "Ticker.exe" (or the failed build returns if the backup cannot), and only then
//     is the failed build deleted, so there is always a "Ticker.exe".
//  7. Whenever the installed build stays or comes back (3, 4, 6), "Ticker.exe" takes on the
//     listing time of the build we did not install, unless its own is later. The ticker
//     fetches a build whose listing is later than "Ticker.exe"; this way the same listing is
//     not fetched again, however far the server's clock or zone is from ours.
//  8. Last, on every way out: if the installed ticker is not running, start "Ticker.exe". The
//     old ticker closed itself only to make room for the update; a user expects the ticker
//     back, not an empty taskbar until the next log-on.
//  9. The log's last line for the run says how it ended; so does the exit code (0 installed,
//     1 the old build stays, 2 nothing was changed).
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "base/text.h"
#include "update/build_signature.h"
#include "update/update_rules.h"
#include "update/updater/signature_win.h"
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
constexpr DWORD kOtherUpdaterLimitMs = 180 * 1000;
constexpr DWORD kTickerEndLimitMs = 30 * 1000;
constexpr DWORD kTickerStartLimitMs = 30 * 1000;
constexpr DWORD kNewBuildSettleMs = 10 * 1000;
// How long a file that a just-ended process ran from may stay locked.
constexpr DWORD kFileRetryLimitMs = 10 * 1000;
constexpr DWORD kFileRetryMs = 200;

// Exit codes, for whoever starts us by hand.
enum : int { kInstalled = 0, kRefused = 1, kNothingDone = 2 };

struct InstallFiles {
    char folder[kInstallFileSize];
    char program[kInstallFileSize];
    char expanded[kInstallFileSize];
    char backup[kInstallFileSize];
    FILETIME listed;  // the listing time the new build came with; zero: none
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
    files->listed = FILETIME{};
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

bool ReadAt(HANDLE file, DWORD at, void* buffer, DWORD size, DWORD* got) {
    *got = 0;
    return SetFilePointer(file, at, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
           ReadFile(file, buffer, size, got, nullptr);
}

// The signature trailer at the end of an open file, read with the rules of build_signature.h.
SignatureVerdict ReadTrailer(HANDLE file, DWORD size, BuildSignature* signature) {
    uint8_t tail[kSignatureTailBytes];
    const DWORD want = size < sizeof tail ? size : DWORD(sizeof tail);
    DWORD got = 0;
    if (!ReadAt(file, size - want, tail, want, &got)) return SignatureVerdict::Unsigned;
    return ReadBuildSignature(tail, got, size, TrustedKeyId, signature);
}

// The reasons that carry the system's error code, in one buffer that the log line reads.
char Reason[200];

const char* Explain(SignatureCheck check, DWORD error) {
    switch (check) {
    case SignatureCheck::Verified: return nullptr;
    case SignatureCheck::Mismatch:
        std::snprintf(Reason, sizeof Reason,
                      "its signature does not match its contents (error 0x%08lx)", error);
        return Reason;
    case SignatureCheck::NoCrypto:
        std::snprintf(Reason, sizeof Reason,
                      "this system cannot check signatures: it lacks the RSA and AES provider "
                      "with SHA-256 (error 0x%08lx), and no update is installed unchecked",
                      error);
        return Reason;
    case SignatureCheck::Unreadable: break;
    }
    return "it cannot be read";
}

// Checks the new build in an open file: its signature first, then what the signed bytes are.
// Null when it is fit to install, otherwise the reason for the log.
const char* CheckOpenBuild(HANDLE file, DWORD* size, BuildSignature* signature) {
    *size = GetFileSize(file, nullptr);
    if (*size == INVALID_FILE_SIZE) return "it cannot be read";
    const SignatureVerdict verdict = ReadTrailer(file, *size, signature);
    if (verdict != SignatureVerdict::Signed) return DescribeSignatureVerdict(verdict);
    DWORD error = 0;
    if (const char* why = Explain(VerifyBuildSignature(file, *signature, &error), error))
        return why;
    static uint8_t headers[kExeHeaderBytes];
    DWORD got = 0;
    if (!ReadAt(file, 0, headers, sizeof headers, &got)) return "it cannot be read";
    const ExeVerdict exe = CheckExecutable(headers, got, signature->signedBytes, kOwnMachine);
    return exe == ExeVerdict::Ok ? nullptr : DescribeVerdict(exe);
}

const char* CheckNewBuild(const char* path, DWORD* size, BuildSignature* signature) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "it cannot be read";
    const char* unfit = CheckOpenBuild(file, size, signature);
    CloseHandle(file);
    return unfit;
}

// Whether program is the build that carries signature: the same key signed the same bytes.
bool IsInstalledBuild(const char* program, const BuildSignature& signature) {
    HANDLE file = CreateFileA(program, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    BuildSignature installed;
    const DWORD size = GetFileSize(file, nullptr);
    const bool same = size != INVALID_FILE_SIZE &&
                      ReadTrailer(file, size, &installed) == SignatureVerdict::Signed &&
                      installed.signedBytes == signature.signedBytes &&
                      std::memcmp(installed.signature, signature.signature, kSignatureSize) == 0;
    CloseHandle(file);
    return same;
}

FileStamp StampOf(const FILETIME& time) {
    return FileStamp{time.dwLowDateTime, time.dwHighDateTime};
}

// The new build's last-write time: the listing time the ticker's check gave it.
void ReadListingTime(InstallFiles* files) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(files->expanded, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    FindClose(search);
    files->listed = found.ftLastWriteTime;
}

// The installed build stays or came back: it takes on the listing time of the build that did
// not replace it, so that the ticker does not fetch that listing again (see the top).
void StampKeptBuild(const InstallFiles& files) {
    if (!files.listed.dwLowDateTime && !files.listed.dwHighDateTime) return;
    HANDLE file = CreateFileA(files.program, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    FILETIME current;
    if (file == INVALID_HANDLE_VALUE || !GetFileTime(file, nullptr, nullptr, &current)) {
        LogLine("Could not give %s the listing time (error %lu).", files.program, GetLastError());
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        return;
    }
    const FileStamp kept = KeptBuildStamp(StampOf(current), StampOf(files.listed));
    const FILETIME stamp{kept.low, kept.high};
    SetFileTime(file, nullptr, nullptr, &stamp);
    CloseHandle(file);
}

const char* Describe(StartResult result) {
    switch (result) {
    case StartResult::Up: return "is running";
    case StartResult::NotStarted: return "could not be started";
    case StartResult::Exited: return "ended without showing its window";
    case StartResult::NoWindow: return "showed no window in time and was stopped";
    case StartResult::DiedAfterWindow: return "ended within seconds of showing its window";
    }
    return "?";
}

// Starts the build in Ticker.exe and logs what became of it.
StartResult StartAndLog(const InstallFiles& files, const char* which, DWORD settleMs) {
    DWORD exitCode = 0;
    StartResult result =
        StartTicker(files.program, files.folder, which, kTickerStartLimitMs, settleMs, &exitCode);
    if (result == StartResult::Exited || result == StartResult::DiedAfterWindow)
        LogLine("The %s build %s (exit code %lu).", which, Describe(result), exitCode);
    else
        LogLine("The %s build %s.", which, Describe(result));
    return result;
}

int Refuse(const InstallFiles& files, const char* reason) {
    LogLine("Refused the new build: %s.", reason);
    if (!Delete(files.expanded)) LogLine("Could not delete %s.", files.expanded);
    StampKeptBuild(files);
    return kRefused;
}

// The new build did not come up: it moves aside, the backup comes back, and only then does the
// failed build go; if the backup cannot come back, the failed build does.
int RollBack(const InstallFiles& files, bool haveBackup) {
    if (!haveBackup) {
        LogLine("No earlier build to go back to; %s stays as it is.", files.program);
        return kRefused;
    }
    if (!Move(files.program, files.expanded)) {
        LogLine("Could not take the new build out of %s (error %lu).", files.program,
                GetLastError());
        return kRefused;
    }
    if (!Move(files.backup, files.program)) {
        LogLine("Could not put the old build back (error %lu); it stays in %s.", GetLastError(),
                files.backup);
        if (!Move(files.expanded, files.program))
            LogLine("Could not put the new build back either (error %lu).", GetLastError());
        return kRefused;
    }
    LogLine("Put the old build back into %s.", files.program);
    if (!Delete(files.expanded)) LogLine("Could not delete %s.", files.expanded);
    StampKeptBuild(files);
    return kRefused;
}

int Install(InstallFiles* files) {
    if (!FileExists(files->expanded)) {
        LogLine("Nothing to install: %s does not exist.", files->expanded);
        return kNothingDone;
    }
    LogLine("Update started in %s.", files->folder);
    ReadListingTime(files);
    const TickerEnd end = WaitForTickerToEnd(files->program, kTickerEndLimitMs);
    if (end == TickerEnd::StillRunning) {
        LogLine("The running ticker did not end, not even when asked; nothing was replaced.");
        return kNothingDone;
    }
    if (end == TickerEnd::EndedWhenAsked)
        LogLine("The running ticker did not end by itself; it ended when asked to close.");
    LogLine("No ticker is running.");

    DWORD size = 0;
    BuildSignature signature;
    if (const char* unfit = CheckNewBuild(files->expanded, &size, &signature))
        return Refuse(*files, unfit);
    LogLine("The new build (%lu bytes) is signed with our key and is a Windows program for %s.",
            size, kOwnMachineName);
    if (IsInstalledBuild(files->program, signature)) {
        LogLine("The new build is the one already installed; nothing to replace.");
        if (!Delete(files->expanded)) LogLine("Could not delete %s.", files->expanded);
        StampKeptBuild(*files);
        return kNothingDone;
    }

    const bool haveBackup = FileExists(files->program);
    if (haveBackup && (!Delete(files->backup) || !Move(files->program, files->backup))) {
        LogLine("Could not move %s aside (error %lu).", files->program, GetLastError());
        return Refuse(*files, "the installed build could not be moved aside");
    }
    if (haveBackup) LogLine("Kept the old build as %s.", files->backup);
    if (!Move(files->expanded, files->program)) {
        LogLine("Could not move the new build into place (error %lu).", GetLastError());
        if (haveBackup && !Move(files->backup, files->program))
            LogLine("Could not put the old build back (error %lu).", GetLastError());
        return Refuse(*files, "it could not be moved into place");
    }
    LogLine("Installed the new build as %s.", files->program);

    if (StartAndLog(*files, "new", kNewBuildSettleMs) == StartResult::Up) return kInstalled;
    return RollBack(*files, haveBackup);
}

// Every way out ends here: the installed ticker runs, or is started.
void KeepATickerRunning(const InstallFiles& files, int result) {
    if (FindInstalledTicker(files.program)) {
        LogLine("The installed ticker is running.");
        return;
    }
    if (!FileExists(files.program) && FileExists(files.backup) && Move(files.backup, files.program))
        LogLine("Put %s back into %s.", files.backup, files.program);
    if (!FileExists(files.program)) {
        LogLine("There is no %s to start.", files.program);
        return;
    }
    StartAndLog(files, result == kNothingDone ? "installed" : "old", 0);
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
    if (!FindInstallFiles(&files)) return kNothingDone;  // no folder to work in, or to start from
    OpenUpdateLog(files.folder);

    HANDLE mutex = CreateMutexA(nullptr, FALSE, kMutexName);
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS)
        LogLine("Another updater is running; waiting for it to finish.");
    const DWORD wait = mutex ? WaitForSingleObject(mutex, kOtherUpdaterLimitMs) : WAIT_FAILED;
    const bool owned = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    int result = kNothingDone;
    if (owned || !mutex)
        result = Install(&files);
    else
        LogLine("The other updater did not finish in time; this one installs nothing.");
    KeepATickerRunning(files, result);
    LogLine("Updater finished: %s.", Outcome(result));
    if (owned) ReleaseMutex(mutex);
    if (mutex) CloseHandle(mutex);
    return result;
}
