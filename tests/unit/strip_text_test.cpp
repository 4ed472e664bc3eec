// The segment walk and the painter's frame walk, against the fake font (fake_font.h).
#include "display/strip_frame.h"
#include "display/strip_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fake_font.h"
#include "feed/content_model.h"

namespace {

// Distinct colours, one per role, so a wrong role shows.
struct Palette {
    uint32_t colors[kColorRoleCount];
    Palette() {
        for (int i = 0; i < kColorRoleCount; ++i) colors[i] = Rgb(10 + i, 20 + i, 30 + i);
    }
};
const Palette kPalette;

struct Seen {
    std::string bytes;
    bool value;
    int32_t x;
    int32_t y;  // frame walks only
    uint32_t color;
};

struct Recorder {
    std::vector<Seen> seen;
    int stopAt = -1;  // index at which reach() says no

    static int32_t Measure(void*, const StripPiece& p) { return FakeWidth(p); }
    static bool Reach(void* c, const StripPiece& p) {
        return static_cast<Recorder*>(c)->stopAt != p.index;
    }
    static void Place(void* c, const StripPiece& p, int32_t width) {
        EXPECT_EQ(FakeWidth(p), width);
        EXPECT_EQ(0, p.bytes[p.length]);  // the segment buffer is always terminated
        static_cast<Recorder*>(c)->seen.push_back(
            {std::string(p.bytes, p.length), p.value, p.x, 0, PieceColor(p, kPalette.colors)});
    }
    static void Draw(void* c, const StripPiece& p, int32_t x, int32_t y) {
        static_cast<Recorder*>(c)->seen.push_back(
            {std::string(p.bytes, p.length), p.value, x, y, PieceColor(p, kPalette.colors)});
    }

    int32_t Walk(const std::string& text, int32_t startX = 0) {
        return WalkStrip(text.c_str(), text.size() + 1, startX,
                         StripWalker{this, Measure, Reach, Place});
    }
    int Frame(const std::string& text, int32_t margin, int32_t offset, int32_t clientWidth) {
        return WalkFrame(text.c_str(), text.size() + 1, margin, offset, clientWidth,
                         FrameDrawer{this, Measure, Draw});
    }
};

TEST(StripWalk, LabelThenValueEachWithOneSpace) {
    Recorder r;
    EXPECT_EQ(2 * kLabelChar + 2 * kValueChar, r.Walk("A|B|"));
    ASSERT_EQ(2u, r.seen.size());
    EXPECT_EQ("A ", r.seen[0].bytes);
    EXPECT_FALSE(r.seen[0].value);
    EXPECT_EQ(0, r.seen[0].x);
    EXPECT_EQ(kPalette.colors[kSymbolColor], r.seen[0].color);
    EXPECT_EQ("B ", r.seen[1].bytes);
    EXPECT_TRUE(r.seen[1].value);
    EXPECT_EQ(2 * kLabelChar, r.seen[1].x);
    EXPECT_EQ(kUnmarkedValueColor, r.seen[1].color);
}

TEST(StripWalk, EmptyLabelStillTakesItsSpaceAndTheValueItsMarkerColour) {
    Recorder r;
    EXPECT_EQ(kLabelChar + 6 * kValueChar, r.Walk("|+1 1/2|"));
    ASSERT_EQ(2u, r.seen.size());
    EXPECT_EQ(" ", r.seen[0].bytes);
    EXPECT_EQ("1 1/2 ", r.seen[1].bytes);
    EXPECT_EQ(kPalette.colors[kQuoteUpColor], r.seen[1].color);
}

TEST(StripWalk, MarkersAreDroppedButOnlyValuesTakeTheirColour) {
    Recorder r;
    r.Walk("@IBM|#5 down|{News|++1|");
    ASSERT_EQ(4u, r.seen.size());
    EXPECT_EQ("IBM ", r.seen[0].bytes);  // label: marker dropped, colour unchanged
    EXPECT_EQ(kPalette.colors[kSymbolColor], r.seen[0].color);
    EXPECT_EQ("#5 down ", r.seen[1].bytes);  // no marker: white, first character kept
    EXPECT_EQ(kUnmarkedValueColor, r.seen[1].color);
    EXPECT_EQ("News ", r.seen[2].bytes);
    EXPECT_FALSE(r.seen[2].value);
    EXPECT_EQ("+1 ", r.seen[3].bytes);  // only the first marker goes
    EXPECT_EQ(kPalette.colors[kQuoteUpColor], r.seen[3].color);
}

TEST(StripWalk, OnlySegmentsEndedByABarCount) {
    Recorder r;
    EXPECT_EQ(5, r.Walk("no bar at all", 5));
    EXPECT_TRUE(r.seen.empty());

    r.Walk("a|b|c|tail without bar");
    ASSERT_EQ(3u, r.seen.size());
    EXPECT_FALSE(r.seen[2].value);  // the third segment is a label again
    EXPECT_EQ("c ", r.seen[2].bytes);
    EXPECT_EQ(2 * kLabelChar + 2 * kValueChar, r.seen[2].x);

    r.seen.clear();
    r.Walk("||x|");  // empty segments keep their place in the alternation
    ASSERT_EQ(3u, r.seen.size());
    EXPECT_TRUE(r.seen[1].value);
    EXPECT_EQ(kUnmarkedValueColor, r.seen[1].color);
    EXPECT_EQ("x ", r.seen[2].bytes);
    EXPECT_FALSE(r.seen[2].value);
}

TEST(StripWalk, ReachEndsTheWalkBeforeMeasuring) {
    Recorder r;
    r.stopAt = 1;
    EXPECT_EQ(2 * kLabelChar, r.Walk("A|B|C|"));
    EXPECT_EQ(1u, r.seen.size());
}

TEST(StripWalk, ALongSegmentIsCutToTheSegmentBuffer) {
    Recorder r;
    std::string text = "L|" + std::string(30000, 'v') + "|R|";
    r.Walk(text);
    ASSERT_EQ(3u, r.seen.size());
    EXPECT_EQ(kSegmentBufferSize - 1, r.seen[1].bytes.size());  // 4998 bytes and the space
    EXPECT_EQ(' ', r.seen[1].bytes.back());
    EXPECT_EQ("R ", r.seen[2].bytes);  // the walk goes on after the cut segment
    EXPECT_EQ(2 * kLabelChar + int32_t(kSegmentBufferSize - 1) * kValueChar, r.seen[2].x);
}

TEST(StripWalk, NeverReadsPastTheGivenSize) {
    // A full buffer of bars without a zero byte: every byte is a segment end, nothing more.
    std::vector<char> bars(kDisplayTextSize, '|');
    int count = 0;
    auto measure = [](void* c, const StripPiece&) {
        ++*static_cast<int*>(c);
        return int32_t{1};
    };
    EXPECT_EQ(kDisplayTextSize, WalkStrip(bars.data(), bars.size(), 0,
                                          StripWalker{&count, measure, nullptr, nullptr}));
    EXPECT_EQ(kDisplayTextSize, count);
    EXPECT_EQ(0, WalkStrip(nullptr, 10, 0, StripWalker{&count, measure, nullptr, nullptr}));
}

TEST(StripWalk, PositionsStayBoundedWhateverTheMeasurementSays) {
    auto huge = [](void*, const StripPiece&) { return int32_t{0x7fffffff}; };
    auto negative = [](void*, const StripPiece&) { return int32_t{-50}; };
    EXPECT_EQ(kStripXLimit,
              WalkStrip("a|b|c|", 7, 0, StripWalker{nullptr, huge, nullptr, nullptr}));
    EXPECT_EQ(3, WalkStrip("a|b|c|", 7, 3, StripWalker{nullptr, negative, nullptr, nullptr}));
}

TEST(StripFrame, SegmentsGoFromTheMarginLabelsAtTopValuesThreeLower) {
    Recorder r;
    EXPECT_EQ(3, r.Frame("A|+B|C|", 11, 20, 500));
    ASSERT_EQ(3u, r.seen.size());
    EXPECT_EQ(11 - 20, r.seen[0].x);  // left of the window: still drawn, clipped later
    EXPECT_EQ(0, r.seen[0].y);
    EXPECT_EQ(11 - 20 + 2 * kLabelChar, r.seen[1].x);
    EXPECT_EQ(kValueDrop, r.seen[1].y);
    EXPECT_EQ(kPalette.colors[kQuoteUpColor], r.seen[1].color);
    EXPECT_EQ(0, r.seen[2].y);
    EXPECT_EQ(11 + 4 * kLabelChar + 2 * kValueChar, PenX.load());
    EXPECT_EQ(kValueDrop, PenY.load());  // a value comes next
}

TEST(StripFrame, DrawingStopsAtTheFirstSegmentRightOfTheWindow) {
    Recorder r;
    // "AAAA " ends at 11 + 35 = 46: the next segment starts exactly at a 46-pixel-wide
    // window's edge and is drawn; in a 45-pixel window it is not.
    EXPECT_EQ(2, r.Frame("AAAA|B|C|", 11, 0, 46));
    r.seen.clear();
    EXPECT_EQ(1, r.Frame("AAAA|B|C|", 11, 0, 45));
    EXPECT_EQ(11 + 5 * kLabelChar, PenX.load());
    EXPECT_EQ(kValueDrop, PenY.load());

    r.seen.clear();
    EXPECT_EQ(0, r.Frame("", 0, 0, 600));  // empty text: nothing drawn, pen at the margin
    EXPECT_EQ(0, PenX.load());
    EXPECT_EQ(0, PenY.load());
}

TEST(StripFrame, AdvanceMovesOnePixelAndWraps) {
    WrapWidth = 100;
    ScrollForward = 1;
    ScrollOffset = 50;
    AdvanceScroll();
    EXPECT_EQ(51, ScrollOffset.load());
    ScrollOffset = 100;  // WrapWidth + 1 comes back to 1
    AdvanceScroll();
    EXPECT_EQ(1, ScrollOffset.load());
    ScrollForward = 0;
    ScrollOffset = 0;
    AdvanceScroll();
    EXPECT_EQ(99, ScrollOffset.load());
    ScrollForward = 1;
    ScrollOffset = 0;
    WrapWidth = 0;
}

}  // namespace
