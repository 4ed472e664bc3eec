// A frame drawn from kept widths (WalkVisibleFrame) against the painter's straightforward walk
// (WalkFrame): the same PenX and PenY, and the same draws, in the same order at the same
// places, of every segment whose cell or ink can reach the visible part of the frame; the draws
// it leaves out could only have touched pixels that are not shown. Random texts, offsets,
// windows and ink reaches, with a fake measurement; one ruler kept from frame to frame.
#include "display/strip_frame.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "feed/content_model.h"

namespace {

int32_t FakeWidth(const StripPiece& p, bool huge) {
    if (p.length > 1 && p.bytes[0] == '\x01')  // a piece that names its width: "\x01" digits
        return static_cast<int32_t>(std::strtoll(p.bytes + 1, nullptr, 10));
    int64_t w = 0;
    for (size_t i = 0; i < p.length; ++i) {
        const unsigned char c = static_cast<unsigned char>(p.bytes[i]);
        w += p.value ? 6 + (c * 7) % 10 : 5 + (c * 3) % 8;
        if (huge && c == '~') w += int64_t{1} << 28;
    }
    return static_cast<int32_t>(std::min<int64_t>(w, 0x7fffffff));
}

struct Draw {
    std::string bytes;
    int index;
    bool value;
    char first;
    int32_t stripX, x, y;
    bool operator==(const Draw& o) const {
        return bytes == o.bytes && index == o.index && value == o.value && first == o.first &&
               stripX == o.stripX && x == o.x && y == o.y;
    }
};

struct Recorder {
    explicit Recorder(bool enormous = false) : huge(enormous) {}
    bool huge;
    int measures = 0;
    std::vector<Draw> draws;
    std::vector<int32_t> widths;  // by index, as measured

    static int32_t Measure(void* c, const StripPiece& p) {
        Recorder& r = *static_cast<Recorder*>(c);
        ++r.measures;
        const int32_t w = FakeWidth(p, r.huge);
        if (r.widths.size() <= size_t(p.index)) r.widths.resize(p.index + 1);
        r.widths[p.index] = w;
        return w;
    }
    static void Record(void* c, const StripPiece& p, int32_t x, int32_t y) {
        static_cast<Recorder*>(c)->draws.push_back(
            {std::string(p.bytes, p.length), p.index, p.value, p.first, p.x, x, y});
    }
    FrameDrawer Drawer() { return FrameDrawer{this, Measure, Record}; }
};

struct Frame {
    int32_t margin, offset, clientWidth;
    FrameView view;
};

// Whether a draw at frame x of a piece width wide can touch view.
bool Shows(const Draw& d, int32_t width, const FrameView& view) {
    return int64_t{d.x} - view.inkLeft < view.right &&
           int64_t{d.x} + width + view.inkRight > view.left;
}

void ExpectSameFrame(const std::string& text, StripRuler& ruler, const Frame& f, bool huge,
                     const std::string& where) {
    Recorder reference(huge);
    WalkFrame(text.c_str(), text.size() + 1, f.margin, f.offset, f.clientWidth, reference.Drawer());
    const int32_t penX = PenX, penY = PenY;

    PenX = -12345;
    PenY = -6;
    Recorder fast(huge);
    const int drawn =
        WalkVisibleFrame(ruler, f.margin, f.offset, f.clientWidth, f.view, fast.Drawer());
    ASSERT_EQ(penX, PenX.load()) << where;
    ASSERT_EQ(penY, PenY.load()) << where;

    std::vector<Draw> expected;
    for (Draw d : reference.draws)
        if (Shows(d, reference.widths[d.index], f.view)) expected.push_back(d);
    ASSERT_EQ(expected.size(), fast.draws.size()) << where;
    ASSERT_EQ(int(fast.draws.size()), drawn);
    for (size_t i = 0; i < expected.size(); ++i)
        ASSERT_TRUE(expected[i] == fast.draws[i]) << where << " draw " << i;
}

std::string RandomText(std::mt19937& random, bool huge) {
    static const char kMarkers[] = "+-%{}~!@^?";
    auto below = [&](int n) { return int(random() % uint32_t(n)); };
    std::string text;
    const int segments = below(5) == 0 ? below(3) : below(400);
    for (int i = 0; i < segments; ++i) {
        switch (below(12)) {
        case 0: break;
        case 1: text += std::string(5000 + below(300), 'W'); break;
        case 2: text += kMarkers[below(10)]; break;
        default:
            if (below(2)) text += kMarkers[below(10)];
            for (int n = 1 + below(below(5) == 0 ? 200 : 25); n; --n) {
                char c = char('!' + below(90));
                if (huge && below(40) == 0) c = '~';
                text += c == '|' ? '/' : c;
            }
        }
        text += '|';
    }
    if (below(2)) text += "tail";
    return text;
}

TEST(StripFastFrame, DrawsWhatTheWalkDrawsWhereItCanShowAndLeavesThePenAsTheWalkDoes) {
    std::mt19937 random(7);
    auto below = [&](int n) { return int(random() % uint32_t(n)); };
    for (int round = 0; round < 150; ++round) {
        const bool huge = round % 5 == 4;
        const std::string text = RandomText(random, huge);
        StripRuler ruler;
        ruler.SetText(text.c_str(), text.size() + 1);
        Recorder probe(huge);
        const int32_t end = WalkStrip(text.c_str(), text.size() + 1, 0,
                                      StripWalker{&probe, Recorder::Measure, nullptr, nullptr});
        for (int frame = 0; frame < 60; ++frame) {
            Frame f;
            f.margin = below(4) == 0 ? 0 : 11;
            const int32_t widths[] = {0, 1, 60, 600, 1024, 3000};
            f.clientWidth = widths[below(6)];
            f.view.left = below(4) == 0 ? 1 : 10;
            f.view.right = std::max(f.view.left, f.clientWidth - 77);
            f.view.inkLeft = below(4);
            f.view.inkRight = below(4);
            switch (below(6)) {
            case 0: f.offset = 0; break;
            case 1: f.offset = end - below(700); break;  // near the end
            case 2: f.offset = end + below(100); break;  // past it
            case 3: f.offset = -below(500); break;
            case 4: f.offset = kStripXLimit + 600 - below(2000); break;  // where x stops growing
            default: f.offset = below(std::max(1, end)); break;
            }
            ExpectSameFrame(text, ruler, f, huge,
                            "round " + std::to_string(round) + " frame " + std::to_string(frame));
            // The strip scrolls on by one pixel, as it does between frames.
            ++f.offset;
            ExpectSameFrame(text, ruler, f, huge, "round " + std::to_string(round) + " next");
        }
    }
}

// The far end of a strip wider than kStripXLimit, which only enormous widths reach: where the
// walk holds positions at the limit, pieces that still show are drawn where the walk draws them.
TEST(StripFastFrame, PositionsHeldAtTheLimitAreDrawnWhereTheWalkDrawsThem) {
    auto named = [](int64_t width) { return "\x01" + std::to_string(width); };
    const std::string wide = named(kStripXLimit - 1);
    const std::string texts[] = {wide + "|x|", "a|" + wide + "|b|" + wide + "|c|",
                                 named(1073741000) + "|" + named(5000) + "|z|"};
    for (const std::string& text : texts) {
        StripRuler ruler;
        ruler.SetText(text.c_str(), text.size() + 1);
        for (int32_t offset : {kStripXLimit + 5, kStripXLimit + 1, kStripXLimit - 600, 2000000000,
                               kStripXLimit - 1073741000 + 200, 0}) {
            for (int32_t ink : {0, 3}) {
                Frame f{0, offset, 600, FrameView{1, 523, ink, ink}};
                ExpectSameFrame(text, ruler, f, false,
                                text.substr(1, 12) + " offset " + std::to_string(offset));
            }
        }
    }
}

TEST(StripFastFrame, MeasuresEachSegmentOnceWhileTheTextStays) {
    std::string text;
    for (int i = 0; i < 500; ++i)
        text += "SYM" + std::to_string(i) + "|+" + std::to_string(i * 7) + " 1/2|";
    StripRuler ruler;
    ruler.SetText(text.c_str(), text.size() + 1);
    Recorder fast;
    const FrameView view{10, 523, 3, 3};
    int most = 0;
    for (int32_t offset = 0; offset < 30000; offset += 1) {
        const int before = fast.measures;
        fast.draws.clear();
        WalkVisibleFrame(ruler, 11, offset, 600, view, fast.Drawer());
        most = std::max<int>(most, int(fast.draws.size()));
        if (offset > 0) {
            EXPECT_LE(fast.measures - before, 64);  // at most one batch, and rarely
        }
    }
    EXPECT_EQ(int(ruler.MeasuredCount()), fast.measures);  // never a segment twice
    EXPECT_LT(most, 40);                                   // only what can show is drawn
}

TEST(StripFastFrame, NothingReachedLeavesThePenAtTheMargin) {
    StripRuler ruler;
    ruler.SetText("A|B|", 5);
    Recorder fast;
    WalkVisibleFrame(ruler, 11, -700, 600, FrameView{10, 523, 2, 2}, fast.Drawer());
    EXPECT_EQ(11, PenX.load());
    EXPECT_EQ(0, PenY.load());
    EXPECT_TRUE(fast.draws.empty());
    ruler.SetText("", 1);
    WalkVisibleFrame(ruler, 0, 0, 600, FrameView{1, 523, 2, 2}, fast.Drawer());
    EXPECT_EQ(0, PenX.load());
}

}  // namespace
