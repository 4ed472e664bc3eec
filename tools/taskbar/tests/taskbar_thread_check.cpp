// taskbar_thread_check: runs the stand-in taskbar on its own thread inside this process, the
// way a test hosts it beside the ticker. The main thread adds notification icons, puts a red
// child window into the notification area, reads the screen back and stops the taskbar; it
// prints one JSON line with what it saw and exits 0 when everything held.
//
//   taskbar_thread_check [taskbar options]
#include "taskbar_standin.h"

#include <shellapi.h>

#include <cstdio>
#include <cstring>

namespace {

const int kIcons = 5;
const COLORREF kRed = RGB(255, 0, 0);

int AreaWidth(HWND area) {
    RECT rc = {};
    return GetClientRect(area, &rc) ? rc.right : -1;
}

int NotifyAll(DWORD message) {
    int done = 0;
    for (int id = 0; id < kIcons; ++id) {
        NOTIFYICONDATAA data;
        std::memset(&data, 0, sizeof(data));
        data.cbSize = NOTIFYICONDATAA_V1_SIZE;
        data.uID = static_cast<UINT>(id);
        if (Shell_NotifyIconA(message, &data)) ++done;
    }
    return done;
}

void PumpFor(DWORD ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(10);
    }
}

LRESULT CALLBACK RedProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

HWND CreateRedChild(HWND parent, int width, int height) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = RedProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = CreateSolidBrush(kRed);
    wc.lpszClassName = "RedStrip";
    RegisterClassA(&wc);
    HWND child = CreateWindowExA(0, "RedStrip", "", WS_CHILD | WS_VISIBLE, 2, 0, width, height,
                                 parent, nullptr, wc.hInstance, nullptr);
    if (child) UpdateWindow(child);
    return child;
}

COLORREF ScreenPixelAtCentre(HWND window) {
    RECT rc = {};
    GetWindowRect(window, &rc);
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    ReleaseDC(nullptr, screen);
    return colour;
}

}  // namespace

int main(int argc, char** argv) {
    TaskbarOptions options;
    std::string error;
    if (!ParseTaskbarArgs(argc, argv, options, error)) {
        std::fprintf(stderr, "taskbar_thread_check: %s\n", error.c_str());
        return 2;
    }
    if (!StartTaskbarThread(options)) {
        std::printf("{\"started\":false}\n");
        return 1;
    }
    HWND bar = TaskbarWindow();
    const bool found = FindWindowA("Shell_TrayWnd", nullptr) == bar;
    HWND area = FindWindowExA(bar, nullptr, "TrayNotifyWnd", nullptr);
    const int before = area ? AreaWidth(area) : -1;
    const int added = NotifyAll(NIM_ADD);
    const int after = area ? AreaWidth(area) : -1;
    HWND child = area ? CreateRedChild(area, kIcons * kTaskbarShellIconWidth, 16) : nullptr;
    PumpFor(500);
    const COLORREF seen = child ? ScreenPixelAtCentre(child) : CLR_INVALID;
    if (child) DestroyWindow(child);
    const int removed = NotifyAll(NIM_DELETE);
    const int afterDelete = area ? AreaWidth(area) : -1;
    StopTaskbar();
    const bool stopped = TaskbarWindow() == nullptr && !IsWindow(bar);
    const bool drawn = seen == kRed;
    std::printf("{\"started\":true,\"find_window_is_ours\":%s,\"before\":%d,\"added\":%d,"
                "\"after\":%d,\"removed\":%d,\"after_delete\":%d,\"child_drawn\":%s,"
                "\"pixel\":\"#%02x%02x%02x\",\"stopped\":%s}\n",
                found ? "true" : "false", before, added, after, removed, afterDelete,
                drawn ? "true" : "false", GetRValue(seen), GetGValue(seen), GetBValue(seen),
                stopped ? "true" : "false");
    const bool ok = found && area && after - before == kIcons * kTaskbarShellIconWidth &&
                    afterDelete == before && drawn && stopped;
    return ok ? 0 : 1;
}
