// The painter that keeps its bitmap and its segment widths shows exactly what the
// straightforward painter shows: for random strip texts at many scroll offsets, frame after
// frame, the window holds the same pixels and PenX, PenY and ScrollOffset end the same. Fonts,
// colours, the window's size and the screen saver change in between, as the ticker lets them.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "base/program_win.h"
#include "gdi_objects_win.h"
#include "strip_reference_win.h"
#include "display/strip_win.h"
#include "feed/content_model.h"
#include "settings/settings.h"
#include "shell/strip_fonts_win.h"

namespace {

using gdi_test::GdiObjectCount;
using gdi_test::Pump;
using gdi_test::QuietWindow;

constexpr int kWidth = 600, kHeight = 24;
constexpr COLORREF kSentinel = RGB(90, 60, 120);

// The window's pixels, read through a 32-bit DIB section.
std::vector<uint32_t> ReadWindow(HWND window, int width, int height) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memory, dib);
    HDC dc = GetDC(window);
    BitBlt(memory, 0, 0, width, height, dc, 0, 0, SRCCOPY);
    ReleaseDC(window, dc);
    GdiFlush();
    const uint32_t* p = static_cast<uint32_t*>(bits);
    std::vector<uint32_t> pixels(p, p + width * height);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(dib);
    return pixels;
}

// Strip texts with what makes frames hard: markers, empty segments, odd counts of "|", long
// segments, repeat pieces, and characters whose ink leaves their cell (j, f, the florin 0x83,
// italic-looking shapes of the symbol range).
class StripTexts {
  public:
    explicit StripTexts(uint32_t seed) : random_(seed) {}
    int Below(int n) { return static_cast<int>(random_() % static_cast<uint32_t>(n)); }

    std::string Segment() {
        static const char kMarkers[] = "+-%{}~!@^?";
        static const char kInk[] = "jfJWyQ\x83\x86\x87\xbf\xc6\xe6\x95/\\_";
        std::string s;
        switch (Below(12)) {
        case 0: return s;
        case 1: return std::string(1, kMarkers[Below(10)]);
        case 2: return std::string(200 + Below(400), "WMjf"[Below(4)]);
        default: break;
        }
        if (Below(2)) s += kMarkers[Below(10)];
        const int n = 1 + Below(Below(5) == 0 ? 60 : 14);
        for (int i = 0; i < n; ++i) {
            const int kind = Below(6);
            if (kind == 0)
                s += kInk[Below(sizeof kInk - 1)];
            else if (kind == 1)
                s += ' ';
            else
                s += static_cast<char>(Below(2) ? 'a' + Below(26) : '0' + Below(10));
        }
        return s;
    }

    std::string Text(size_t maxLength) {
        std::string text;
        const int segments = Below(8) == 0 ? Below(3) : 20 + Below(300);
        for (int i = 0; i < segments && text.size() < maxLength; ++i) text += Segment() + "|";
        if (Below(2)) text += "  " + text.substr(0, 300) + "|";
        if (Below(3) == 0) text += Segment();
        if (text.size() > maxLength) text.resize(maxLength);
        return text;
    }

  private:
    std::mt19937 random_;
};

struct Outcome {
    std::vector<uint32_t> pixels;
    int32_t penX, penY, scrollOffset;
};

class StripFastPainter : public testing::Test {
  protected:
    static HWND window;
    static HWND tall;  // a hidden window whose height makes other fonts

    static void SetUpTestSuite() {
        window = QuietWindow("StripFastPainterTest", 50, 200, kWidth, kHeight);
        tall = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 31, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
        CreateStripFonts(window);
    }
    static void TearDownTestSuite() {
        DeleteStripFonts();
        DestroyWindow(tall);
        DestroyWindow(window);
    }

    void SetUp() override {
        saved = TickerSettings;
        SetColors(11);
        ScreenSaverWindow = nullptr;
        ScrollForward = 1;
    }
    void TearDown() override {
        TickerSettings = saved;
        ScreenSaverWindow = nullptr;
        ScrollOffset = 0;
        WrapWidth = 0;
        ScrollForward = 1;
        SetWindowPos(window, nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER);
        CreateStripFonts(window);
        Pump();
    }

    static void SetColors(uint32_t seed) {
        std::mt19937 random(seed);
        for (uint32_t& color : TickerSettings.colors)
            color = RGB(random() % 256, random() % 256, random() % 256);
    }

    static void Resize(int width, int height) {
        SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
        Pump();
    }

    template <class Painter>
    static Outcome Paint(char* copy, int32_t offset, int32_t wrap, Painter paint) {
        RECT client;
        GetClientRect(window, &client);
        HDC dc = GetDC(window);
        HBRUSH sentinel = CreateSolidBrush(kSentinel);
        FillRect(dc, &client, sentinel);
        DeleteObject(sentinel);
        ScrollOffset = offset;
        WrapWidth = wrap;
        PenX = -1;
        PenY = -1;
        paint(dc, copy);
        ReleaseDC(window, dc);
        return Outcome{ReadWindow(window, client.right, client.bottom), PenX.load(), PenY.load(),
                       ScrollOffset.load()};
    }

    // Paints text at offset with the product and with the straightforward painter; they must
    // leave the same pixels and the same pen and offset. Returns false on the first difference.
    static bool Same(std::vector<char>& copy, int32_t offset, int32_t wrap,
                     const std::string& where) {
        const std::vector<char> before = copy;
        const Outcome fast = Paint(copy.data(), offset, wrap,
                                   [](HDC dc, char* text) { PaintStrip(dc, window, text); });
        EXPECT_EQ(before, copy) << where;  // the copy is left as it was
        const Outcome reference = Paint(copy.data(), offset, wrap, [](HDC dc, char* text) {
            strip_reference::PaintStrip(dc, window, text);
        });
        EXPECT_EQ(reference.penX, fast.penX) << where;
        EXPECT_EQ(reference.penY, fast.penY) << where;
        EXPECT_EQ(reference.scrollOffset, fast.scrollOffset) << where;
        size_t wrong = 0, first = 0;
        for (size_t i = 0; i < fast.pixels.size(); ++i)
            if (fast.pixels[i] != reference.pixels[i] && wrong++ == 0) first = i;
        RECT client;
        GetClientRect(window, &client);
        EXPECT_EQ(0u, wrong) << where << ": first difference at (" << first % client.right << ","
                             << first / client.right << ")";
        return wrong == 0 && reference.penX == fast.penX && reference.penY == fast.penY &&
               reference.scrollOffset == fast.scrollOffset;
    }

    static std::vector<char> Copy(const std::string& text) {
        std::vector<char> copy(kDisplayTextSize, 0);
        std::memcpy(copy.data(), text.data(), std::min(text.size(), copy.size() - 1));
        return copy;
    }

    // Where the straightforward painter's walk ends for this text: the strip's full width.
    static int32_t StripEnd(const std::vector<char>& copy) {
        HDC dc = GetDC(window);
        const int32_t end =
            WalkStrip(copy.data(), copy.size(), 0,
                      StripWalker{dc, strip_reference::MeasureInFont, nullptr, nullptr});
        ReleaseDC(window, dc);
        return end;
    }

    // Runs of consecutive frames at offsets spread over the text, both directions.
    static void CompareRuns(StripTexts& texts, int count, const std::string& name) {
        for (int round = 0; round < count; ++round) {
            std::vector<char> copy = Copy(texts.Text(round % 4 == 0 ? 12000 : 3000));
            const int32_t end = StripEnd(copy);
            const int32_t wrap = end + 8;
            for (int run = 0; run < 4; ++run) {
                int32_t offset;
                switch (texts.Below(5)) {
                case 0: offset = 0; break;
                case 1: offset = std::max(0, end - texts.Below(900)); break;
                case 2: offset = wrap - texts.Below(3); break;
                default: offset = texts.Below(std::max(1, wrap)); break;
                }
                ScrollForward = texts.Below(4) != 0;
                for (int frame = 0; frame < 3; ++frame) {
                    const std::string where = name + " round " + std::to_string(round) +
                                              " offset " + std::to_string(offset);
                    if (!Same(copy, offset, wrap, where)) return;
                    offset = ScrollOffset;  // the next frame goes on from here
                }
            }
        }
    }

    TickerSettingsData saved;
};
HWND StripFastPainter::window;
HWND StripFastPainter::tall;

TEST_F(StripFastPainter, RandomTextsAtManyOffsetsShowTheSamePixels) {
    StripTexts texts(1);
    CompareRuns(texts, 40, "plain");
}

TEST_F(StripFastPainter, FontsColoursSizesAndTheScreenSaverMayChangeBetweenFrames) {
    StripTexts texts(2);
    CompareRuns(texts, 4, "start");
    CreateStripFonts(tall);  // the preferences made the fonts again, larger
    CompareRuns(texts, 4, "larger fonts");
    CreateStripFonts(window);  // and back: perhaps under the same handles, surely the same sizes
    CompareRuns(texts, 4, "fonts again");
    SetColors(99);
    CompareRuns(texts, 4, "new colours");
    Resize(430, 30);
    CompareRuns(texts, 4, "smaller window");
    Resize(900, kHeight);
    CompareRuns(texts, 4, "wider window");
    ScreenSaverWindow = window;
    CompareRuns(texts, 4, "over the screen saver");
    ScreenSaverWindow = nullptr;
    Resize(60, kHeight);  // too narrow for any strip
    CompareRuns(texts, 2, "too narrow");
}

TEST_F(StripFastPainter, WithoutAStripFontEverySegmentFallsBackAsBefore) {
    StripTexts texts(3);
    const HFONT label = LabelFont, value = ValueFont;
    LabelFont = nullptr;
    CompareRuns(texts, 3, "no label font");
    LabelFont = label;
    ValueFont = nullptr;
    CompareRuns(texts, 3, "no value font");
    ValueFont = value;
    CompareRuns(texts, 3, "both again");
}

TEST_F(StripFastPainter, TheSameTextAgainAndHostileTexts) {
    std::vector<char> bars(kDisplayTextSize, '|');  // no zero byte in the copy's 20000 bytes
    EXPECT_TRUE(Same(bars, 0, 5000, "bars"));
    EXPECT_TRUE(Same(bars, 4000, 5000, "bars scrolled"));
    std::vector<char> big = Copy("L|+" + std::string(6000, 'v') + "|R|j|");
    EXPECT_TRUE(Same(big, 0, 900000, "long segment"));
    EXPECT_TRUE(Same(big, 40000, 900000, "long segment scrolled"));
    std::vector<char> empty = Copy("");
    EXPECT_TRUE(Same(empty, 5, 300, "empty"));
    std::vector<char> text = Copy("IBM|+1 1/2|MSFT|-3|{News|}World|");
    for (int32_t offset = -5; offset < 40; offset += 3)
        EXPECT_TRUE(Same(text, offset, 200, "short"));
}

// Scrolling on frame after frame through pieces much longer than the window and many short
// ones, as the ticker does: every frame looked at shows the same pixels.
TEST_F(StripFastPainter, ScrollingThroughLongAndShortPiecesFrameAfterFrame) {
    std::string text = "{Top Stories:  |{";
    for (int i = 0; i < 40; ++i)
        text += "Budget Talks Resume as Lawmakers Eye Holiday Recess  \x95  ";
    text += "|";
    for (int i = 0; i < 60; ++i)
        text += "SYM" + std::to_string(i) + "|" + "+-%"[i % 3] + std::to_string(i * 7) + " 1/2|";
    std::vector<char> copy = Copy(text);
    const int32_t wrap = StripEnd(copy) + 8;
    for (int32_t start : {0, 2000, 14000, wrap - 700}) {
        int32_t offset = start;
        HDC dc = GetDC(window);
        for (int frame = 0; frame < 700; ++frame) {
            if (frame % 50 == 49) {
                ReleaseDC(window, dc);
                if (!Same(copy, offset, wrap,
                          "frame " + std::to_string(frame) + " offset " + std::to_string(offset)))
                    return;
                offset = ScrollOffset;
                dc = GetDC(window);
            } else {
                ScrollOffset = offset;
                WrapWidth = wrap;
                PaintStrip(dc, window, copy.data());
                offset = ScrollOffset;
            }
        }
        ReleaseDC(window, dc);
    }
}

// A segment that starts right at the clip's right edge is still seen when its first glyph
// reaches left of its cell (a negative left bearing), and one that ends right at the left edge
// when its last glyph reaches right of it: the frame must not leave such a segment out.
TEST_F(StripFastPainter, InkThatLeavesItsCellAtTheClipEdgesStillShows) {
    HDC dc = GetDC(window);
    std::string leftReaching, rightReaching;
    for (HFONT font : {ValueFont, LabelFont}) {
        HGDIOBJ old = SelectObject(dc, font);
        ABC abc[256];
        ASSERT_TRUE(GetCharABCWidthsA(dc, 0, 255, abc));
        SelectObject(dc, old);
        for (int c = 33; c < 256; ++c) {
            if (c == '|' || c == 0x7f) continue;
            if (abc[c].abcA < 0 && leftReaching.size() < 6) leftReaching += char(c);
            if (abc[c].abcC < 0 && rightReaching.size() < 6) rightReaching += char(c);
        }
    }
    ReleaseDC(window, dc);
    if (leftReaching.empty() && rightReaching.empty()) GTEST_SKIP() << "no glyph leaves its cell";
    auto labelWidth = [](const std::string& s) {
        HDC dc = GetDC(window);
        HGDIOBJ old = SelectObject(dc, LabelFont);
        SIZE size{0, 0};
        GetTextExtentPoint32A(dc, s.data(), static_cast<int>(s.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(window, dc);
        return static_cast<int32_t>(size.cx);
    };
    const int32_t clipLeft = 10, clipRight = kWidth - 77;
    for (char c : leftReaching) {
        // The value begins at frame x = clipRight (offset may be negative: a dragged strip).
        std::vector<char> text = Copy(std::string("AB|") + c + c + "x|");
        const int32_t start = 11 + labelWidth("AB ");
        for (int32_t shift : {-1, 0, 1, 2})
            EXPECT_TRUE(Same(text, start - clipRight + shift, 5000, "left reach"));
    }
    for (char c : rightReaching) {
        // A label made of the glyph alone, no marker: its cell ends at clipLeft.
        std::vector<char> text = Copy(std::string(1, c) + c + "|v|");
        const int32_t end = 11 + labelWidth(std::string(1, c) + c + " ");
        for (int32_t shift : {-2, -1, 0, 1})
            EXPECT_TRUE(Same(text, end - clipLeft + shift, 5000, "right reach"));
    }
}

TEST_F(StripFastPainter, AFixedSetOfContextsAndBitmapsIsKeptWhateverHappens) {
    const int objects = GdiObjectCount();
    if (objects <= 0) GTEST_SKIP() << "this system does not count GDI objects";
    std::vector<char> text = Copy("IBM|+1|MSFT|-2|");
    HDC dc = GetDC(window);
    PaintStrip(dc, window, text.data());       // what is kept exists from here on
    EXPECT_LE(GdiObjectCount(), objects + 6);  // three contexts with their bitmaps
    // A new size makes them anew in place of the old ones, and so does a new text. (Wine makes
    // objects of its own when a window changes size; they are counted before the frames.)
    for (int width : {500, 550, 600, 640}) {
        Resize(width, kHeight);
        PaintStrip(dc, window, text.data());
        const int kept = GdiObjectCount();
        for (int i = 0; i < 100; ++i) {
            if (i % 30 == 0) text = Copy("A|+" + std::to_string(i) + "|");
            PaintStrip(dc, window, text.data());
        }
        EXPECT_EQ(kept, GdiObjectCount()) << width;
    }
    ReleaseDC(window, dc);
}

}  // namespace
