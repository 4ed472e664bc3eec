// tick_floor.exe: what any strip like the ticker's costs at the least, for reading
// ticker_cpu.py's figures. A window of the docked strip's size with the scroll tick's 50 ms
// timer that, at every tick, does only what the tick cannot do without: take the window's
// device context, copy `frames` ready-made frames into it through a clip, give the context back.
//
//   tick_floor FRAMES      0: the timer and the context only
#include <windows.h>

#include <cstdlib>

namespace {

int Frames;
HDC Frame;

LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER: {
        HDC dc = GetDC(window);
        for (int i = 0; i < Frames; ++i) {
            HRGN clip = CreateRectRgn(10, 1, 272, 23);
            SelectClipRgn(dc, clip);
            BitBlt(dc, 0, 0, 349, 24, Frame, 0, 0, SRCCOPY);
            SelectClipRgn(dc, nullptr);
            DeleteObject(clip);
        }
        ReleaseDC(window, dc);
        return 0;
    }
    case WM_PAINT: ValidateRect(window, nullptr); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
    Frames = argc > 1 ? std::atoi(argv[1]) : 0;
    WNDCLASSA wc{};
    wc.lpfnWndProc = FloorProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TickFloor";
    RegisterClassA(&wc);
    HWND window =
        CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "TickFloor", "", WS_POPUP | WS_VISIBLE,
                        613, 742, 349, 24, nullptr, nullptr, wc.hInstance, nullptr);
    HDC dc = GetDC(window);
    Frame = CreateCompatibleDC(dc);
    SelectObject(Frame, CreateCompatibleBitmap(dc, 349, 24));
    ReleaseDC(window, dc);
    SetTimer(window, 1, 50, nullptr);
    for (MSG msg; GetMessageA(&msg, nullptr, 0, 0) > 0;) DispatchMessageA(&msg);
    return 0;
}
