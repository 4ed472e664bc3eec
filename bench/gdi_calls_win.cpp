// The call counters: each replaces one import table entry of this program and calls on
// through the address that was there. Counting is single-threaded (the benchmark's).
#include "gdi_calls_win.h"

#include <windows.h>

#include <cstring>

#include "patch_import_win.h"

namespace {

uint64_t Counts[kGdiCallCount];

decltype(&GetTextExtentPoint32A) RealGetTextExtentPoint32A;
decltype(&DrawTextA) RealDrawTextA;
decltype(&TextOutA) RealTextOutA;
decltype(&SelectObject) RealSelectObject;
decltype(&CreateCompatibleDC) RealCreateCompatibleDC;
decltype(&CreateCompatibleBitmap) RealCreateCompatibleBitmap;
decltype(&GetDC) RealGetDC;
decltype(&BitBlt) RealBitBlt;

BOOL WINAPI CountedGetTextExtentPoint32A(HDC dc, LPCSTR s, int n, LPSIZE size) {
    ++Counts[kGetTextExtentPoint32A];
    return RealGetTextExtentPoint32A(dc, s, n, size);
}
int WINAPI CountedDrawTextA(HDC dc, LPCSTR s, int n, LPRECT rc, UINT format) {
    ++Counts[kDrawTextA];
    return RealDrawTextA(dc, s, n, rc, format);
}
BOOL WINAPI CountedTextOutA(HDC dc, int x, int y, LPCSTR s, int n) {
    ++Counts[kTextOutA];
    return RealTextOutA(dc, x, y, s, n);
}
HGDIOBJ WINAPI CountedSelectObject(HDC dc, HGDIOBJ object) {
    ++Counts[kSelectObject];
    return RealSelectObject(dc, object);
}
HDC WINAPI CountedCreateCompatibleDC(HDC dc) {
    ++Counts[kCreateCompatibleDC];
    return RealCreateCompatibleDC(dc);
}
HBITMAP WINAPI CountedCreateCompatibleBitmap(HDC dc, int w, int h) {
    ++Counts[kCreateCompatibleBitmap];
    return RealCreateCompatibleBitmap(dc, w, h);
}
HDC WINAPI CountedGetDC(HWND window) {
    ++Counts[kGetDC];
    return RealGetDC(window);
}
BOOL WINAPI CountedBitBlt(HDC dc, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD op) {
    ++Counts[kBitBlt];
    return RealBitBlt(dc, x, y, w, h, src, sx, sy, op);
}

// Points the program's import of name (from dll) at counted, keeping the real one; false when
// the program does not import it.
template <class F> bool Count(const char* dll, const char* name, F* real, F counted) {
    *real = reinterpret_cast<F>(PatchImport(dll, name, reinterpret_cast<void*>(counted)));
    return *real != nullptr;
}

}  // namespace

bool CountGdiCalls() {
    static const bool installed =
        Count("gdi32.dll", "GetTextExtentPoint32A", &RealGetTextExtentPoint32A,
              CountedGetTextExtentPoint32A) &
        Count("user32.dll", "DrawTextA", &RealDrawTextA, CountedDrawTextA) &
        Count("gdi32.dll", "TextOutA", &RealTextOutA, CountedTextOutA) &
        Count("gdi32.dll", "SelectObject", &RealSelectObject, CountedSelectObject) &
        Count("gdi32.dll", "CreateCompatibleDC", &RealCreateCompatibleDC,
              CountedCreateCompatibleDC) &
        Count("gdi32.dll", "CreateCompatibleBitmap", &RealCreateCompatibleBitmap,
              CountedCreateCompatibleBitmap) &
        Count("user32.dll", "GetDC", &RealGetDC, CountedGetDC) &
        Count("gdi32.dll", "BitBlt", &RealBitBlt, CountedBitBlt);
    return installed;
}

GdiCallCounts GdiCallsSoFar() {
    GdiCallCounts c;
    std::memcpy(c.calls, Counts, sizeof Counts);
    return c;
}

GdiCallCounts operator-(const GdiCallCounts& a, const GdiCallCounts& b) {
    GdiCallCounts d;
    for (int i = 0; i < kGdiCallCount; ++i) d.calls[i] = a.calls[i] - b.calls[i];
    return d;
}
