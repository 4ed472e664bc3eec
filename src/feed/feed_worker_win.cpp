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
#include "feed/feed_worker_win.h"

#include "display/tooltips_win.h"
#include "base/internet_win.h"
#include "base/messages.h"
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
void StampUpdate(HWND window) {
    char date[kDateTimeField] = "", time[kDateTimeField] = "";
    GetDateFormatA(LOCALE_SYSTEM_DEFAULT, DATE_LONGDATE, nullptr, nullptr, date, sizeof date);
    GetTimeFormatA(LOCALE_SYSTEM_DEFAULT, TIME_NOSECONDS, nullptr, nullptr, time, sizeof time);
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
        if (!IsWindow(window)) return;  // a newer build took over and closed the ticker
    }

    HINTERNET internet = OpenInternet();
    if (!internet) {
        FeedDisabled = 1;
        MessageBoxA(window, kSetupFailedText, kSetupFailedCaption, MB_OK);
        SendMessageA(window, WM_TICKER_CLOSE, 0, 0);
        return;
    }
    char* end = FetchAndParseFeed(internet, content);
    if (end != content) HandOver(window, content, end);
    InternetCloseHandle(internet);
    if (end != content) StampUpdate(window);
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
