// The feed worker: one short-lived thread per refresh.
//
// Threads and ownership:
//  - StartFeedRefresh runs on the window thread only. It alone starts workers, and it tests and
//    sets FeedThreadRunning before it creates one, so at most one worker exists at a time.
//  - FeedWorker runs on its own thread at below-normal priority and holds FeedLock for the
//    whole refresh, network waits included. The window thread never takes FeedLock.
//  - The worker owns ContentBuffer and the Internet handle for the length of one refresh. It
//    writes the content model (LinkTable, DisplayText, the strip position, LastUpdatedText)
//    under the content model's rules: new text only inside BeginDisplayUpdate/EndDisplayUpdate.
//  - The worker never destroys the ticker window: a window belongs to the thread that made
//    it. When the ticker must end it sends WM_TICKER_CLOSE, which the window thread handles;
//    that cannot deadlock, as the window thread never waits for the worker.
//  - The window reaches the worker through WorkerWindowSlot, which every StartFeedRefresh
//    overwrites; the worker reads it once, at its start.
//  - Each refresh has a deadline (the update check has its own before it): a server that
//    answers slowly or not at all ends that refresh, not the feed. Once ProgramEnding is set
//    the worker stops at its next step and shows nothing more; the program waits for it
//    (WaitForFeedWorker) before its static state goes.
#include "feed/feed_worker_win.h"

#include "display/tooltips_win.h"
#include "base/internet_win.h"
#include "base/messages.h"
#include "base/program_win.h"
#include "base/text.h"
#include "display/strip_win.h"
#include "feed/content_model.h"
#include "feed/fetch_win.h"
#include "settings/settings.h"
#include "settings/settings_store_win.h"
#include "update/update_check_win.h"

CRITICAL_SECTION FeedLock;
std::atomic<int32_t> FeedThreadRunning;
HANDLE FeedThreadHandle;
std::atomic<int32_t> FirstRefresh{1};
std::atomic<int32_t> FeedDisabled;

namespace {

constexpr int kDateTimeField = 50;
// A refresh, the login and the content request together, ends after this long: time for the
// feed's 100 KB on a slow line, and for a connect that times out once or twice.
constexpr DWORD kRefreshDeadlineMs = 60000;

constexpr char kSetupFailedCaption[] = "Internet Access Not Properly Configured";
constexpr char kSetupFailedText[] =
    "Your Windows 95 Internet Service has not been properly configured.  Please run the "
    "'Internet Setup Wizard' and/or the 'Internet' control panel application.";

std::atomic<HWND> WorkerWindowSlot{nullptr};

// Puts the new text on show: two spaces close it (they open the first repeat copy), then it
// replaces DisplayText and the strip starts again from its beginning.
void HandOver(HWND window, char* content, char* end) {
    *end = 0;
    AppendText(content, kContentBufferSize, "  ");
    BeginDisplayUpdate();
    CopyText(DisplayText, content);
    MeasureAndExtendDisplay(window);
    PenY = 0;
    PenX = 0;
    ScrollOffset = 0;
    EndDisplayUpdate();
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
}

// "LAST UPDATED: " with the long date, two spaces and the time without seconds, in the system
// locale. The text is composed aside and copied in one go, so the tooltip never shows half of
// it; should a locale's date and time not fit the 99 characters, the end of the time is cut.
// A date or time too long for its 50 bytes may come back unterminated: each ends in its field.
void StampUpdate(HWND window) {
    char date[kDateTimeField] = "", time[kDateTimeField] = "";
    GetDateFormatA(LOCALE_SYSTEM_DEFAULT, DATE_LONGDATE, nullptr, nullptr, date, sizeof date);
    GetTimeFormatA(LOCALE_SYSTEM_DEFAULT, TIME_NOSECONDS, nullptr, nullptr, time, sizeof time);
    date[sizeof date - 1] = time[sizeof time - 1] = 0;
    char stamp[kLastUpdatedSize];
    CopyText(stamp, "LAST UPDATED: ");
    AppendText(stamp, date);
    AppendText(stamp, "  ");
    AppendText(stamp, time);
    CopyText(LastUpdatedText, stamp);
    WriteSettingString(kLastStockUpdateValue, LastUpdatedText);
    UpdateLastUpdatedTip(window);
}

void Refresh(HWND window, char* content) {
    if (FirstRefresh) {
        RunUpdateCheck(window);
        // A newer build took over and closed the ticker.
        if (ProgramEnding || !IsWindow(window)) return;
    }

    HINTERNET internet = OpenInternet();
    if (!internet) {
        FeedDisabled = 1;
        MessageBoxA(window, kSetupFailedText, kSetupFailedCaption, MB_OK);
        SendMessageA(window, WM_TICKER_CLOSE, 0, 0);
        return;
    }
    char* end = FetchAndParseFeed(internet, content, DeadlineIn(kRefreshDeadlineMs));
    if (end != content && !ProgramEnding) HandOver(window, content, end);
    InternetCloseHandle(internet);
    if (end != content && !ProgramEnding) StampUpdate(window);
}

DWORD WINAPI FeedWorker(LPVOID slot) {
    EnterCriticalSection(&FeedLock);
    ClearLinks();
    // A refresh without its buffer has nowhere to put text: it ends as one that found nothing.
    char* content = static_cast<char*>(GlobalAlloc(GPTR, kContentBufferSize));
    HWND window = static_cast<std::atomic<HWND>*>(slot)->load();
    if (content) {
        Refresh(window, content);
        GlobalFree(content);
    }
    FirstRefresh = 0;
    FeedThreadRunning = 0;
    LeaveCriticalSection(&FeedLock);
    return 0;
}

}  // namespace

void InitFeedState() {
    InitializeCriticalSection(&FeedLock);
    FeedThreadRunning = 0;
    FeedThreadHandle = nullptr;
}

void StartFeedRefresh(HWND window, int) {
    WorkerWindowSlot = window;
    if (FeedDisabled || FeedThreadRunning) return;
    FeedThreadRunning = 1;
    DWORD id;
    HANDLE thread = CreateThread(nullptr, 0, FeedWorker, &WorkerWindowSlot, 0, &id);
    if (FeedThreadHandle) CloseHandle(FeedThreadHandle);  // that worker has ended
    FeedThreadHandle = thread;
    if (thread)
        SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL);
    else
        FeedThreadRunning = 0;  // nothing runs: the next tick may try again
}

void CloseEndedFeedWorker() {
    if (!FeedThreadRunning && FeedThreadHandle) {
        CloseHandle(FeedThreadHandle);
        FeedThreadHandle = nullptr;
    }
}

bool WaitForFeedWorker(DWORD milliseconds) {
    if (!FeedThreadRunning || !FeedThreadHandle) return true;
    // The worker may be sending this thread a message (to a window that is gone, or to a box
    // of its own): those are handled while we wait, so that it is never left hanging on us.
    for (const Deadline deadline = DeadlineIn(milliseconds); !deadline.Passed();) {
        const DWORD woke =
            MsgWaitForMultipleObjects(1, &FeedThreadHandle, FALSE, deadline.Left(), QS_SENDMESSAGE);
        if (woke == WAIT_OBJECT_0) return true;
        if (woke != WAIT_OBJECT_0 + 1) break;
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);  // handles what was sent
    }
    return WaitForSingleObject(FeedThreadHandle, 0) == WAIT_OBJECT_0;
}
