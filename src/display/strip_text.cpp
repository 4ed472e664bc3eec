// The segment walk and the marker table. Runs on whichever thread measures or paints.
#include "display/strip_text.h"

#include <algorithm>
#include <cstring>

#include "app/text.h"

const ColorMarker kColorMarkers[kColorMarkerCount] = {
    {'+', kQuoteUpColor},       {'-', kQuoteDownColor},  {'%', kQuoteNcColor},  {'{', kUsColor},
    {'}', kWorldColor},         {'~', kBusinessColor},   {'!', kPoliticsColor}, {'@', kSportsColor},
    {'^', kEntertainmentColor}, {'?', kTechnologyColor},
};

ColorRole MarkerColorRole(char c) {
    for (const ColorMarker& m : kColorMarkers)
        if (m.marker == c) return m.role;
    return kColorRoleCount;
}

bool IsColorMarker(char c) {
    return MarkerColorRole(c) != kColorRoleCount;
}

uint32_t PieceColor(const StripPiece& piece, const uint32_t colors[kColorRoleCount]) {
    if (!piece.value) return colors[kSymbolColor];
    ColorRole role = MarkerColorRole(piece.first);
    return role == kColorRoleCount ? kUnmarkedValueColor : colors[role];
}

int32_t WalkStrip(const char* text, size_t size, int32_t startX, const StripWalker& walker) {
    char buffer[kSegmentBufferSize];
    const size_t length = text ? BoundedLength(text, size) : 0;
    int64_t x = startX;
    size_t pos = 0;
    for (int index = 0; pos < length; ++index) {
        const char* start = text + pos;
        const void* bar = std::memchr(start, '|', length - pos);
        if (!bar) break;
        const size_t n = static_cast<const char*>(bar) - start;
        const size_t skip = n && IsColorMarker(start[0]) ? 1 : 0;
        const size_t keep = std::min(n - skip, kSegmentTextMax);
        std::memcpy(buffer, start + skip, keep);
        buffer[keep] = ' ';
        buffer[keep + 1] = 0;

        StripPiece piece{
            buffer, keep + 1, index, index % 2 == 1, n ? start[0] : '\0', static_cast<int32_t>(x)};
        if (walker.reach && !walker.reach(walker.context, piece)) break;
        int32_t width = std::max<int32_t>(0, walker.measure(walker.context, piece));
        if (walker.place) walker.place(walker.context, piece, width);
        x = std::min<int64_t>(x + width, kStripXLimit);
        pos += n + 1;
    }
    return static_cast<int32_t>(x);
}
