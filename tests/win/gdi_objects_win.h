// What the in-process tests share: a count of the process's live GDI objects, the one maker of
// their windows, and the one read-back of a window's pixels.
#pragma once
#include <windows.h>
#include <winternl.h>

#include <cstdint>
#include <vector>

namespace gdi_test {

// Live GDI objects of this process, or -1 when they cannot be counted. GetGuiResources where
// the system counts them; Wine does not, but keeps the handle table that the process
// environment block points to, as Windows does, and a live entry there has a nonzero type.
inline int GdiObjectCount() {
    if (DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return static_cast<int>(n);
    using QueryProcess = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    auto query = reinterpret_cast<QueryProcess>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION info{};
    if (!query || query(GetCurrentProcess(), ProcessBasicInformation, &info, sizeof info, nullptr))
        return -1;
    const BYTE* peb = reinterpret_cast<const BYTE*>(info.PebBaseAddress);
    // 0x10000 entries of 24 bytes; the type is the byte at 14.
    const BYTE* table =
        *reinterpret_cast<const BYTE* const*>(peb + (sizeof(void*) == 8 ? 0xf8 : 0x94));
    if (!table) return -1;
    auto count = [table] {
        int live = 0;
        for (int i = 0; i < 0x10000; ++i) live += table[i * 24 + 14] != 0;
        return live;
    };
    // Trust the table only if one brush more shows as one entry more.
    const int before = count();
    HBRUSH probe = CreateSolidBrush(RGB(1, 2, 3));
    const bool counts = count() == before + 1;
    DeleteObject(probe);
    return counts && count() == before ? before : -1;
}

inline void Pump() {
    for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageA(&msg);
}

// A shown top-most popup of class className (registered here with proc), painted once. Its
// class has no background brush: by default it erases and paints nothing, and what it shows is
// what the test drew into it.
inline HWND TestWindow(const char* className, int x, int y, int width, int height,
                       WNDPROC proc = DefWindowProcA) {
    WNDCLASSA wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = className;
    RegisterClassA(&wc);
    HWND window =
        CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, className, "", WS_POPUP | WS_VISIBLE, x,
                        y, width, height, nullptr, nullptr, wc.hInstance, nullptr);
    UpdateWindow(window);
    Pump();
    return window;
}

// The top left width x height pixels of a window, as COLORREF values row by row.
struct Pixels {
    int width = 0, height = 0;
    std::vector<COLORREF> px;
    COLORREF At(int x, int y) const { return px[y * width + x]; }
};

inline Pixels ReadWindow(HWND window, int width, int height) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(nullptr), source = GetDC(window);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
    GdiFlush();
    Pixels p{width, height, {}};
    for (int i = 0; i < width * height; ++i) {
        const uint32_t v = static_cast<uint32_t*>(bits)[i];
        p.px.push_back(RGB((v >> 16) & 255, (v >> 8) & 255, v & 255));
    }
    ReleaseDC(window, source);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(dib);
    return p;
}

}  // namespace gdi_test
