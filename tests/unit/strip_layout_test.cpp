// The scroll period and the repetition of the strip text across the screen, against the fake
// font (fake_font.h); a whole text measures 7 pixels a character.
#include "display/strip_layout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fake_font.h"
#include "feed/content_model.h"

namespace {

int32_t SegmentWidth(void*, const StripPiece& p) { return FakeWidth(p); }
int32_t WholeWidth(void*, const char*, size_t length) {
    return static_cast<int32_t>(length) * kLabelChar;
}
int32_t Invisible(void*, const char*, size_t) { return 0; }

const StripWalker kSegments{nullptr, SegmentWidth, nullptr, nullptr};
const WholeTextMeasure kWhole{nullptr, WholeWidth};

std::string Piece(const std::string& text, int32_t screenWidth) {
    char piece[kRepeatPieceSize];
    size_t n = MakeRepeatPiece(text.data(), text.size(), screenWidth, piece, sizeof piece);
    EXPECT_EQ(n, std::strlen(piece));
    return std::string(piece, n);
}

// A DisplayText-sized buffer holding text; extends it and returns the scroll period.
struct Display {
    std::vector<char> buffer = std::vector<char>(kDisplayTextSize, 0);
    explicit Display(const std::string& text) {
        std::memcpy(buffer.data(), text.data(), text.size());
    }
    int32_t Extend(int32_t screenWidth, const WholeTextMeasure& whole = kWhole) {
        return MeasureAndExtend(buffer.data(), buffer.size(), screenWidth, kSegments, whole);
    }
    std::string Text() const {
        return std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
    }
};

TEST(StripRepeatPiece, ShortTextsRepeatWholeLongOnesTheirFirst300AndABarWithinThePiece) {
    EXPECT_EQ(std::string(204, 'x'), Piece(std::string(204, 'x'), 1024));  // 1024 / 5 = 204
    EXPECT_EQ(std::string(205, 'x') + "|", Piece(std::string(205, 'x'), 1024));
    std::string long_text = std::string(300, 'a') + std::string(500, 'b');
    EXPECT_EQ(std::string(300, 'a') + "|", Piece(long_text, 1024));
    EXPECT_EQ("ab|", Piece("ab", 0));  // no screen: the cut rule, though nothing is appended
    std::string text(6000, 'w');
    EXPECT_EQ(kRepeatPieceSize - 1, Piece(text, 40000).size());  // 40000 / 5 = 8000 >= 6000
    char tiny[1] = {'x'};
    EXPECT_EQ(0u, MakeRepeatPiece("abc", 3, 1024, tiny, sizeof tiny));
    EXPECT_EQ(0, tiny[0]);
}

TEST(StripLayout, WrapWidthIsTheSegmentSumPlusEight) {
    Display d("a|b|c|");
    EXPECT_EQ(14 + 18 + 14 + 8, d.Extend(1024));  // a and c in the label font, b in the value font
    Display empty("");
    EXPECT_EQ(8, empty.Extend(1024));
    EXPECT_EQ("", empty.Text());  // no copy of nothing
    Display noScreen("a|b|");
    EXPECT_EQ(14 + 18 + 8, noScreen.Extend(-5));
    EXPECT_EQ("a|b|", noScreen.Text());  // no screen: no copy
    EXPECT_EQ(kStripXLimit + 8, WrapWidthFor(0x7fffffff));
}

TEST(StripLayout, CopiesGoOnUntilTheTextBeforeTheLastIsAsWideAsTheScreen) {
    Display d("ab|");  // 21 pixels measured whole; repeated whole on a 100-pixel screen
    d.Extend(100);
    // Before each copy: 21, 42, 63, 84 (narrower, go on), 105 (wide enough, last copy).
    std::string expected;
    for (int i = 0; i < 6; ++i) expected += "ab|";
    EXPECT_EQ(expected, d.Text());
    // A text wider than the screen still gets exactly one copy.
    std::string text = std::string(250, 'x') + "|" + std::string(100, 'y') + "|";
    Display wide(text);
    wide.Extend(1024);
    EXPECT_EQ(text + std::string(250, 'x') + "|" + std::string(49, 'y') + "|", wide.Text());
}

TEST(StripLayout, TheTextNeverOutgrowsItsBuffer) {
    // A screen that is never filled (so wide that the text repeats whole): copies stop when
    // the next would not fit.
    std::string text = std::string(400, 'n') + "|";
    Display d(text);
    d.Extend(0x7fffffff);
    size_t length = d.Text().size();
    EXPECT_LT(length, size_t(kDisplayTextSize));
    EXPECT_GE(length + text.size(), size_t(kDisplayTextSize));
    EXPECT_EQ(0u, length % text.size());  // whole copies only

    // A text too long to leave room for a copy gives up whole segments at its end and keeps
    // its gap, so a copy of its start follows it: the strip never runs empty before it wraps.
    std::string items;
    for (int i = 0; items.size() < kDisplayTextSize - 12; ++i)
        items += "item" + std::to_string(i) + "|";
    Display longest(items + "  ");
    longest.Extend(1024);
    const std::string extended = longest.Text(), copy = "  " + items.substr(0, 300) + "|";
    const std::string kept = extended.substr(0, extended.size() - copy.size());
    EXPECT_EQ(copy, extended.substr(kept.size()));
    EXPECT_EQ(items.substr(0, kept.size()), kept);
    EXPECT_EQ('|', kept.back());

    Display unterminated(std::string(kDisplayTextSize, 'u'));
    unterminated.Extend(1024);
    EXPECT_EQ(0, unterminated.buffer.back());  // ended at the buffer's end
}

TEST(StripLayout, HostileTextsStayBounded) {
    Display bars(std::string(kDisplayTextSize - 1, '|'));  // cut to leave room for the copy
    const int32_t kept = kDisplayTextSize - int32_t(kRepeatRoom);
    EXPECT_EQ((7 + 9) * (kept / 2) + 8, bars.Extend(1024));
    EXPECT_EQ(size_t(kDisplayTextSize - 1), bars.Text().size());

    // A text that measures nothing cannot fill the screen: one copy, not a full buffer.
    Display invisible("\x01");
    invisible.Extend(1024, WholeTextMeasure{nullptr, Invisible});
    EXPECT_EQ("\x01\x01", invisible.Text());
}

}  // namespace
