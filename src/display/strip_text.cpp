// The segment walk, the ruler that keeps its widths, and the marker table. Runs on whichever
// thread measures or paints; a ruler on the one thread that owns it.
#include "display/strip_text.h"

#include <algorithm>
#include <cstring>

#include "base/text.h"

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

bool IsColorMarker(char c) { return MarkerColorRole(c) != kColorRoleCount; }

int32_t SumOfByteWidths(const int32_t widths[256], const char* bytes, size_t length) {
    int64_t sum = 0;
    for (size_t i = 0; i < length; ++i) sum += widths[static_cast<unsigned char>(bytes[i])];
    return static_cast<int32_t>(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
}

uint32_t PieceColor(const StripPiece& piece, const uint32_t colors[kColorRoleCount]) {
    if (!piece.value) return colors[kSymbolColor];
    ColorRole role = MarkerColorRole(piece.first);
    return role == kColorRoleCount ? kUnmarkedValueColor : colors[role];
}

namespace {

// The piece of the segment of n bytes at start: its marker dropped, cut to the buffer, one
// space appended. The one place that says what is measured and drawn of a segment.
StripPiece MakePiece(const char* start, size_t n, size_t index, int64_t x, char* buffer) {
    const size_t skip = n && IsColorMarker(start[0]) ? 1 : 0;
    const size_t keep = std::min(n - skip, kSegmentTextMax);
    std::memcpy(buffer, start + skip, keep);
    buffer[keep] = ' ';
    buffer[keep + 1] = 0;
    return StripPiece{buffer,
                      keep + 1,
                      static_cast<int>(index),
                      index % 2 == 1,
                      n ? start[0] : '\0',
                      static_cast<int32_t>(x)};
}

}  // namespace

int32_t WalkStrip(const char* text, size_t size, int32_t startX, const StripWalker& walker) {
    char buffer[kSegmentBufferSize];
    const size_t length = text ? BoundedLength(text, size) : 0;
    int64_t x = startX;
    size_t pos = 0;
    for (size_t index = 0; pos < length; ++index) {
        const char* start = text + pos;
        const void* bar = std::memchr(start, '|', length - pos);
        if (!bar) break;
        const size_t n = static_cast<const char*>(bar) - start;
        const StripPiece piece = MakePiece(start, n, index, x, buffer);
        if (walker.reach && !walker.reach(walker.context, piece)) break;
        int32_t width = std::max<int32_t>(0, walker.measure(walker.context, piece));
        if (walker.place) walker.place(walker.context, piece, width);
        x = std::min<int64_t>(x + width, kStripXLimit);
        pos += n + 1;
    }
    return static_cast<int32_t>(x);
}

bool StripRuler::SetText(const char* text, size_t size) {
    const size_t length = text ? BoundedLength(text, size) : 0;
    const size_t shorter = std::min(length, text_.size());
    // Most calls bring the same text (every frame of a tick) or the same text grown (every
    // link of a reply): one comparison settles those.
    size_t same = shorter;
    if (shorter && std::memcmp(text_.data(), text, shorter) != 0)
        same = static_cast<size_t>(std::mismatch(text_.data(), text_.data() + shorter, text).first -
                                   text_.data());
    if (same == length && length == text_.size()) return false;

    // Segments whose "|" lies inside the common part keep their place and width.
    const auto kept =
        std::partition_point(segments_.begin(), segments_.end(), [same](const Segment& s) {
            return size_t{s.start} + s.length < same;
        });
    segments_.erase(kept, segments_.end());
    measured_ = std::min(measured_, segments_.size());

    text_.resize(length);
    if (length > same) std::memcpy(text_.data() + same, text + same, length - same);
    FindSegments(segments_.empty() ? 0 : segments_.back().start + segments_.back().length + 1);
    return true;
}

void StripRuler::ForgetWidths() { measured_ = 0; }

void StripRuler::FindSegments(size_t from) {
    const char* text = text_.data();
    const size_t length = text_.size();
    for (size_t pos = from; pos < length;) {
        const void* bar = std::memchr(text + pos, '|', length - pos);
        if (!bar) break;  // the text after the last "|" is no segment
        const size_t n = static_cast<const char*>(bar) - (text + pos);
        segments_.push_back(Segment{static_cast<uint32_t>(pos), static_cast<uint32_t>(n), 0, 0});
        pos += n + 1;
    }
}

void StripRuler::MeasureTo(size_t end, const PieceMeasure& measure) {
    end = std::min(end, segments_.size());
    if (measured_ >= end) return;
    char buffer[kSegmentBufferSize];
    for (size_t parity = 0; parity < 2; ++parity) {
        for (size_t i = measured_ + (measured_ % 2 != parity); i < end; i += 2) {
            const StripPiece piece = Piece(i, 0, buffer);
            segments_[i].width = std::max<int32_t>(0, measure.measure(measure.context, piece));
        }
    }
    int64_t sum = measured_ ? segments_[measured_ - 1].end : 0;
    for (size_t i = measured_; i < end; ++i) {
        sum += segments_[i].width;
        segments_[i].end = sum;
    }
    measured_ = end;
}

int32_t StripRuler::X(size_t i, int32_t startX) const {
    if (i == 0) return startX;
    // The walk stops adding at kStripXLimit; since no width is negative, where it stands is
    // the plain sum held at that limit.
    return static_cast<int32_t>(
        std::min<int64_t>(int64_t{startX} + segments_[i - 1].end, kStripXLimit));
}

StripPiece StripRuler::Piece(size_t i, int32_t x, char* buffer) const {
    return MakePiece(text_.data() + segments_[i].start, segments_[i].length, i, x, buffer);
}
