// Counts the GDI and USER calls that measure and draw the strip, made by any code linked into
// this program: the program's own import table entries for them are pointed at counters that
// pass each call on. Nothing in the product knows about it.
#pragma once
#include <cstdint>

enum GdiCall {
    kGetTextExtentPoint32A,
    kDrawTextA,
    kTextOutA,
    kSelectObject,
    kCreateCompatibleDC,
    kCreateCompatibleBitmap,
    kGetDC,
    kBitBlt,
    kGdiCallCount
};

// Installs the counters (once); false when the import table could not be changed.
bool CountGdiCalls();

struct GdiCallCounts {
    uint64_t calls[kGdiCallCount] = {};
};
GdiCallCounts GdiCallsSoFar();
GdiCallCounts operator-(const GdiCallCounts& a, const GdiCallCounts& b);
