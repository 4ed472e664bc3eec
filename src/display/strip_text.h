// How the strip reads its text: segments ended by "|", alternately labels and values, a
// leading colour marker that is dropped, one space appended to each. WalkStrip is the one place
// that walks and measures segments; link positions, the scroll period and the painted frame all
// come from it, so they cannot disagree. Plain functions over plain data: the feed worker calls
// them through the layout, the window thread through the painter.
#pragma once
#include <cstddef>
#include <cstdint>

#include "settings/settings.h"

// The segment buffer holds one segment, its appended space and the zero byte. A longer segment
// is cut to its first kSegmentTextMax bytes; the cut piece is what is measured and what is
// drawn, so layout and painter still agree. 4998 characters are tens of thousands of pixels,
// far beyond any screen, so nothing visible is lost.
constexpr size_t kSegmentBufferSize = 5000;
constexpr size_t kSegmentTextMax = kSegmentBufferSize - 2;

// Strip x positions stop growing here, so that adding the wrap allowance or one scroll step
// can never overflow, whatever widths a measurement reports.
constexpr int32_t kStripXLimit = 0x3fffffff;

// A value segment without a marker is drawn in white.
constexpr uint32_t kUnmarkedValueColor = Rgb(255, 255, 255);

struct ColorMarker {
    char marker;
    ColorRole role;
};
constexpr int kColorMarkerCount = 10;
extern const ColorMarker kColorMarkers[kColorMarkerCount];

bool IsColorMarker(char c);
// The colour role that marker c selects, or kColorRoleCount when c is no marker.
ColorRole MarkerColorRole(char c);

// One segment as it is measured and drawn.
struct StripPiece {
    const char* bytes; // the segment without its marker, one space appended, zero-terminated
    size_t length;     // bytes to measure and draw, the space included
    int index;         // position in the text, 0 for the first segment
    bool value;        // odd positions (the 2nd, 4th, ... segment) are values
    char first;        // the segment's first character as it stands (its marker), 0 if empty
    int32_t x;         // strip x where it starts
};

// Labels in the "SYMBOL Color"; values in their marker's colour, white without one.
uint32_t PieceColor(const StripPiece& piece, const uint32_t colors[kColorRoleCount]);

// What the walk asks of its caller. The platform fills these in with its own measurement.
struct StripWalker {
    void* context;
    // Required: width in pixels of the piece in its font (label or value).
    int32_t (*measure)(void* context, const StripPiece& piece);
    // Optional: asked before a piece is measured; false ends the walk there.
    bool (*reach)(void* context, const StripPiece& piece);
    // Optional: told each piece with its measured width.
    void (*place)(void* context, const StripPiece& piece, int32_t width);
};

// Walks the segments of text (read up to its zero byte, at most size bytes) from strip x
// startX. Text after the last "|" is not part of the walk. Returns the x where the last
// measured piece ends (startX when nothing was measured).
int32_t WalkStrip(const char* text, size_t size, int32_t startX, const StripWalker& walker);
