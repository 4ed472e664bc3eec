// The strip's kept-width paths against the plain walks they stand in for: StripRuler against
// WalkStrip (pieces, places, widths, end) and WalkVisibleFrame against WalkFrame (the draws
// that can show, in order and place, and the pen). Each check returns "" when they agree, else
// the first difference. The fuzz targets run them on arbitrary texts; the unit tests on what a
// fuzzer is unlikely to build (positions held at kStripXLimit far out).
#pragma once
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "display/strip_frame.h"
#include "feed/content_model.h"

namespace strip_identity {

// Widths from every byte (labels 5..12 pixels a byte, values 6..15), so that a wrong byte
// measured shows; a piece that begins with "\x01" names its width in the digits that follow,
// negative or enormous.
inline int32_t Width(const StripPiece& p) {
    if (p.length > 1 && p.bytes[0] == '\x01')
        return int32_t(
            std::clamp<long long>(std::strtoll(p.bytes + 1, nullptr, 10), INT_MIN, INT_MAX));
    int32_t w = 0;
    for (size_t i = 0; i < p.length; ++i) {
        const unsigned c = static_cast<unsigned char>(p.bytes[i]);
        w += p.value ? 6 + c * 7 % 10 : 5 + c * 3 % 8;
    }
    return w;
}

// Counts what it measures.
struct Meter {
    int calls = 0;
    static int32_t Measure(void* context, const StripPiece& p) {
        ++static_cast<Meter*>(context)->calls;
        return Width(p);
    }
};

inline std::string Describe(const StripPiece& p, const std::string& more) {
    return std::to_string(p.index) + (p.value ? " value " : " label ") + std::to_string(p.first) +
           " at " + std::to_string(p.x) + " " + more + (p.bytes[p.length] ? " unended" : "") +
           ": " + std::string(p.bytes, p.length);
}

inline std::string FirstDifference(const std::vector<std::string>& want,
                                   const std::vector<std::string>& got) {
    for (size_t i = 0; i < std::max(want.size(), got.size()); ++i) {
        const std::string a = i < want.size() ? want[i] : "nothing";
        const std::string b = i < got.size() ? got[i] : "nothing";
        if (a != b)
            return "#" + std::to_string(i) + " want " + a.substr(0, 60) + ", got " +
                   b.substr(0, 60);
    }
    return "";
}

// The ruler (its widths measured) against the walk of the same text, both from startX.
inline std::string RulerDiffers(const StripRuler& ruler, const char* text, size_t size,
                                int32_t startX) {
    std::vector<std::string> want, got;
    const auto measure = [](void*, const StripPiece& p) { return Width(p); };
    const auto place = [](void* c, const StripPiece& p, int32_t width) {
        static_cast<std::vector<std::string>*>(c)->push_back(Describe(p, std::to_string(width)));
    };
    const int32_t end = WalkStrip(text, size, startX, StripWalker{&want, measure, nullptr, place});
    want.push_back("end " + std::to_string(end));
    char buffer[kSegmentBufferSize];
    for (size_t i = 0; i < ruler.SegmentCount(); ++i)
        got.push_back(
            Describe(ruler.Piece(i, ruler.X(i, startX), buffer), std::to_string(ruler.Width(i))));
    got.push_back("end " + std::to_string(ruler.X(ruler.SegmentCount(), startX)));
    return FirstDifference(want, got);
}

struct Drawing {
    struct Draw {
        std::string what;
        int32_t x, width;
    };
    Meter meter;
    std::vector<Draw> draws;
    FrameDrawer Drawer() {
        return FrameDrawer{
            this,
            [](void* c, const StripPiece& p) {
                return Meter::Measure(&static_cast<Drawing*>(c)->meter, p);
            },
            [](void* c, const StripPiece& p, int32_t x, int32_t y) {
                static_cast<Drawing*>(c)->draws.push_back(
                    {Describe(p, std::to_string(x) + "," + std::to_string(y)), x, Width(p)});
            }};
    }
};

struct Frame {
    int32_t margin, offset, clientWidth;
    FrameView view;
};

// WalkVisibleFrame over ruler (whose text is text) against WalkFrame, with the draws the
// latter makes where nothing can show left out. fast measures for the ruler, frame after frame.
inline std::string FrameDiffers(StripRuler& ruler, const char* text, size_t size, const Frame& f,
                                Drawing& fast) {
    Drawing plain;
    WalkFrame(text, size, f.margin, f.offset, f.clientWidth, plain.Drawer());
    std::vector<std::string> want, got;
    for (const Drawing::Draw& d : plain.draws)
        if (int64_t{d.x} - f.view.inkLeft < f.view.right &&
            int64_t{d.x} + std::max(0, d.width) + f.view.inkRight > f.view.left)
            want.push_back(d.what);
    want.push_back("pen " + std::to_string(PenX.load()) + "," + std::to_string(PenY.load()));
    PenX = -12345;
    PenY = -6;
    fast.draws.clear();
    const int drawn =
        WalkVisibleFrame(ruler, f.margin, f.offset, f.clientWidth, f.view, fast.Drawer());
    for (const Drawing::Draw& d : fast.draws) got.push_back(d.what);
    got.push_back("pen " + std::to_string(PenX.load()) + "," + std::to_string(PenY.load()));
    if (drawn != int(fast.draws.size()))
        return "drew " + std::to_string(fast.draws.size()) + ", said " + std::to_string(drawn);
    return FirstDifference(want, got);
}

// The fuzz targets' end: a difference found stops the run with its description.
inline void Check(const std::string& difference) {
    if (difference.empty()) return;
    std::fprintf(stderr, "%s\n", difference.c_str());
    std::abort();
}

}  // namespace strip_identity
