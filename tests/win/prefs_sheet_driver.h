// Helpers of the preferences tests: they run the real sheet (or About box) modally on the
// test's thread, as the ticker does on its window thread, and drive it from a second thread
// through its controls with the messages a user's clicks and keys produce. Results are read
// from the registry, from TickerSettings and from the controls themselves.
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
#include <string>
#include <thread>

#include "base/program_win.h"
#include "feed/feed_worker_win.h"
#include "patch_import_win.h"
#include "prefs/prefs_win.h"
#include "settings/settings.h"

namespace prefs_test {

constexpr char kSettingsKey[] = "SOFTWARE\\Ostrivane\\Ticker";
constexpr DWORD kWindowWaitMs = 20000;  // generous: the machine may be slow and loaded
constexpr DWORD kSendTimeoutMs = 20000;
constexpr int kApplyButton = 0x3021;  // the sheet's "Apply" button

// -- registry, read and written directly, not through the store under test ----------------------
inline bool RawDword(const char* name, DWORD* value) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = sizeof *value;
    LONG rc = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

inline DWORD Dword(const char* name, DWORD absent = 0xDEADBEEF) {
    DWORD value = absent;
    RawDword(name, &value);
    return value;
}

// A string value as text (up to its first zero); "<absent>" when there is none.
inline std::string String(const char* name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<absent>";
    char data[1024] = {};
    DWORD size = sizeof data - 1;
    LONG rc = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? std::string(data) : "<absent>";
}

inline void SetDword(const char* name, DWORD value) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}

inline void SetString(const char* name, const std::string& text) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
}

// -- the stand-in ticker window -------------------------------------------------------------------
// A plain window of this thread in the place of the docked ticker: the sheet is owned by it,
// and the pages re-arm its refresh timer, rebuild the strip fonts for it and repaint it.
inline HWND CreateStandInTicker() {
    static ATOM atom = [] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = "PrefsTestTicker";
        return RegisterClassA(&wc);
    }();
    (void)atom;
    HWND window =
        CreateWindowExA(WS_EX_TOOLWINDOW, "PrefsTestTicker", "", WS_POPUP | WS_VISIBLE, 600, 740,
                        340, 24, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
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

// -- acting on controls
// ----------------------------------------------------------------------------
inline LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kSendTimeoutMs, &result);
    return static_cast<LRESULT>(result);
}

// A click on a button that finishes without opening anything modal.
inline void Click(HWND dialog, int id) { Send(GetDlgItem(dialog, id), BM_CLICK); }
// A click whose handling may open a modal window; the caller waits for what follows.
inline void PostClick(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// Replaces the text of an edit box the way typing does: select all, then one WM_CHAR per
// character, so the box's own rules (upper case, length limit) apply.
inline void Type(HWND dialog, int id, const std::string& text) {
    HWND edit = GetDlgItem(dialog, id);
    Send(edit, EM_SETSEL, 0, -1);
    Send(edit, WM_CHAR, VK_BACK, 0);
    for (unsigned char c : text) Send(edit, WM_CHAR, c, 0);
}

inline std::string Text(HWND dialog, int id) {
    char text[1024] = "";
    HWND control = GetDlgItem(dialog, id);
    Send(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

// The texts of every static control of a window, each between "|" characters.
inline std::string StaticTexts(HWND window) {
    std::string out = "|";
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[64] = "", text[512] = "";
        GetClassNameA(child, cls, sizeof cls);
        if (lstrcmpiA(cls, "Static") != 0) continue;
        Send(child, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
        out += std::string(text) + "|";
    }
    return out;
}

inline bool Checked(HWND dialog, int id) {
    return Send(GetDlgItem(dialog, id), BM_GETCHECK) == BST_CHECKED;
}

// A check box brought to the wanted state by clicking it, as the user would.
inline void SetCheck(HWND dialog, int id, bool on) {
    if (Checked(dialog, id) != on) Click(dialog, id);
}

inline std::string ListEntries(HWND dialog, int id) {
    HWND list = GetDlgItem(dialog, id);
    std::string out;
    LRESULT count = Send(list, LB_GETCOUNT);
    for (LRESULT i = 0; i < count; ++i) {
        char entry[300] = "";
        if (Send(list, LB_GETTEXTLEN, i) >= static_cast<LRESULT>(sizeof entry)) return "<long>";
        Send(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(entry));
        out += (out.empty() ? "" : " ") + std::string(entry);
    }
    return out;
}

// -- the sheet ------------------------------------------------------------------------------------
inline HWND CurrentPage(HWND sheet) {
    return reinterpret_cast<HWND>(Send(sheet, PSM_GETCURRENTPAGEHWND));
}

// Switches to page index as a click on its tab does, and returns the page.
inline HWND ShowPage(HWND sheet, int index) {
    Send(sheet, PSM_SETCURSEL, index, 0);
    return CurrentPage(sheet);
}

inline std::string TabTitles(HWND sheet) {
    HWND tabs = reinterpret_cast<HWND>(Send(sheet, PSM_GETTABCONTROL));
    std::string out;
    LRESULT count = Send(tabs, TCM_GETITEMCOUNT);
    for (LRESULT i = 0; i < count; ++i) {
        char text[64] = "";
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        Send(tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
        out += (out.empty() ? "" : "|") + std::string(text);
    }
    return out;
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

    // Opens the sheet, shows page index (the one it opens on when negative), checks that the
    // page holds the control probe and runs steps on it.
    void RunOnPage(int index, int probe, const std::function<void(HWND sheet, HWND page)>& steps) {
        RunModal([&] { ShowPreferences(ticker_); },
                 [&] {
                     HWND sheet = WaitForDialog(thread_, "Preferences");
                     ASSERT_NE(nullptr, sheet);
                     HWND page = index < 0 ? CurrentPage(sheet) : ShowPage(sheet, index);
                     ASSERT_NE(nullptr, GetDlgItem(page, probe));
                     steps(sheet, page);
                 });
    }

    HWND ticker_ = nullptr;
    LONG savedFeedDisabled_ = 0;
    uint32_t savedWidthDivisor_ = 3;
    DWORD thread_ = 0;
};

}  // namespace prefs_test
