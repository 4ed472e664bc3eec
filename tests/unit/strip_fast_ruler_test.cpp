// The ruler that keeps segment widths gives what the segment walk gives, for any text: the
// same pieces, the same positions (the limit at kStripXLimit included), the same end; and so do
// the link positions and the scroll period built on it, however the text grows or changes.
// Against a fake measurement whose widths depend on every byte, with random texts.
#include "display/strip_layout.h"
#include "display/strip_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "feed/content_model.h"

namespace {

// Widths from the bytes: label bytes 5..12 pixels, value bytes 6..15, so that any difference in
// what is measured shows in the sum. A "~" in a value is enormous, to reach kStripXLimit;
// a "`" in a label makes the measurement negative, which the walk takes as 0.
struct FakeFont {
    explicit FakeFont(bool enormous = false) : huge(enormous) {}
    bool huge;  // whether "~" is enormous
    int calls = 0;

    static int32_t ByteWidth(unsigned char c, bool value) {
        return value ? 6 + (c * 7) % 10 : 5 + (c * 3) % 8;
    }
    int32_t Width(const StripPiece& p) {
        ++calls;
        int64_t w = 0;
        for (size_t i = 0; i < p.length; ++i) {
            const unsigned char c = static_cast<unsigned char>(p.bytes[i]);
            if (huge && p.value && c == '~') w += int64_t{1} << 28;
            if (!p.value && c == '`') w -= 1000;
            w += ByteWidth(c, p.value);
        }
        return static_cast<int32_t>(std::max<int64_t>(std::min<int64_t>(w, 0x7fffffff), -99999));
    }
    static int32_t Measure(void* context, const StripPiece& p) {
        return static_cast<FakeFont*>(context)->Width(p);
    }
};

struct Placed {
    std::string bytes;
    int index;
    bool value;
    char first;
    int32_t x;
    int32_t width;
    bool operator==(const Placed& o) const {
        return bytes == o.bytes && index == o.index && value == o.value && first == o.first &&
               x == o.x && width == o.width;
    }
};

struct Walked {
    std::vector<Placed> pieces;
    int32_t end = 0;
};

Walked ByWalk(const char* text, size_t size, int32_t startX, FakeFont& font) {
    struct Context {
        FakeFont* font;
        Walked* walked;
    };
    Walked walked;
    Context context{&font, &walked};
    walked.end = WalkStrip(
        text, size, startX,
        StripWalker{
            &context,
            [](void* c, const StripPiece& p) { return static_cast<Context*>(c)->font->Width(p); },
            nullptr,
            [](void* c, const StripPiece& p, int32_t width) {
                static_cast<Context*>(c)->walked->pieces.push_back(
                    {std::string(p.bytes, p.length), p.index, p.value, p.first, p.x, width});
            }});
    return walked;
}

Walked ByRuler(StripRuler& ruler, int32_t startX) {
    Walked walked;
    char buffer[kSegmentBufferSize];
    for (size_t i = 0; i < ruler.SegmentCount(); ++i) {
        const StripPiece p = ruler.Piece(i, ruler.X(i, startX), buffer);
        EXPECT_EQ(0, p.bytes[p.length]);
        walked.pieces.push_back(
            {std::string(p.bytes, p.length), p.index, p.value, p.first, p.x, ruler.Width(i)});
    }
    walked.end = ruler.X(ruler.SegmentCount(), startX);
    return walked;
}

// Random strip texts with what makes the walk hard: markers, empty segments, odd counts of
// "|", long segments (past the segment buffer), repeat pieces, bytes above 0x7f, text after
// the last "|".
class TextMaker {
  public:
    explicit TextMaker(uint32_t seed) : random_(seed) {}

    int Below(int n) { return static_cast<int>(random_() % static_cast<uint32_t>(n)); }

    std::string Segment() {
        static const char kMarkers[] = "+-%{}~!@^?";
        std::string s;
        switch (Below(10)) {
        case 0: break;                                            // empty
        case 1: s = std::string(5000 + Below(1500), 'L'); break;  // longer than the buffer
        case 2: s = std::string(1, kMarkers[Below(10)]); break;   // a marker alone
        default: {
            if (Below(2)) s += kMarkers[Below(10)];
            const int n = 1 + Below(Below(4) == 0 ? 400 : 40);
            for (int i = 0; i < n; ++i) {
                const int kind = Below(20);
                s += kind == 0   ? '\x95'
                     : kind == 1 ? '~'
                     : kind == 2 ? '`'
                     : kind == 3 ? ' '
                                 : char('!' + Below(90));
                if (s.back() == '|') s.back() = '/';
            }
        }
        }
        return s;
    }

    std::string Text(size_t maxLength) {
        std::string text;
        const int segments = Below(6) == 0 ? Below(4) : Below(300);
        for (int i = 0; i < segments && text.size() < maxLength; ++i) text += Segment() + "|";
        if (Below(3) == 0) {  // a repeat piece: the first 300 characters and a "|"
            text += "  " + text.substr(0, 300) + "|";
        }
        if (Below(2)) text += Segment();  // text after the last "|"
        if (text.size() > maxLength) text.resize(maxLength);
        return text;
    }

  private:
    std::mt19937 random_;
};

TEST(StripFastRuler, GivesThePiecesPositionsAndEndOfTheWalk) {
    TextMaker make(1);
    for (int round = 0; round < 300; ++round) {
        const std::string text = make.Text(size_t(kDisplayTextSize));
        for (bool huge : {false, true}) {
            FakeFont font(huge);
            StripRuler ruler;
            ruler.SetText(text.c_str(), text.size() + 1);
            ruler.MeasureTo(ruler.SegmentCount(), PieceMeasure{&font, FakeFont::Measure});
            for (int32_t startX : {0, 11, -40, kStripXLimit - 3}) {
                FakeFont walkFont(huge);
                const Walked walked = ByWalk(text.c_str(), text.size() + 1, startX, walkFont);
                const Walked ruled = ByRuler(ruler, startX);
                ASSERT_EQ(walked.end, ruled.end) << "round " << round << " start " << startX;
                ASSERT_EQ(walked.pieces.size(), ruled.pieces.size());
                for (size_t i = 0; i < walked.pieces.size(); ++i)
                    ASSERT_TRUE(walked.pieces[i] == ruled.pieces[i])
                        << "round " << round << " segment " << i;
            }
        }
    }
}

TEST(StripFastRuler, ReadsNoFurtherThanItsSizeAndTakesNullForEmpty) {
    std::vector<char> bars(kDisplayTextSize, '|');  // no zero byte
    FakeFont font, walkFont;
    StripRuler ruler;
    ruler.SetText(bars.data(), bars.size());
    EXPECT_EQ(size_t(kDisplayTextSize), ruler.SegmentCount());
    ruler.MeasureTo(ruler.SegmentCount(), PieceMeasure{&font, FakeFont::Measure});
    EXPECT_EQ(ByWalk(bars.data(), bars.size(), 0, walkFont).end, ruler.X(ruler.SegmentCount(), 0));

    EXPECT_TRUE(ruler.SetText(nullptr, 10));
    EXPECT_EQ(0u, ruler.SegmentCount());
    EXPECT_EQ(7, ruler.X(0, 7));
    EXPECT_FALSE(ruler.SetText("", 1));
}

TEST(StripFastRuler, MeasuresEachPieceOnceLabelsThenValuesPerBatch) {
    struct Order {
        std::vector<int> indexes;
        static int32_t Measure(void* c, const StripPiece& p) {
            static_cast<Order*>(c)->indexes.push_back(p.index);
            return 10;
        }
    } order;
    StripRuler ruler;
    ruler.SetText("a|b|c|d|e|f|g|", 15);
    ruler.MeasureTo(5, PieceMeasure{&order, Order::Measure});
    ruler.MeasureTo(5, PieceMeasure{&order, Order::Measure});  // nothing left to measure
    ruler.MeasureTo(99, PieceMeasure{&order, Order::Measure});
    EXPECT_EQ((std::vector<int>{0, 2, 4, 1, 3, 6, 5}), order.indexes);
    EXPECT_EQ(70, ruler.X(7, 0));
    EXPECT_FALSE(ruler.SetText("a|b|c|d|e|f|g|", 15));
    ruler.ForgetWidths();
    EXPECT_EQ(0u, ruler.MeasuredCount());
}

// The reply's text as the parser writes it: it grows at its end, a provisional marker may stand
// at the write position, and at each link a "|" is put there for the moment. The ruler's end at
// each link is the walk's over the whole text so far; the widths kept mean that far fewer
// pieces are measured than by walking again at every link.
TEST(StripFastRuler, LinkPositionsOfAGrowingTextAreThoseOfTheWholeWalk) {
    TextMaker make(2);
    for (int round = 0; round < 40; ++round) {
        std::vector<char> content(kContentBufferSize, 0);
        size_t at = 0;
        FakeFont font(round % 4 == 3), walkFont(round % 4 == 3);
        StripRuler ruler;
        int links = 0;
        while (at + 2000 < content.size()) {
            std::string piece = make.Segment();
            if (make.Below(3)) piece += "|";
            piece.resize(std::min(piece.size(), size_t(700)));
            std::memcpy(content.data() + at, piece.data(), piece.size());
            at += piece.size();
            content[at] = make.Below(4) == 0 ? '%' : 0;  // a provisional marker, or the zero
            if (make.Below(2)) {
                content[at] = '|';  // the link closes its segment for the moment
                content[at + 1] = 0;
                ruler.SetText(content.data(), content.size());
                ruler.MeasureTo(ruler.SegmentCount(), PieceMeasure{&font, FakeFont::Measure});
                ASSERT_EQ(ByWalk(content.data(), content.size(), 0, walkFont).end,
                          ruler.X(ruler.SegmentCount(), 0))
                    << "round " << round << " link " << links;
                ++links;
                content[at] = 0;
            }
            if (make.Below(25) == 0) {  // a caller with a text of its own now and then
                const std::string other = make.Text(3000);
                ruler.SetText(other.c_str(), other.size() + 1);
                ruler.MeasureTo(ruler.SegmentCount(), PieceMeasure{&font, FakeFont::Measure});
                ASSERT_EQ(ByWalk(other.c_str(), other.size() + 1, 0, walkFont).end,
                          ruler.X(ruler.SegmentCount(), 0));
            }
        }
        if (links > 10) {
            EXPECT_LT(font.calls * 3, walkFont.calls) << "round " << round;
        }
    }
}

// MeasureAndExtend taken step by step, with the widths from a ruler, leaves the same text and
// gives the same scroll period.
TEST(StripFastRuler, TheScrollPeriodAndTheRepeatCopiesAreThoseOfMeasureAndExtend) {
    TextMaker make(3);
    const WholeTextMeasure whole{nullptr, [](void*, const char* text, size_t length) {
                                     int32_t w = 0;
                                     for (size_t i = 0; i < length; ++i)
                                         w += FakeFont::ByteWidth(text[i], false);
                                     return w;
                                 }};
    StripRuler ruler;  // kept across texts, as the layout keeps it
    for (int round = 0; round < 300; ++round) {
        std::vector<char> reference(kDisplayTextSize, 0);
        const std::string text = make.Text(size_t(kDisplayTextSize) + (round % 10 == 0 ? 50 : 0));
        std::memcpy(reference.data(), text.data(), std::min(text.size(), reference.size()));
        std::vector<char> fast = reference;
        const int32_t screen = std::vector<int32_t>{1024, 640, 0, -3, 40000}[make.Below(5)];

        FakeFont font, walkFont;
        const int32_t wrap =
            MeasureAndExtend(reference.data(), reference.size(), screen,
                             StripWalker{&walkFont, FakeFont::Measure, nullptr, nullptr}, whole);

        TerminateStripText(fast.data(), fast.size());
        ruler.SetText(fast.data(), fast.size());
        ruler.MeasureTo(ruler.SegmentCount(), PieceMeasure{&font, FakeFont::Measure});
        RepeatAcrossScreen(fast.data(), fast.size(), screen, whole);
        EXPECT_EQ(wrap, WrapWidthFor(ruler.X(ruler.SegmentCount(), 0))) << "round " << round;
        ASSERT_EQ(reference, fast) << "round " << round;
    }
}

}  // namespace
