// Helpers of the preferences tests that need the sheet in this process (to watch the calls it
// makes into the system): they run the real sheet modally on the test's thread, as the ticker
// does on its window thread, and drive it from a second thread through its controls with the
// messages a user's clicks and keys produce.
//
// Threads: the test's thread owns the stand-in ticker window and every dialog; the driver
// thread only finds windows, sends or posts messages to them and reads them. A click that may
// open a modal window (OK or Apply that can be refused, a colour swatch) is posted, so the
// driver is never stuck inside a message the dialog thread cannot finish.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <thread>

#include "base/program_win.h"
#include "feed/feed_worker_win.h"
#include "gdi_objects_win.h"
#include "patch_import_win.h"
#include "settings/settings.h"

namespace prefs_test {

constexpr char kSettingsKey[] = "SOFTWARE\\Ostrivane\\Ticker";
constexpr DWORD kWindowWaitMs = 20000;  // generous: the machine may be slow and loaded
constexpr DWORD kSendTimeoutMs = 20000;
constexpr int kApplyButton = 0x3021;  // the sheet's "Apply" button

// -- registry, read and written directly, not through the store under test ----------------------
inline void SetDword(const char* name, DWORD value) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}

// -- the stand-in ticker window -------------------------------------------------------------------
// A plain window of this thread in the place of the docked ticker: the sheet is owned by it,
// and the pages re-arm its refresh timer, rebuild the strip fonts for it and repaint it.
inline HWND CreateStandInTicker() {
    HWND window = gdi_test::TestWindow("PrefsTestTicker", 600, 740, 340, 24, DefWindowProcA);
    return window;
}

// -- finding windows ------------------------------------------------------------------------------
// The first visible top-level window of thread with this caption (dialog class), or null.
inline HWND FindDialog(DWORD thread, const char* caption) {
    struct Search {
        const char* caption;
        HWND found;
    } search = {caption, nullptr};
    EnumThreadWindows(
        thread,
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            char text[256] = "", cls[64] = "";
            GetWindowTextA(window, text, sizeof text);
            GetClassNameA(window, cls, sizeof cls);
            if (std::strcmp(cls, "#32770") == 0 && std::strcmp(text, s->caption) == 0 &&
                IsWindowVisible(window)) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

inline HWND WaitForDialog(DWORD thread, const char* caption, DWORD timeoutMs = kWindowWaitMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND window = FindDialog(thread, caption)) return window;
        if (GetTickCount() - start > timeoutMs) return nullptr;
        Sleep(50);
    }
}

inline bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kWindowWaitMs) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(50);
    }
    return true;
}

// -- acting on controls ---------------------------------------------------------------------------
inline LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kSendTimeoutMs, &result);
    return static_cast<LRESULT>(result);
}

// A click on a button that finishes without opening anything modal.
inline void Click(HWND dialog, int id) { Send(GetDlgItem(dialog, id), BM_CLICK); }
// A click whose handling may open a modal window; the caller waits for what follows.
inline void PostClick(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

inline bool Checked(HWND dialog, int id) {
    return Send(GetDlgItem(dialog, id), BM_GETCHECK) == BST_CHECKED;
}

// A check box brought to the wanted state by clicking it, as the user would.
inline void SetCheck(HWND dialog, int id, bool on) {
    if (Checked(dialog, id) != on) Click(dialog, id);
}

// Runs open() on this thread (it returns when its modal window has closed) while drive() runs
// on a second thread. Whatever drive() leaves open is cancelled, so a failed expectation never
// leaves the test hanging; a driver still busy long after is reported, then waited for.
inline void RunModal(const std::function<void()>& open, const std::function<void()>& drive) {
    const DWORD owner = GetCurrentThreadId();
    std::atomic<bool> done{false}, finished{false};
    std::thread driver([&] {
        drive();
        done = true;
        // Close whatever is still open: message boxes and choosers first, then the dialog.
        for (int round = 0; round < 50; ++round) {
            HWND left = nullptr;
            EnumThreadWindows(
                owner,
                [](HWND window, LPARAM data) -> BOOL {
                    char cls[64] = "";
                    GetClassNameA(window, cls, sizeof cls);
                    if (std::strcmp(cls, "#32770") == 0 && IsWindowVisible(window)) {
                        *reinterpret_cast<HWND*>(data) = window;
                        return FALSE;
                    }
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&left));
            if (!left) break;
            PostMessageA(left, WM_COMMAND, IDCANCEL, 0);
            Sleep(200);
        }
        finished = true;
    });
    open();
    // The driver may still ask this thread's windows for their text: keep answering.
    while (!finished) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    driver.join();
    EXPECT_TRUE(done.load());
}

// Settings as a fresh ticker holds them, a clean key, and no feed worker: the sheet's calls to
// StartFeedRefresh are what the end-to-end tests watch through the portal's request log.
class PrefsTest : public testing::Test {
  protected:
    void SetUp() override {
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
        std::memset(&TickerSettings, 0, sizeof TickerSettings);
        savedFeedDisabled_ = FeedDisabled;
        savedWidthDivisor_ = WidthDivisor;
        FeedDisabled = 1;
        WidthDivisor = 3;
        // A store that shows something, as after the first start: the sheet's topic check
        // then lets OK and Apply through unless a test clears every topic itself.
        SetDword("US Headlines", 1);
        ticker_ = CreateStandInTicker();
        ASSERT_NE(nullptr, ticker_);
        thread_ = GetCurrentThreadId();
    }
    void TearDown() override {
        DestroyWindow(ticker_);
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
        FeedDisabled = savedFeedDisabled_;
        WidthDivisor = savedWidthDivisor_;
    }

    HWND ticker_ = nullptr;
    LONG savedFeedDisabled_ = 0;
    uint32_t savedWidthDivisor_ = 3;
    DWORD thread_ = 0;
};

}  // namespace prefs_test
