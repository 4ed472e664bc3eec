// The call counters: each replaces one import table entry of this program and calls on
// through the address that was there. Counting is single-threaded (the benchmark's).
#include "gdi_calls_win.h"

#include <windows.h>

#include <cstring>

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

struct Hook {
    const char* name;
    void** real;
    void* counted;
};

template <class F> Hook MakeHook(const char* name, F* real, F counted) {
    return Hook{name, reinterpret_cast<void**>(real), reinterpret_cast<void*>(counted)};
}

}  // namespace

bool CountGdiCalls() {
    static bool installed = false;
    if (installed) return true;
    const Hook hooks[] = {
        MakeHook("GetTextExtentPoint32A", &RealGetTextExtentPoint32A, CountedGetTextExtentPoint32A),
        MakeHook("DrawTextA", &RealDrawTextA, CountedDrawTextA),
        MakeHook("TextOutA", &RealTextOutA, CountedTextOutA),
        MakeHook("SelectObject", &RealSelectObject, CountedSelectObject),
        MakeHook("CreateCompatibleDC", &RealCreateCompatibleDC, CountedCreateCompatibleDC),
        MakeHook("CreateCompatibleBitmap", &RealCreateCompatibleBitmap,
                 CountedCreateCompatibleBitmap),
        MakeHook("GetDC", &RealGetDC, CountedGetDC),
        MakeHook("BitBlt", &RealBitBlt, CountedBitBlt),
    };
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!dir.VirtualAddress) return false;
    unsigned found = 0;  // one bit per hook
    for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
         imp->Name; ++imp) {
        if (!imp->OriginalFirstThunk) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            for (unsigned h = 0; h < sizeof hooks / sizeof hooks[0]; ++h) {
                const Hook& hook = hooks[h];
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), hook.name) != 0)
                    continue;
                DWORD old;
                void** slot = reinterpret_cast<void**>(&slots->u1.Function);
                if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old)) return false;
                *hook.real = *slot;
                *slot = hook.counted;
                VirtualProtect(slot, sizeof *slot, old, &old);
                found |= 1u << h;
            }
        }
    }
    installed = found == (1u << (sizeof hooks / sizeof hooks[0])) - 1;
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
