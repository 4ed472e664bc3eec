// The feed worker: one short-lived thread per refresh. StartFeedRefresh runs on the window
// thread; everything else in the worker runs on the worker thread, inside FeedLock.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>

extern CRITICAL_SECTION FeedLock;               // held by the worker for a whole refresh
extern std::atomic<int32_t> FeedThreadRunning;  // 1 from StartFeedRefresh until the worker ends
extern HANDLE FeedThreadHandle;                 // the newest worker
extern std::atomic<int32_t> FirstRefresh;       // cleared at the end of the first refresh
extern std::atomic<int32_t> FeedDisabled;       // set when the portal cannot be reached at all

// Called by the ticker window when it is created.
void InitFeedState();
// Starts a refresh for the window unless one runs or the feed is disabled.
void StartFeedRefresh(HWND window, int unused);
// At shutdown: closes the handle of a worker that has already ended.
void CloseEndedFeedWorker();
// As the program ends, after ProgramEnding is set and the window is gone: waits until a
// running worker has ended, at most milliseconds, handling the messages other threads send
// this one meanwhile. True when no worker runs any more.
bool WaitForFeedWorker(DWORD milliseconds);
