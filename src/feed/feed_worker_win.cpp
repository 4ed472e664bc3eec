// Feed worker thread.
#include "feed/feed_worker_win.h"

CRITICAL_SECTION FeedLock;
volatile LONG FeedThreadRunning;
HANDLE FeedThreadHandle;
volatile LONG FirstRefresh = 1;
volatile LONG FeedDisabled;

void InitFeedState() {
    InitializeCriticalSection(&FeedLock);
    FeedThreadRunning = 0;
    FeedThreadHandle = nullptr;
}

// The portal is not wired up yet: a refresh does nothing.
void StartFeedRefresh(HWND, int) {}

void CloseEndedFeedWorker() {
    if (!FeedThreadRunning && FeedThreadHandle) {
        CloseHandle(FeedThreadHandle);
        FeedThreadHandle = nullptr;
    }
}
