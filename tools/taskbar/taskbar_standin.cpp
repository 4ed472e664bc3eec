// Stand-in taskbar: the "Shell_TrayWnd" bar, its "TrayNotifyWnd" notification area and the
// "TrayClockWClass" clock. Every window and all icon state belong to the taskbar thread (the
// thread that runs RunTaskbar, or the one StartTaskbarThread makes); other threads and
// processes reach it only through messages. StartTaskbarThread/StopTaskbar run on the caller's.
#include "taskbar_standin.h"

#include <shellapi.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const char kBarClass[] = "Shell_TrayWnd";
const char kNotifyClass[] = "TrayNotifyWnd";
const char kClockClass[] = "TrayClockWClass";

const UINT_PTR kLazyTimer = 1;   // on the bar: apply a delayed notification-area resize
const UINT_PTR kClockTimer = 1;  // on the clock: check whether the minute changed
const int kEdge = 2;             // margin between the bar's edge and its contents
const int kStartWidth = 54;      // the "Start" button
const int kMaxIcons = 512;
const int kMaxForeignWidth = 200;
const int kOnScreenWhenHidden = 2;  // pixels left on the screen by a slid-away bar
const DWORD kStopTimeoutMs = 10000;

// Leading part of the record Shell_NotifyIcon sends with WM_COPYDATA (dwData = NIM_ code).
struct NotifyHeader {
    LONG hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
};

struct Icon {
    bool foreign;
    LONG owner;  // Shell_NotifyIcon icons: the owner window value; foreign: 0
    UINT id;
    int width;
};

struct Taskbar {
    TaskbarOptions options;
    HINSTANCE instance = nullptr;
    HWND bar = nullptr;
    HWND area = nullptr;
    HWND clock = nullptr;
    std::vector<Icon> icons;  // in the order they were added: the left-to-right layout
    UINT nextForeignId = 1;
    bool lazyPending = false;
    bool slidAway = false;
    bool startPressed = false;
    char clockText[32] = "";
};

Taskbar g_taskbar;
HWND volatile g_barWindow = nullptr;  // read by other threads through TaskbarWindow()
HANDLE g_thread = nullptr;

// ---- geometry ----------------------------------------------------------------------------

int ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

int AreaHeight() { return g_taskbar.options.height - 2 * kEdge; }

// The client width the notification area should have for the icons held now.
int WantedAreaWidth() {
    int width = kTaskbarNotifyPadding + g_taskbar.options.clockWidth;
    for (const Icon& icon : g_taskbar.icons) width += icon.width;
    return width;
}

int BarTop() {
    const int height = g_taskbar.options.height;
    if (g_taskbar.options.top) return g_taskbar.slidAway ? kOnScreenWhenHidden - height : 0;
    return g_taskbar.slidAway ? ScreenHeight() - kOnScreenWhenHidden : ScreenHeight() - height;
}

RECT StartButtonRect() {
    RECT rc = {kEdge, kEdge, kEdge + kStartWidth, g_taskbar.options.height - kEdge};
    return rc;
}

// Sizes the notification area to its icons, anchored at the bar's right end, and keeps the
// clock at the area's right end. Runs at once or from the lazy timer.
void ApplyAreaLayout() {
    if (!g_taskbar.area) return;
    const int width = WantedAreaWidth();
    const int height = AreaHeight();
    const int x = ScreenWidth() - kEdge - width;
    SetWindowPos(g_taskbar.area, nullptr, x, kEdge, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(g_taskbar.clock, nullptr, width - g_taskbar.options.clockWidth, 0,
                 g_taskbar.options.clockWidth, height, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(g_taskbar.area, nullptr, TRUE);
}

void AreaChanged() {
    if (g_taskbar.options.lazyMs <= 0) {
        ApplyAreaLayout();
    } else if (!g_taskbar.lazyPending) {
        g_taskbar.lazyPending = true;
        SetTimer(g_taskbar.bar, kLazyTimer, static_cast<UINT>(g_taskbar.options.lazyMs), nullptr);
    }
}

// ---- icon table --------------------------------------------------------------------------

__attribute__((format(printf, 1, 2))) void LogLine(const char* format, ...) {
    if (g_taskbar.options.logPath.empty()) return;
    char line[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof(line), format, args);
    va_end(args);
    FILE* file = std::fopen(g_taskbar.options.logPath.c_str(), "ab");
    if (!file) return;
    std::fprintf(file, "%s\n", line);
    std::fflush(file);
    std::fclose(file);
}

// "add shell hwnd=0x0 id=3 width=112": what happened to which icon, and the client width the
// notification area has (or, with a resize delay, is about to have) afterwards.
void LogEvent(const char* what, bool foreign, LONG owner, UINT id) {
    LogLine("%s %s hwnd=0x%lx id=%u width=%d", what, foreign ? "foreign" : "shell",
            static_cast<unsigned long>(owner), id, WantedAreaWidth());
}

int FindIcon(bool foreign, LONG owner, UINT id) {
    for (size_t i = 0; i < g_taskbar.icons.size(); ++i) {
        const Icon& icon = g_taskbar.icons[i];
        if (icon.foreign == foreign && icon.owner == owner && icon.id == id)
            return static_cast<int>(i);
    }
    return -1;
}

bool AddIcon(bool foreign, LONG owner, UINT id, int width) {
    if (FindIcon(foreign, owner, id) >= 0 || g_taskbar.icons.size() >= kMaxIcons) {
        LogEvent("add-ignored", foreign, owner, id);
        return false;
    }
    g_taskbar.icons.push_back(Icon{foreign, owner, id, width});
    LogEvent("add", foreign, owner, id);
    AreaChanged();
    return true;
}

bool DeleteIcon(bool foreign, LONG owner, UINT id) {
    const int index = FindIcon(foreign, owner, id);
    if (index < 0) {
        LogEvent("delete-ignored", foreign, owner, id);
        return false;
    }
    g_taskbar.icons.erase(g_taskbar.icons.begin() + index);
    LogEvent("delete", foreign, owner, id);
    AreaChanged();
    return true;
}

UINT AddForeignIcon(WPARAM requested) {
    if (requested > static_cast<WPARAM>(kMaxForeignWidth)) return 0;
    const int width = requested == 0 ? kTaskbarForeignIconWidth : static_cast<int>(requested);
    const UINT id = g_taskbar.nextForeignId;
    if (!AddIcon(true, 0, id, width)) return 0;
    ++g_taskbar.nextForeignId;
    return id;
}

bool RemoveForeignIcon(UINT id) {
    if (id == 0) {
        for (size_t i = g_taskbar.icons.size(); i-- > 0;) {
            if (g_taskbar.icons[i].foreign) {
                id = g_taskbar.icons[i].id;
                break;
            }
        }
        if (id == 0) return false;
    }
    return DeleteIcon(true, 0, id);
}

int CountIcons(WPARAM which) {
    int count = 0;
    for (const Icon& icon : g_taskbar.icons) {
        if (which == 0 || (which == 1 && !icon.foreign) || (which == 2 && icon.foreign)) ++count;
    }
    return count;
}

// ---- bar window --------------------------------------------------------------------------

LRESULT OnCopyData(WPARAM from, const COPYDATASTRUCT* data) {
    if (!data || !data->lpData || data->cbData < sizeof(NotifyHeader)) return FALSE;
    NotifyHeader header;
    std::memcpy(&header, data->lpData, sizeof(header));
    LogLine("copydata code=%lu wparam=0x%llx bytes=%lu hwnd=0x%lx id=%u flags=0x%x callback=0x%x",
            static_cast<unsigned long>(data->dwData), static_cast<unsigned long long>(from),
            static_cast<unsigned long>(data->cbData), static_cast<unsigned long>(header.hWnd),
            header.uID, header.uFlags, header.uCallbackMessage);
    switch (data->dwData) {
    case NIM_ADD: return AddIcon(false, header.hWnd, header.uID, kTaskbarShellIconWidth);
    case NIM_MODIFY: return FindIcon(false, header.hWnd, header.uID) >= 0;
    case NIM_DELETE: return DeleteIcon(false, header.hWnd, header.uID);
    default: return FALSE;
    }
}

void PaintStartButton(HDC dc) {
    RECT rc = StartButtonRect();
    DrawEdge(dc, &rc, g_taskbar.startPressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
    // A small four-colour flag, then the caption.
    const COLORREF colours[4] = {RGB(255, 0, 0), RGB(0, 160, 0), RGB(0, 0, 255), RGB(255, 200, 0)};
    const int shift = g_taskbar.startPressed ? 1 : 0;
    const int top = (rc.top + rc.bottom) / 2 - 6 + shift;
    for (int i = 0; i < 4; ++i) {
        RECT cell = {rc.left + 3 + shift + (i % 2) * 6, top + (i / 2) * 6, 0, 0};
        cell.right = cell.left + 5;
        cell.bottom = cell.top + 5;
        HBRUSH brush = CreateSolidBrush(colours[i]);
        FillRect(dc, &cell, brush);
        DeleteObject(brush);
    }
    RECT text = rc;
    text.left += 17 + shift;
    text.top += shift;
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    DrawTextA(dc, "Start", -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, oldFont);
}

void OnBarPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &rc, EDGE_RAISED, g_taskbar.options.top ? BF_BOTTOM : BF_TOP);
    PaintStartButton(dc);
    EndPaint(hwnd, &ps);
}

void OnBarTimer(HWND hwnd, UINT_PTR id) {
    if (id != kLazyTimer) return;
    KillTimer(hwnd, kLazyTimer);
    g_taskbar.lazyPending = false;
    ApplyAreaLayout();
}

void Slide(bool away) {
    g_taskbar.slidAway = away;
    SetWindowPos(g_taskbar.bar, nullptr, 0, BarTop(), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT SetLazy(WPARAM ms) {
    const int previous = g_taskbar.options.lazyMs;
    g_taskbar.options.lazyMs = ms > 600000 ? 600000 : static_cast<int>(ms);
    if (g_taskbar.options.lazyMs == 0 && g_taskbar.lazyPending)
        OnBarTimer(g_taskbar.bar, kLazyTimer);
    return previous;
}

void OnStartButtonDown(HWND hwnd, POINT pt) {
    RECT rc = StartButtonRect();
    if (!PtInRect(&rc, pt)) return;
    g_taskbar.startPressed = true;
    SetCapture(hwnd);
    InvalidateRect(hwnd, &rc, TRUE);
}

void OnStartButtonUp(HWND hwnd, POINT pt) {
    if (!g_taskbar.startPressed) return;
    g_taskbar.startPressed = false;
    ReleaseCapture();
    RECT rc = StartButtonRect();
    InvalidateRect(hwnd, &rc, TRUE);
    if (PtInRect(&rc, pt)) LogLine("start-click x=%ld y=%ld", pt.x, pt.y);
}

void OnStartButtonOther(const char* what, POINT pt) {
    RECT rc = StartButtonRect();
    if (PtInRect(&rc, pt)) LogLine("%s x=%ld y=%ld", what, pt.x, pt.y);
}

POINT PointFromLParam(LPARAM lParam) {
    POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    return pt;
}

LRESULT CALLBACK BarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COPYDATA: return OnCopyData(wParam, reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_PAINT: OnBarPaint(hwnd); return 0;
    case WM_TIMER: OnBarTimer(hwnd, wParam); return 0;
    case WM_LBUTTONDOWN: OnStartButtonDown(hwnd, PointFromLParam(lParam)); return 0;
    case WM_LBUTTONUP: OnStartButtonUp(hwnd, PointFromLParam(lParam)); return 0;
    case WM_LBUTTONDBLCLK: OnStartButtonOther("start-dblclick", PointFromLParam(lParam)); return 0;
    case WM_RBUTTONUP: OnStartButtonOther("start-rclick", PointFromLParam(lParam)); return 0;
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    case WM_TASKBAR_ADD_FOREIGN: return AddForeignIcon(wParam);
    case WM_TASKBAR_REMOVE_FOREIGN: return RemoveForeignIcon(static_cast<UINT>(wParam));
    case WM_TASKBAR_SLIDE_AWAY: Slide(true); return TRUE;
    case WM_TASKBAR_SLIDE_BACK: Slide(false); return TRUE;
    case WM_TASKBAR_ICON_COUNT: return CountIcons(wParam);
    case WM_TASKBAR_SET_LAZY: return SetLazy(wParam);
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

// ---- notification area -------------------------------------------------------------------

// Begins painting the notification area or the clock: the client rectangle into rc, with the
// sunken edge of the two drawn on the given sides.
HDC BeginSunkenPaint(HWND hwnd, PAINTSTRUCT* ps, RECT* rc, UINT sides) {
    HDC dc = BeginPaint(hwnd, ps);
    GetClientRect(hwnd, rc);
    DrawEdge(dc, rc, BDR_SUNKENOUTER, sides);
    return dc;
}

void OnAreaPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    RECT rc;
    HDC dc = BeginSunkenPaint(hwnd, &ps, &rc, BF_TOP | BF_LEFT | BF_BOTTOM);
    // Only foreign icons show something; icons from Shell_NotifyIcon are drawn blank.
    int x = kTaskbarNotifyPadding / 2;
    const int top = (rc.bottom - kTaskbarShellIconWidth) / 2;
    for (const Icon& icon : g_taskbar.icons) {
        if (icon.foreign) {
            RECT cell = {x + 2, top, x + icon.width - 2, top + kTaskbarShellIconWidth};
            HBRUSH brush = CreateSolidBrush(RGB(0, 128, 128));
            FillRect(dc, &cell, brush);
            DeleteObject(brush);
        }
        x += icon.width;
    }
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK AreaProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: OnAreaPaint(hwnd); return 0;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

// ---- clock -------------------------------------------------------------------------------

void CurrentTime(char* text, int size) {
    if (GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, nullptr, nullptr, text, size) == 0)
        text[0] = '\0';
}

void OnClockTimer(HWND hwnd) {
    char now[sizeof(g_taskbar.clockText)];
    CurrentTime(now, sizeof(now));
    if (std::strcmp(now, g_taskbar.clockText) == 0) return;
    std::memcpy(g_taskbar.clockText, now, sizeof(now));
    InvalidateRect(hwnd, nullptr, TRUE);
}

void OnClockPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    RECT rc;
    HDC dc = BeginSunkenPaint(hwnd, &ps, &rc, BF_TOP | BF_RIGHT | BF_BOTTOM);
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    DrawTextA(dc, g_taskbar.clockText, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, oldFont);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK ClockProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: OnClockPaint(hwnd); return 0;
    case WM_TIMER: OnClockTimer(hwnd); return 0;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

// ---- creation and message loop -----------------------------------------------------------

bool RegisterOneClass(const char* name, WNDPROC proc, UINT style) {
    WNDCLASSA wc = {};
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = g_taskbar.instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name;
    return RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CreateNotifyArea() {
    const int width = WantedAreaWidth();
    const int height = AreaHeight();
    g_taskbar.area = CreateWindowExA(0, kNotifyClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                                     ScreenWidth() - kEdge - width, kEdge, width, height,
                                     g_taskbar.bar, nullptr, g_taskbar.instance, nullptr);
    if (!g_taskbar.area) return false;
    g_taskbar.clock = CreateWindowExA(
        0, kClockClass, "", WS_CHILD | WS_VISIBLE, width - g_taskbar.options.clockWidth, 0,
        g_taskbar.options.clockWidth, height, g_taskbar.area, nullptr, g_taskbar.instance, nullptr);
    if (!g_taskbar.clock) return false;
    CurrentTime(g_taskbar.clockText, sizeof(g_taskbar.clockText));
    SetTimer(g_taskbar.clock, kClockTimer, 1000, nullptr);
    return true;
}

// Creates the windows on the calling thread; on failure destroys what was made.
bool CreateTaskbar(const TaskbarOptions& options) {
    if (g_taskbar.bar) return false;  // one taskbar per process
    g_taskbar = Taskbar();
    g_taskbar.options = options;
    g_taskbar.instance = GetModuleHandleA(nullptr);
    if (!RegisterOneClass(kBarClass, BarProc, CS_DBLCLKS) ||
        !RegisterOneClass(kNotifyClass, AreaProc, 0) ||
        !RegisterOneClass(kClockClass, ClockProc, 0))
        return false;
    for (int i = 0; i < options.foreignIcons && i < kMaxIcons; ++i)
        g_taskbar.icons.push_back(
            Icon{true, 0, g_taskbar.nextForeignId++, kTaskbarForeignIconWidth});

    g_taskbar.bar = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kBarClass, "",
                                    WS_POPUP | WS_CLIPCHILDREN, 0, BarTop(), ScreenWidth(),
                                    options.height, nullptr, nullptr, g_taskbar.instance, nullptr);
    if (!g_taskbar.bar) return false;
    if (options.notifyArea && !CreateNotifyArea()) {
        DestroyWindow(g_taskbar.bar);
        g_taskbar.bar = nullptr;
        return false;
    }
    SetWindowPos(g_taskbar.bar, HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    UpdateWindow(g_taskbar.bar);
    g_barWindow = g_taskbar.bar;
    return true;
}

int MessageLoop() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    g_barWindow = nullptr;
    g_taskbar.bar = g_taskbar.area = g_taskbar.clock = nullptr;
    return 0;
}

struct ThreadStart {
    TaskbarOptions options;
    HANDLE ready;
    bool ok;
};

DWORD WINAPI TaskbarThread(void* param) {
    ThreadStart* start = static_cast<ThreadStart*>(param);
    const bool ok = CreateTaskbar(start->options);
    start->ok = ok;
    SetEvent(start->ready);  // start must not be touched after this
    return ok ? static_cast<DWORD>(MessageLoop()) : 1;
}

bool ParseInt(const char* text, int low, int high, int& value) {
    if (!text || !*text) return false;
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (*end != '\0' || parsed < low || parsed > high) return false;
    value = static_cast<int>(parsed);
    return true;
}

}  // namespace

bool ParseTaskbarArgs(int argc, char** argv, TaskbarOptions& options, std::string& error) {
    struct NumberOption {
        const char* name;
        int* value;
        int low, high;
    };
    const NumberOption numbers[] = {
        {"--height", &options.height, 16, 200},
        {"--clock-width", &options.clockWidth, 1, 400},
        {"--lazy", &options.lazyMs, 0, 600000},
        {"--foreign", &options.foreignIcons, 0, 100},
    };
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
        if (arg == "--top") {
            options.top = true;
            continue;
        }
        if (arg == "--no-notify") {
            options.notifyArea = false;
            continue;
        }
        if (arg == "--log") {
            if (!next) {
                error = "--log needs a file name";
                return false;
            }
            options.logPath = next;
            ++i;
            continue;
        }
        bool known = false;
        for (const NumberOption& number : numbers) {
            if (arg != number.name) continue;
            known = true;
            if (!ParseInt(next, number.low, number.high, *number.value)) {
                error = arg + " needs a number from " + std::to_string(number.low) + " to " +
                        std::to_string(number.high);
                return false;
            }
            ++i;
        }
        if (!known) {
            error = "unknown option: " + arg;
            return false;
        }
    }
    return true;
}

int RunTaskbar(const TaskbarOptions& options) {
    if (!CreateTaskbar(options)) return 1;
    return MessageLoop();
}

bool StartTaskbarThread(const TaskbarOptions& options) {
    if (g_thread) return false;
    ThreadStart start{options, CreateEventA(nullptr, TRUE, FALSE, nullptr), false};
    if (!start.ready) return false;
    DWORD threadId = 0;
    g_thread = CreateThread(nullptr, 0, TaskbarThread, &start, 0, &threadId);
    if (g_thread) WaitForSingleObject(start.ready, INFINITE);
    CloseHandle(start.ready);
    if (g_thread && !start.ok) {
        WaitForSingleObject(g_thread, INFINITE);
        CloseHandle(g_thread);
        g_thread = nullptr;
    }
    return g_thread != nullptr;
}

void StopTaskbar() {
    if (!g_thread) return;
    HWND bar = g_barWindow;
    if (bar) PostMessageA(bar, WM_CLOSE, 0, 0);
    // Keep this thread's messages flowing while waiting: destroying the bar also destroys any
    // child windows this thread put into it, which needs this thread to answer.
    const DWORD deadline = GetTickCount() + kStopTimeoutMs;
    bool quit = false;
    WPARAM quitCode = 0;
    for (;;) {
        const DWORD now = GetTickCount();
        const DWORD left = static_cast<LONG>(deadline - now) > 0 ? deadline - now : 0;
        const DWORD woke = MsgWaitForMultipleObjects(1, &g_thread, FALSE, left, QS_ALLINPUT);
        if (woke != WAIT_OBJECT_0 + 1) break;  // ended, timed out or failed
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                quitCode = msg.wParam;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    if (quit) PostQuitMessage(static_cast<int>(quitCode));  // keep it for the caller's loop
    CloseHandle(g_thread);
    g_thread = nullptr;
}

HWND TaskbarWindow() { return g_barWindow; }
