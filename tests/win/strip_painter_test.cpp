// The strip painter in a real window of this process. Frames are read back from the window's
// device context and compared with the text drawn on its own in the same font and colours at
// the place where it belongs, everything the frame must not touch pre-filled with a sentinel
// colour; colours are compared as the screen holds them (the display is 24-bit). And the
// painter that keeps its bitmap, widths and drawn pieces shows exactly what the straightforward
// painter shows: for random strip texts at many scroll offsets, frame after frame, the window
// holds the same pixels and PenX, PenY and ScrollOffset end the same. Fonts, colours, the
// window's size and the screen saver change in between, as the ticker lets them.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "base/program_win.h"
#include "display/strip_win.h"
#include "feed/content_model.h"
#include "gdi_objects_win.h"
#include "settings/settings.h"
#include "shell/strip_fonts_win.h"
#include "strip_reference_win.h"

namespace {

using gdi_test::GdiObjectCount;
using gdi_test::Pixels;
using gdi_test::Pump;
using gdi_test::QuietWindow;
using gdi_test::ReadPixels;
using gdi_test::ReadWindow;

constexpr int kWidth = 600, kHeight = 24;
constexpr COLORREF kSentinel = RGB(90, 60, 120);
constexpr COLORREF kBackground = RGB(10, 20, 30);
constexpr COLORREF kSymbol = RGB(250, 200, 0);
constexpr COLORREF kQuoteUp = RGB(0, 240, 16);
constexpr COLORREF kSports = RGB(200, 40, 160);
constexpr COLORREF kWhite = RGB(255, 255, 255);

// What draw leaves on a w x h 32-bit bitmap of its own.
template <class Draw> Pixels OnBitmap(int w, int h, Draw draw) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    draw(dc);
    Pixels p = ReadPixels(dc, w, h);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return p;
}

// Copies piece into p at (left, top), clipped to p.
void Paste(Pixels& p, const Pixels& piece, int left, int top) {
    for (int y = 0; y < piece.height; ++y)
        for (int x = 0; x < piece.width; ++x)
            if (left + x >= 0 && left + x < p.width && top + y >= 0 && top + y < p.height)
                p.px[(top + y) * p.width + left + x] = piece.At(x, y);
}

void Fill(HDC dc, COLORREF color) {
    RECT all{0, 0, kWidth, kHeight};
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
}

// A segment drawn on its own, opaque, at the top left corner: what the strip should show.
struct Alone {
    Pixels pixels;
    int width;
};
Alone DrawAlone(HFONT font, COLORREF color, const char* text) {
    SIZE size{0, 0};
    Pixels p = OnBitmap(kWidth, kHeight, [&](HDC dc) {
        Fill(dc, kBackground);
        HGDIOBJ old = SelectObject(dc, font);
        GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &size);
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, kBackground);
        SetTextColor(dc, color);
        TextOutA(dc, 0, 0, text, static_cast<int>(std::strlen(text)));
        SelectObject(dc, old);
    });
    Pixels cell{size.cx, kHeight, {}};  // keep only the segment's own cell
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < size.cx; ++x) cell.px.push_back(p.At(x, y));
    return Alone{cell, size.cx};
}

class StripPainter : public testing::Test {
  protected:
    static HWND window;
    static HWND tall;  // a hidden window whose height makes other fonts

    static void SetUpTestSuite() {
        window = QuietWindow("StripPainterTest", 100, 100, kWidth, kHeight);
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
        TickerSettings.colors[kBackgroundColor] = kBackground;
        TickerSettings.colors[kSymbolColor] = kSymbol;
        TickerSettings.colors[kQuoteUpColor] = kQuoteUp;
        TickerSettings.colors[kSportsColor] = kSports;
        ScreenSaverWindow = nullptr;
        ScrollOffset = 0;
        WrapWidth = 5000;
        ScrollForward = 1;
    }
    void TearDown() override {
        TickerSettings = saved;
        ScreenSaverWindow = nullptr;
        ScrollOffset = 0;
        WrapWidth = 0;
        ScrollForward = 1;
        Resize(kWidth, kHeight);
        CreateStripFonts(window);
    }

    static void Resize(int width, int height) {
        SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
        Pump();
    }

    // Fills the window with the sentinel, paints one frame of text and reads the window back.
    static Pixels PaintOnce(const std::string& text) {
        std::vector<char> copy(kDisplayTextSize, 0);
        std::memcpy(copy.data(), text.data(), std::min<size_t>(text.size(), copy.size() - 1));
        return PaintCopy(copy.data());
    }
    static Pixels PaintCopy(char* copy) {
        HDC dc = GetDC(window);
        Fill(dc, kSentinel);
        PaintStrip(dc, window, copy);
        Pixels p = ReadPixels(dc, kWidth, kHeight);
        ReleaseDC(window, dc);
        return p;
    }

    // The frame the strip should show: sentinel outside the clip, background inside it, and
    // each segment pasted where it belongs.
    static Pixels Expected(int clipLeft, const std::vector<std::pair<Alone, POINT>>& pieces) {
        Pixels inside{kWidth, kHeight, std::vector<COLORREF>(kWidth * kHeight, kBackground)};
        for (const auto& [piece, at] : pieces) Paste(inside, piece.pixels, at.x, at.y);
        Pixels frame{kWidth, kHeight, std::vector<COLORREF>(kWidth * kHeight, kSentinel)};
        for (int y = 1; y < kHeight - 1; ++y)
            for (int x = clipLeft; x < kWidth - 77; ++x) frame.px[y * kWidth + x] = inside.At(x, y);
        return frame;
    }

    static void ExpectSame(const Pixels& expected, const Pixels& actual) {
        int wrong = 0, firstX = -1, firstY = -1;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if (expected.At(x, y) != actual.At(x, y) && wrong++ == 0) firstX = x, firstY = y;
        EXPECT_EQ(0, wrong) << "first difference at (" << firstX << "," << firstY << "): want "
                            << std::hex << expected.At(firstX, firstY) << " got "
                            << actual.At(firstX, firstY);
    }

    static int CountColor(const Pixels& p, COLORREF color, int x0, int x1) {
        int n = 0;
        for (int y = 0; y < p.height; ++y)
            for (int x = x0; x < x1; ++x) n += p.At(x, y) == color;
        return n;
    }

    // Topmost row that holds color, or -1.
    static int TopRow(const Pixels& p, COLORREF color) {
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x)
                if (p.At(x, y) == color) return y;
        return -1;
    }

    TickerSettingsData saved;
};
HWND StripPainter::window;
HWND StripPainter::tall;

TEST_F(StripPainter, LabelInSymbolColourAtTopValueInItsMarkerColourThreeLower) {
    Alone label = DrawAlone(LabelFont, kSymbol, "IBM ");
    Alone value = DrawAlone(ValueFont, kQuoteUp, "1 1/2 ");
    Pixels frame = PaintOnce("IBM|+1 1/2|");
    ExpectSame(Expected(10, {{label, {11, 0}}, {value, {11 + label.width, 3}}}), frame);

    // The same, said plainly: both colours are there, and the value's ink starts 3 rows lower
    // than it does when drawn at the top.
    EXPECT_GT(CountColor(frame, kSymbol, 11, 11 + label.width), 20);
    EXPECT_GT(CountColor(frame, kQuoteUp, 11 + label.width, kWidth - 77), 20);
    EXPECT_EQ(TopRow(value.pixels, kQuoteUp) + 3, TopRow(frame, kQuoteUp));
    EXPECT_EQ(1, ScrollOffset.load());
}

TEST_F(StripPainter, MarkedLabelAndUnmarkedValue) {
    Alone label = DrawAlone(LabelFont, kSymbol, "NEWS ");
    Alone value = DrawAlone(ValueFont, kWhite, "#5 pick ");
    Alone sports = DrawAlone(ValueFont, kSports, "Cup ");
    Alone next = DrawAlone(LabelFont, kSymbol, "X ");
    Pixels frame = PaintOnce("@NEWS|#5 pick|X|@Cup|tail");
    int x = 11;
    ExpectSame(Expected(10, {{label, {x, 0}},
                             {value, {x + label.width, 3}},
                             {next, {x + label.width + value.width, 0}},
                             {sports, {x + label.width + value.width + next.width, 3}}}),
               frame);
}

TEST_F(StripPainter, ScrolledTextIsClippedAtTheLeftBorder) {
    ScrollOffset = 6;
    Alone label = DrawAlone(LabelFont, kSymbol, "WWWW ");
    Alone value = DrawAlone(ValueFont, kQuoteUp, "up ");
    Pixels frame = PaintOnce("WWWW|+up|");
    ExpectSame(Expected(10, {{label, {5, 0}}, {value, {5 + label.width, 3}}}), frame);
    EXPECT_EQ(7, ScrollOffset.load());
}

TEST_F(StripPainter, OverTheScreenSaverTheTextStartsAtZeroAndTheClipAtOne) {
    ScreenSaverWindow = window;  // any window: the ticker is shown over a screen saver
    Alone label = DrawAlone(LabelFont, kSymbol, "WWWW ");
    Pixels frame = PaintOnce("WWWW|");
    ExpectSame(Expected(1, {{label, {0, 0}}}), frame);
    EXPECT_EQ(kSentinel, frame.At(0, 5));
}

TEST_F(StripPainter, EmptyTextDrawsBackgroundAndStillMoves) {
    ScrollForward = 0;
    WrapWidth = 300;
    ExpectSame(Expected(10, {}), PaintOnce(""));
    EXPECT_EQ(299, ScrollOffset.load());  // backward from 0 wraps to WrapWidth - 1
    ExpectSame(Expected(10, {}), PaintOnce("no bar at all"));
}

TEST_F(StripPainter, AWindowTooNarrowForTheStripIsLeftAlone) {
    Resize(60, kHeight);
    Pixels frame = PaintOnce("IBM|+1|");
    EXPECT_EQ(60 * kHeight, CountColor(frame, kSentinel, 0, 60));
}

TEST_F(StripPainter, TheWindowContextKeepsNothingOfThePainters) {
    HDC dc = GetDC(window);
    HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    int mode = GetBkMode(dc);
    char copy[] = "IBM|+1|MSFT|-2|";
    PaintStrip(dc, window, copy);
    HRGN probe = CreateRectRgn(0, 0, 1, 1);
    EXPECT_EQ(0, GetClipRgn(dc, probe));  // no clip left behind
    DeleteObject(probe);
    EXPECT_EQ(font, GetCurrentObject(dc, OBJ_FONT));
    EXPECT_EQ(mode, GetBkMode(dc));
    ReleaseDC(window, dc);
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
    Pixels pixels;
    int32_t penX, penY, scrollOffset;
};

// The product against the straightforward painter, in colours of a random choice.
class StripFastPainter : public StripPainter {
  protected:
    void SetUp() override {
        StripPainter::SetUp();
        SetColors(11);
    }

    static void SetColors(uint32_t seed) {
        std::mt19937 random(seed);
        for (uint32_t& color : TickerSettings.colors)
            color = RGB(random() % 256, random() % 256, random() % 256);
    }

    template <class Painter>
    static Outcome Paint(char* copy, int32_t offset, int32_t wrap, Painter paint) {
        ScrollOffset = offset;
        WrapWidth = wrap;
        PenX = -1;
        PenY = -1;
        RECT client;
        GetClientRect(window, &client);
        HDC dc = GetDC(window);
        HBRUSH sentinel = CreateSolidBrush(kSentinel);
        FillRect(dc, &client, sentinel);  // the whole window, whatever its size now
        DeleteObject(sentinel);
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
        for (size_t i = 0; i < fast.pixels.px.size(); ++i)
            if (fast.pixels.px[i] != reference.pixels.px[i] && wrong++ == 0) first = i;
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
};

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
