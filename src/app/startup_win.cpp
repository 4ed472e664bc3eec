// Start-up: closes a running ticker, registers the window classes, makes room in the taskbar's
// notification area with blank reserve icons, creates the hidden ticker window there and runs
// the message loop. Everything here runs on the window thread before the feed worker exists.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstddef>
#include <cstring>

#include "app/embed_rules.h"
#include "app/ticker_host_win.h"
#include "base/messages.h"
#include "base/text.h"
#include "display/tooltips_win.h"
#include "feed/feed_worker_win.h"
#include "res/resource.h"
#include "settings/settings.h"
#include "settings/settings_store_win.h"
#include "shell/info_bar_win.h"

// The records we hand the shell have the sizes of the era's 32-bit shell; the 64-bit build
// has wider handles, so only the i686 build can hold them to those numbers.
// The SDK's _V1_SIZE macros are not constant expressions, so they are spelled out here.
#if defined(__i386__)
static_assert(offsetof(NOTIFYICONDATAA, szTip) + 64 == 88, "notification icon record of the era");
static_assert(offsetof(TTTOOLINFOA, lpszText) + sizeof(char*) == 40, "tool record of the era");
static_assert(sizeof(APPBARDATA) == 36, "taskbar record of the era");
#endif

NOTIFYICONDATAA ReserveIcons[kReserveIconSlots];
int ReserveIconCount;
int GrownWidth;
int IconWidth;
int TickerWidth;
int BaselineWidth;

namespace {

const char kSideTaskbarText[] =
    "The Ticker control cannot run when the Windows Taskbar is docked to either the left or "
    "right side of the screen.  Exiting...";
const char kNoTaskbarText[] =
    "The Ticker control cannot find the notification area of the Windows Taskbar.  Exiting...";
const char kNoRoomText[] =
    "The Ticker control cannot make enough room in the notification area of the Windows "
    "Taskbar.  Exiting...";
const char kStillRunningText[] = "A running copy of the Ticker does not close.  Exiting...";

// A running copy gets this long, this many times, to close before we give up on it.
constexpr UINT kCloseWaitMs = 10000;
constexpr int kCloseAttempts = 5;
// A refresh still running when the window has gone gets this long to end.
constexpr DWORD kWorkerEndWaitMs = 5000;

void Tell(const char* text, const char* caption = kProgramCaption) {
    MessageBoxA(nullptr, text, caption, MB_OK);
}

bool CloseRunningTicker() {
    for (int attempt = 0; attempt < kCloseAttempts; ++attempt) {
        HWND running = FindRunningTicker();
        if (!running) return true;
        DWORD_PTR result;
        SendMessageTimeoutA(running, WM_TICKER_CLOSE, 0, 0, SMTO_NORMAL, kCloseWaitMs, &result);
    }
    if (!FindRunningTicker()) return true;
    Tell(kStillRunningText);
    return false;
}

bool RegisterTickerClasses(HINSTANCE instance) {
    WNDCLASSA bar = {};
    bar.style = CS_DBLCLKS;
    bar.lpfnWndProc = InfoBarWndProc;
    bar.hInstance = instance;
    bar.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    bar.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    bar.lpszClassName = kInfoBarClass;
    RegisterClassA(&bar);

    WNDCLASSA ticker = {};
    ticker.style = CS_DBLCLKS;
    ticker.lpfnWndProc = TickerWndProc;
    ticker.hInstance = instance;
    ticker.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    ticker.lpszClassName = kTickerClass;  // no brush: the window erases its own background
    return RegisterClassA(&ticker) != 0;
}

// Under the shells we run on, SHAppBarMessage always answers; a failed call says nothing about
// the edge, so it lets start-up go on to look for the notification area itself.
bool TaskbarAllowsTicker() {
    APPBARDATA bar = {};
    bar.cbSize = sizeof bar;
    if (!SHAppBarMessage(ABM_GETTASKBARPOS, &bar)) return true;
    return AcceptTaskbarPosition(bar.rc, GetSystemMetrics(SM_CXSCREEN));
}

// Adds blank icons until the notification area has grown by the target width or the table
// is full; fills ReserveIconCount and GrownWidth.
void AddReserveIcons(HWND area, int target) {
    HICON blank = static_cast<HICON>(
        LoadImageA(ProgramInstance, MAKEINTRESOURCEA(IDI_RESERVE), IMAGE_ICON, 16, 16, 0));
    RECT rc;
    GetClientRect(area, &rc);
    ReserveLoop loop = BeginReserveLoop(rc.right);
    ReserveIconCount = 0;
    GrownWidth = 0;
    do {
        NOTIFYICONDATAA& icon = ReserveIcons[ReserveIconCount];
        std::memset(&icon, 0, sizeof icon);
        icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
        icon.uID = ReserveIconCount;
        icon.uFlags = NIF_ICON;
        icon.hIcon = blank;
        Shell_NotifyIconA(NIM_ADD, &icon);
        ++ReserveIconCount;
        GetClientRect(area, &rc);
        GrownWidth = GrownAfterIcon(loop, rc.right, rc.bottom);
    } while (NeedsMoreIcons(GrownWidth, target) && ReserveIconCount < kReserveIconSlots);
}

bool EmbedTicker(HINSTANCE instance) {
    if (!TaskbarAllowsTicker()) return false;
    TickerSettings.largeSize = ReadFlagSetting(IDC_LARGE_SIZE);
    WidthDivisor = WidthDivisorFor(TickerSettings.largeSize);
    int target = TargetWidth(GetSystemMetrics(SM_CXSCREEN), WidthDivisor);

    HWND taskbar;
    HWND area = FindNotifyArea(&taskbar);
    if (!area) {
        Tell(kNoTaskbarText);
        return false;
    }
    HWND clock = GetWindow(area, GW_CHILD);

    LockWindowUpdate(taskbar);
    int clockWidth = ClientWidth(clock);
    AddReserveIcons(area, target);
    IconWidth = GrownWidth / ReserveIconCount;
    TickerWidth = TickerWidthFor(GrownWidth);
    LockWindowUpdate(nullptr);

    if (!AcceptReserve(GrownWidth, target)) {
        RemoveReserveIcons();
        Tell(kNoRoomText);
        return false;
    }

    RECT rc;
    GetClientRect(area, &rc);
    BaselineWidth = rc.right;
    int x = BaselineWidth - TickerWidth - clockWidth;
    TickerWindow =
        CreateWindowExA(0, kTickerClass, "", WS_CHILD | WS_CLIPCHILDREN, x, rc.top, TickerWidth,
                        rc.bottom - rc.top, area, nullptr, instance, nullptr);
    if (!TickerWindow) {
        RemoveReserveIcons();
        Tell("Ticker Window Create Failed", "Error");
        return false;
    }
    BuildTooltips(TickerWindow);
    return true;
}

}  // namespace

bool ClassIs(HWND window, const char* className) {
    char name[100];
    if (!window || !GetClassNameA(window, name, sizeof name)) return false;
    return EqualsNoCase(name, className);
}

int ClientWidth(HWND window) {
    RECT rc = {};
    if (window) GetClientRect(window, &rc);
    return rc.right;
}

bool AcceptTaskbarPosition(const RECT& bar, int screenWidth) {
    if (TaskbarSpansScreen(bar.left, bar.right, screenWidth)) return true;
    Tell(kSideTaskbarText);
    return false;
}

HWND FindNotifyArea(HWND* taskbar) {
    HWND bar = FindWindowA(kTaskbarClass, nullptr);
    if (taskbar) *taskbar = bar;
    if (!bar) return nullptr;
    for (HWND child = GetWindow(bar, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (ClassIs(child, kNotifyAreaClass)) return child;
    return nullptr;
}

// A docked ticker is one of the notification area's first two children: a freshly created
// ticker sits at the top of its siblings, in front of the clock. An expanded one, or one over
// a screen saver, lives in its information bar instead, a top-level window of its own.
HWND FindRunningTicker() {
    if (HWND area = FindNotifyArea(nullptr)) {
        HWND first = GetWindow(area, GW_CHILD);
        if (ClassIs(first, kTickerClass)) return first;
        HWND second = first ? GetWindow(first, GW_HWNDNEXT) : nullptr;
        if (ClassIs(second, kTickerClass)) return second;
    }
    HWND bar = FindWindowA(kInfoBarClass, nullptr);
    return bar ? FindWindowExA(bar, nullptr, kTickerClass, nullptr) : nullptr;
}

void RemoveReserveIcons() {
    for (int i = 0; i < ReserveIconCount; ++i) Shell_NotifyIconA(NIM_DELETE, &ReserveIcons[i]);
    ReserveIconCount = 0;
}

int TickerMain(HINSTANCE instance) {
    ProgramInstance = instance;
    InitCommonControls();
    if (!CloseRunningTicker()) return 0;
    if (!RegisterTickerClasses(instance)) return 0;
    if (!EmbedTicker(instance)) return 0;

    MSG msg = {};
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    // The feed worker measures with the layout's static rulers, which go when WinMain returns.
    // Told to stop, a worker ends within moments; one held up all the same (in a network call
    // the system will not give up, or a message box of the update's) ends with the process,
    // which stops every other thread before anything static goes.
    if (!WaitForFeedWorker(kWorkerEndWaitMs)) ExitProcess(static_cast<UINT>(msg.wParam));
    return static_cast<int>(msg.wParam);
}
