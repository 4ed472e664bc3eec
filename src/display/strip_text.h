// How the strip reads its text: segments ended by "|", alternately labels and values, a
// leading colour marker that is dropped, one space appended to each. WalkStrip walks and
// measures segments; StripRuler keeps what such a walk measured so that it need not be measured
// again. Both cut the text into the same pieces (one function here makes them), so link
// positions, the scroll period and the painted frame cannot disagree. Plain functions over
// plain data: the feed worker calls them through the layout, the window thread through the
// painter.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

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
    const char* bytes;  // the segment without its marker, one space appended, zero-terminated
    size_t length;      // bytes to measure and draw, the space included
    int index;          // position in the text, 0 for the first segment
    bool value;         // odd positions (the 2nd, 4th, ... segment) are values
    char first;         // the segment's first character as it stands (its marker), 0 if empty
    int32_t x;          // strip x where it starts
};

// The sum of the widths of length bytes, each read from widths (indexed by the unsigned byte),
// held within int32 range.
int32_t SumOfByteWidths(const int32_t widths[256], const char* bytes, size_t length);

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

// The segments of one strip text with their measured widths, kept from one use to the next, so
// that a frame or a link does not measure again what an earlier one already measured. Widths
// are those of WalkStrip, piece for piece; positions follow from them exactly as the walk adds
// them up, the limit at kStripXLimit included. Plain data, no locking: every ruler belongs to
// one thread (the painter's to the window thread, the layout's to the feed worker).
//
// Width of one piece in its font. A ruler measures a batch at a time, the labels of the batch
// first and then its values, so that a device context changes font twice per batch instead
// of at every segment; the pieces therefore come out of order and their x is 0.
struct PieceMeasure {
    void* context;
    int32_t (*measure)(void* context, const StripPiece& piece);
};

class StripRuler {
  public:
    // Makes text (read up to its zero byte, at most size bytes; null reads as empty) the
    // ruler's text. Segments that the new text repeats byte for byte, up to and including their
    // "|", keep their widths: a text that only grows at its end, as the reply's text does from
    // one link to the next, is measured only where it is new. Returns whether the text differs
    // from the previous one.
    bool SetText(const char* text, size_t size);
    // Drops every width, keeping the text: the fonts they were measured in are gone.
    void ForgetWidths();

    size_t SegmentCount() const { return segments_.size(); }
    size_t MeasuredCount() const { return measured_; }
    // Measures every segment before end (at most SegmentCount()) that has no width yet.
    void MeasureTo(size_t end, const PieceMeasure& measure);

    // Strip x where segment i starts when the first starts at startX, as WalkStrip places it;
    // for i == SegmentCount() where the last one ends, which is what WalkStrip returns.
    // Needs the widths of the segments before i.
    int32_t X(size_t i, int32_t startX) const;
    // Width of segment i (measured), never negative.
    int32_t Width(size_t i) const { return segments_[i].width; }
    // Segment i as WalkStrip hands it on: its bytes with the space appended, copied into buffer
    // (kSegmentBufferSize bytes), placed at x.
    StripPiece Piece(size_t i, int32_t x, char* buffer) const;

  private:
    struct Segment {
        uint32_t start;   // offset of its first byte (its marker, if any)
        uint32_t length;  // bytes before its "|"
        int64_t end;      // sum of the widths up to and including this one, once measured
        int32_t width;
    };
    void FindSegments(size_t from);

    std::vector<char> text_;
    std::vector<Segment> segments_;
    size_t measured_ = 0;
};
