// Screensaver.exe: stand-in screen saver. One thread: a topmost full-screen popup of class
// "WindowsScreenSaverClass" that draws bouncing lines from a timer, ignores the mouse, and
// closes on WM_CLOSE or after --seconds N. Other processes may move and size it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char kClass[] = "WindowsScreenSaverClass";
const UINT_PTR kFrameTimer = 1;
const UINT_PTR kLifetimeTimer = 2;
const UINT kFrameMs = 50;
const int kCorners = 4;
const int kTrail = 12;  // how many outlines stay drawn

struct Corner {
    int x, y, dx, dy;
};

struct Saver {
    Corner corners[kCorners];
    POINT trail[kTrail][kCorners + 1];  // closed outlines, newest at index head
    int head = 0;
    int frames = 0;
};

Saver g_saver;

void ClampInto(Corner& c, int width, int height) {
    if (width < 1) width = 1;
    if (height < 1) height = 1;
    if (c.x < 0) c.x = 0, c.dx = abs(c.dx);
    if (c.x >= width) c.x = width - 1, c.dx = -abs(c.dx);
    if (c.y < 0) c.y = 0, c.dy = abs(c.dy);
    if (c.y >= height) c.y = height - 1, c.dy = -abs(c.dy);
}

void StartPattern(int width, int height) {
    const int speeds[kCorners][2] = {{7, 5}, {-6, 8}, {5, -7}, {-8, -6}};
    for (int i = 0; i < kCorners; ++i) {
        g_saver.corners[i] =
            Corner{width * (i + 1) / (kCorners + 1),
                   height * ((i * 3) % kCorners + 1) / (kCorners + 1), speeds[i][0], speeds[i][1]};
    }
    for (auto& outline : g_saver.trail)
        for (auto& pt : outline) pt = POINT{0, 0};
}

// Moves the corners one step and records the new outline in place of the oldest one.
void StepPattern(int width, int height) {
    for (Corner& c : g_saver.corners) {
        c.x += c.dx;
        c.y += c.dy;
        ClampInto(c, width, height);
    }
    g_saver.head = (g_saver.head + 1) % kTrail;
    for (int i = 0; i <= kCorners; ++i) {
        const Corner& c = g_saver.corners[i % kCorners];
        g_saver.trail[g_saver.head][i] = POINT{c.x, c.y};
    }
    ++g_saver.frames;
}

COLORREF CurrentColour() {
    switch ((g_saver.frames / 64) % 3) {
    case 0: return RGB(255, 96, 0);
    case 1: return RGB(0, 224, 128);
    default: return RGB(160, 64, 255);
    }
}

void DrawOutline(HDC dc, const POINT* outline, COLORREF colour) {
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ old = SelectObject(dc, pen);
    Polyline(dc, outline, kCorners + 1);
    SelectObject(dc, old);
    DeleteObject(pen);
}

void OnPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    for (const auto& outline : g_saver.trail) DrawOutline(dc, outline, CurrentColour());
    EndPaint(hwnd, &ps);
}

// One frame: rub out the oldest outline, step, draw the newest. Cheap enough for any size.
void OnTimer(HWND hwnd, UINT_PTR id) {
    if (id == kLifetimeTimer) {
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
        return;
    }
    RECT rc;
    GetClientRect(hwnd, &rc);
    HDC dc = GetDC(hwnd);
    DrawOutline(dc, g_saver.trail[(g_saver.head + 1) % kTrail], RGB(0, 0, 0));
    StepPattern(rc.right, rc.bottom);
    DrawOutline(dc, g_saver.trail[g_saver.head], CurrentColour());
    ReleaseDC(hwnd, dc);
}

void OnSize(HWND hwnd, int width, int height) {
    for (Corner& c : g_saver.corners) ClampInto(c, width, height);
    InvalidateRect(hwnd, nullptr, FALSE);
}

LRESULT CALLBACK SaverProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: OnPaint(hwnd); return 0;
    case WM_ERASEBKGND: return 1;  // painting covers everything
    case WM_TIMER: OnTimer(hwnd, wParam); return 0;
    case WM_SIZE: OnSize(hwnd, LOWORD(lParam), HIWORD(lParam)); return 0;
    case WM_SETCURSOR: SetCursor(nullptr); return TRUE;
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

// --seconds N (0..86400, 0 = until closed). Returns -1 on a bad command line.
int ParseSeconds(int argc, char** argv) {
    int seconds = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") != 0 || i + 1 >= argc) return -1;
        char* end = nullptr;
        const long value = std::strtol(argv[++i], &end, 10);
        if (*end || end == argv[i] || value < 0 || value > 86400) return -1;
        seconds = static_cast<int>(value);
    }
    return seconds;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    const int seconds = ParseSeconds(__argc, __argv);
    if (seconds < 0) {
        std::fprintf(stderr, "usage: Screensaver [--seconds N]\n");
        return 2;
    }
    WNDCLASSA wc = {};
    wc.lpfnWndProc = SaverProc;
    wc.hInstance = instance;
    wc.lpszClassName = kClass;
    if (!RegisterClassA(&wc)) return 1;

    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    StartPattern(width, height);
    HWND hwnd = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClass, "Screen Saver",
                                WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr,
                                instance, nullptr);
    if (!hwnd) return 1;
    SetTimer(hwnd, kFrameTimer, kFrameMs, nullptr);
    if (seconds > 0) SetTimer(hwnd, kLifetimeTimer, static_cast<UINT>(seconds) * 1000, nullptr);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
