// The segment walk, the painter's frame walk and the ruler's own rules, against the fake font
// (fake_font.h); and, from the checks the strip fuzzers run (strip_identity.h), the kept-width
// paths where positions are held at kStripXLimit far out, which a fuzzer seldom builds.
#include "display/strip_frame.h"
#include "display/strip_text.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>
#include <vector>

#include "../fuzz/strip_identity.h"
#include "fake_font.h"
#include "feed/content_model.h"

namespace {

// Distinct colours, one per role, so a wrong role shows.
const auto kPalette = [] {
    std::array<uint32_t, kColorRoleCount> colors;
    for (int i = 0; i < kColorRoleCount; ++i) colors[i] = Rgb(10 + i, 20 + i, 30 + i);
    return colors;
}();

// A piece as "bytes|label or value|x|colour role" (W white, S the symbol role), or for frames
// "|x,y".
std::string Seen(const StripPiece& p, int32_t x, const std::string& y = "") {
    const uint32_t color = PieceColor(p, kPalette.data()), role = color % 256 - 10;
    const std::string name = color == kUnmarkedValueColor ? "W"
                             : role == kSymbolColor       ? "S"
                                                          : std::to_string(role);
    return std::string(p.bytes, p.length) + (p.value ? "|v|" : "|l|") + std::to_string(x) +
           (y.empty() ? "|" + name : "|" + y);
}

struct Recorder {
    std::vector<std::string> seen;
    int stopAt = -1;  // index at which reach() says no

    static int32_t Measure(void*, const StripPiece& p) { return FakeWidth(p); }
    static bool Reach(void* c, const StripPiece& p) {
        return static_cast<Recorder*>(c)->stopAt != p.index;
    }
    static void Place(void* c, const StripPiece& p, int32_t width) {
        EXPECT_EQ(FakeWidth(p), width);
        EXPECT_EQ(0, p.bytes[p.length]);  // the segment buffer is always terminated
        static_cast<Recorder*>(c)->seen.push_back(Seen(p, p.x));
    }
    static void Draw(void* c, const StripPiece& p, int32_t x, int32_t y) {
        static_cast<Recorder*>(c)->seen.push_back(Seen(p, x, std::to_string(y)));
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

constexpr int32_t L = kLabelChar, V = kValueChar;
const std::string kUp = std::to_string(kQuoteUpColor);

TEST(StripWalk, PiecesPlacesAndColours) {
    // Text, start x, end x, the pieces seen.
    const std::tuple<std::string, int32_t, int32_t, std::vector<std::string>> cases[] = {
        {"A|B|", 0, 2 * L + 2 * V, {"A |l|0|S", "B |v|14|W"}},
        // An empty label still takes its space; a value takes its marker's colour.
        {"|+1 1/2|", 0, L + 6 * V, {" |l|0|S", "1 1/2 |v|7|" + kUp}},
        // Markers are dropped (only the first), but only values take their colour; a value
        // without one is white and keeps its first character.
        {"@IBM|#5 down|{News|++1|",
         0,
         9 * L + 11 * V,
         {"IBM |l|0|S", "#5 down |v|28|W", "News |l|100|S", "+1 |v|135|" + kUp}},
        // Only segments ended by a bar count; empty ones keep their place in the alternation.
        {"no bar at all", 5, 5, {}},
        {"a|b|c|tail", 3, 3 + 4 * L + 2 * V, {"a |l|3|S", "b |v|17|W", "c |l|35|S"}},
        {"||x|", 0, 3 * L + V, {" |l|0|S", " |v|7|W", "x |l|16|S"}},
    };
    for (const auto& [text, startX, end, seen] : cases) {
        Recorder r;
        EXPECT_EQ(end, r.Walk(text, startX)) << text;
        EXPECT_EQ(seen, r.seen) << text;
    }
}

TEST(StripWalk, ReachEndsTheWalkBeforeMeasuring) {
    Recorder r;
    r.stopAt = 1;
    EXPECT_EQ(2 * L, r.Walk("A|B|C|"));
    EXPECT_EQ(1u, r.seen.size());
}

TEST(StripWalk, ALongSegmentIsCutToTheSegmentBuffer) {
    Recorder r;
    r.Walk("L|" + std::string(30000, 'v') + "|R|");
    ASSERT_EQ(3u, r.seen.size());
    // 4998 bytes and the space, and the walk goes on after the cut segment.
    EXPECT_EQ(std::string(kSegmentTextMax, 'v') + " |v|14|W", r.seen[1]);
    EXPECT_EQ("R |l|" + std::to_string(2 * L + int32_t(kSegmentBufferSize - 1) * V) + "|S",
              r.seen[2]);
}

TEST(StripWalk, BoundedInItsBufferAndItsPositions) {
    // A full buffer of bars without a zero byte: every byte is a segment end, nothing more.
    std::vector<char> bars(kDisplayTextSize, '|');
    auto one = [](void*, const StripPiece&) { return int32_t{1}; };
    EXPECT_EQ(kDisplayTextSize,
              WalkStrip(bars.data(), bars.size(), 0, StripWalker{nullptr, one, nullptr, nullptr}));
    EXPECT_EQ(0, WalkStrip(nullptr, 10, 0, StripWalker{nullptr, one, nullptr, nullptr}));
    StripRuler ruler;  // the ruler reads no text as an empty one
    ruler.SetText("a|b|c|", 7);
    EXPECT_TRUE(ruler.SetText(nullptr, 10));
    EXPECT_EQ(0u, ruler.SegmentCount());
    EXPECT_EQ(7, ruler.X(0, 7));
    // Whatever the measurement says, positions stay between startX and kStripXLimit.
    auto huge = [](void*, const StripPiece&) { return int32_t{0x7fffffff}; };
    auto negative = [](void*, const StripPiece&) { return int32_t{-50}; };
    EXPECT_EQ(kStripXLimit,
              WalkStrip("a|b|c|", 7, 0, StripWalker{nullptr, huge, nullptr, nullptr}));
    EXPECT_EQ(3, WalkStrip("a|b|c|", 7, 3, StripWalker{nullptr, negative, nullptr, nullptr}));
}

TEST(StripFrame, FromTheMarginLabelsAtTopValuesThreeLowerUpToTheWindowsEdge) {
    Recorder r;
    EXPECT_EQ(3, r.Frame("A|+B|C|", 11, 20, 500));
    // Left of the window still drawn (clipped later), so that the pen is right.
    EXPECT_EQ((std::vector<std::string>{"A |l|-9|0", "B |v|5|3", "C |l|23|0"}), r.seen);
    EXPECT_EQ(11 + 4 * L + 2 * V, PenX.load());
    EXPECT_EQ(kValueDrop, PenY.load());  // a value comes next

    // "AAAA " ends at 11 + 35 = 46: the next segment starts exactly at a 46-pixel-wide
    // window's edge and is drawn; in a 45-pixel window it is not.
    EXPECT_EQ(2, r.Frame("AAAA|B|C|", 11, 0, 46));
    EXPECT_EQ(1, r.Frame("AAAA|B|C|", 11, 0, 45));
    EXPECT_EQ(11 + 5 * L, PenX.load());
    EXPECT_EQ(kValueDrop, PenY.load());
    EXPECT_EQ(0, r.Frame("", 0, 0, 600));  // empty text: nothing drawn, pen at the margin
    EXPECT_EQ(0, PenX.load());
    EXPECT_EQ(0, PenY.load());
}

TEST(StripFrame, AdvanceMovesOnePixelAndWraps) {
    WrapWidth = 100;
    // Backward from 0 wraps to WrapWidth - 1; forward from WrapWidth to 1.
    for (auto [forward, from, to] : {std::tuple{1, 50, 51}, {1, 100, 1}, {0, 0, 99}, {0, 50, 49}}) {
        ScrollForward = forward;
        ScrollOffset = from;
        AdvanceScroll();
        EXPECT_EQ(to, ScrollOffset.load()) << from;
    }
    ScrollForward = 1;
    ScrollOffset = 0;
    WrapWidth = 0;
}

// The far end of a strip wider than kStripXLimit, which only enormous widths reach: where the
// walk holds positions at the limit, the ruler ends where the walk ends, and pieces that still
// show are drawn where the walk draws them.
TEST(StripRuler, PositionsHeldAtTheLimitAreThoseOfTheWalk) {
    using namespace strip_identity;
    auto named = [](int64_t width) { return "\x01" + std::to_string(width); };
    const std::string wide = named(kStripXLimit - 1);
    const std::string texts[] = {wide + "|x|", "a|" + wide + "|b|" + wide + "|c|",
                                 named(1073741000) + "|" + named(5000) + "|z|",
                                 named(-70) + "|" + named(2147483647) + "|y|"};
    for (const std::string& text : texts) {
        StripRuler ruler;
        ruler.SetText(text.c_str(), text.size() + 1);
        Drawing fast;
        for (int32_t offset : {kStripXLimit + 5, kStripXLimit + 1, kStripXLimit - 600, 2000000000,
                               kStripXLimit - 1073741000 + 200, 0}) {
            for (int32_t ink : {0, 3}) {
                const Frame f{0, offset, 600, FrameView{1, 523, ink, ink}};
                EXPECT_EQ("", FrameDiffers(ruler, text.c_str(), text.size() + 1, f, fast))
                    << text.substr(1, 12) << " offset " << offset;
            }
        }
        for (int32_t startX : {0, -40, kStripXLimit - 3})
            EXPECT_EQ("", RulerDiffers(ruler, text.c_str(), text.size() + 1, startX));
    }
}

}  // namespace
