// The strip painter in a real window of this process, read back from the window's device
// context (the display is 24-bit; colours are compared as the screen holds them). A frame must
// show each segment exactly as the same text drawn alone in the same font and colours, at its
// place, and leave everything outside the clip (pre-filled with a sentinel colour) alone. And
// the painter that keeps its bitmaps, widths and drawn pieces shows exactly what the
// straightforward painter (strip_reference_win.h) shows: for random strip texts at many scroll
// offsets, frame after frame, the same pixels, PenX, PenY and ScrollOffset, while fonts,
// colours, the window's size and the screen saver change in between as the ticker lets them.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "base/program_win.h"
#include "display/strip_win.h"
#include "feed/content_model.h"
#include "gdi_objects_win.h"
#include "settings/settings.h"
#include "shell/strip_fonts_win.h"
#include "strip_reference_win.h"

namespace {

using gdi_test::Pixels;

constexpr int kWidth = 600, kHeight = 24;
constexpr COLORREF kSentinel = RGB(90, 60, 120), kBackground = RGB(10, 20, 30);
constexpr COLORREF kSymbol = RGB(250, 200, 0), kQuoteUp = RGB(0, 240, 16);
constexpr COLORREF kSports = RGB(200, 40, 160), kWhite = RGB(255, 255, 255);

HWND window, tall;  // tall: a hidden window whose height makes other fonts

void Fill(HDC dc, COLORREF color) {
    RECT client;
    GetClientRect(window, &client);
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
}

void Resize(int width, int height) {
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    gdi_test::Pump();
}

// "" when the two are the same, else how many pixels differ and where the first one is.
std::string Differences(const Pixels& want, const Pixels& got) {
    int wrong = 0, first = 0;
    for (size_t i = 0; i < want.px.size(); ++i)
        if (want.px[i] != got.px[i] && wrong++ == 0) first = int(i);
    if (!wrong) return "";
    char text[96];
    std::snprintf(text, sizeof text, "%d differ, first (%d,%d): want %06lx got %06lx", wrong,
                  first % want.width, first / want.width, want.px[first], got.px[first]);
    return text;
}

std::vector<char> Copy(const std::string& text) {
    std::vector<char> copy(kDisplayTextSize, 0);
    std::memcpy(copy.data(), text.data(), std::min(text.size(), copy.size() - 1));
    return copy;
}

class StripPainter : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        window = gdi_test::TestWindow("StripPainterTest", 100, 100, kWidth, kHeight);
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
        ScrollOffset = WrapWidth = 0;
        ScrollForward = 1;
        Resize(kWidth, kHeight);
        CreateStripFonts(window);
    }

    // Fills the window with the sentinel, paints one frame of text and reads the window back.
    // The window's context keeps nothing of the painter's: no clip, its font and mode.
    static Pixels PaintOnce(const std::string& text) {
        std::vector<char> copy = Copy(text);
        HDC dc = GetDC(window);
        Fill(dc, kSentinel);
        const HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
        const int mode = GetBkMode(dc);
        PaintStrip(dc, window, copy.data());
        HRGN clip = CreateRectRgn(0, 0, 1, 1);
        EXPECT_EQ(0, GetClipRgn(dc, clip));
        DeleteObject(clip);
        EXPECT_TRUE(font == GetCurrentObject(dc, OBJ_FONT) && mode == GetBkMode(dc));
        Pixels p = gdi_test::ReadPixels(dc, kWidth, kHeight);
        ReleaseDC(window, dc);
        return p;
    }

    TickerSettingsData saved;
};

// Each segment drawn alone, opaque, one after the other from startX (values 3 rows lower), on
// the background inside the clip, the sentinel outside it.
struct Alone {
    bool value;
    COLORREF color;
    const char* text;
};
Pixels Expected(int clipLeft, int startX, const std::vector<Alone>& pieces) {
    Pixels frame{kWidth, kHeight, std::vector<COLORREF>(kWidth * kHeight, kSentinel)};
    for (int y = 1; y < kHeight - 1; ++y)
        for (int x = clipLeft; x < kWidth - 77; ++x) frame.px[y * kWidth + x] = kBackground;
    HDC dc = GetDC(window);
    for (const Alone& piece : pieces) {
        const int length = int(std::strlen(piece.text));
        Fill(dc, kBackground);
        HGDIOBJ old = SelectObject(dc, piece.value ? ValueFont : LabelFont);
        SIZE size{0, 0};
        GetTextExtentPoint32A(dc, piece.text, length, &size);
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, kBackground);
        SetTextColor(dc, piece.color);
        TextOutA(dc, 0, 0, piece.text, length);
        SelectObject(dc, old);
        const Pixels alone = gdi_test::ReadPixels(dc, kWidth, kHeight);
        const int top = piece.value ? 3 : 0, end = std::min<int>(kWidth - 77, startX + size.cx);
        for (int y = std::max(1, top); y < kHeight - 1; ++y)
            for (int x = std::max(clipLeft, startX); x < end; ++x)
                frame.px[y * kWidth + x] = alone.At(x - startX, y - top);
        startX += size.cx;
    }
    ReleaseDC(window, dc);
    return frame;
}

TEST_F(StripPainter, EachSegmentInItsFontColourAndPlaceWithinTheClip) {
    struct Case {
        const char* text;
        int32_t offset;
        bool overScreenSaver;
        int clipLeft, startX;
        std::vector<Alone> pieces;
    };
    const Case cases[] = {
        // Labels in the symbol colour at the top, values in their marker's colour 3 lower.
        {"IBM|+1 1/2|", 0, false, 10, 11, {{false, kSymbol, "IBM "}, {true, kQuoteUp, "1 1/2 "}}},
        // A marked label keeps the symbol colour; an unmarked value is white.
        {"@NEWS|#5 pick|X|@Cup|tail",
         0,
         false,
         10,
         11,
         {{false, kSymbol, "NEWS "},
          {true, kWhite, "#5 pick "},
          {false, kSymbol, "X "},
          {true, kSports, "Cup "}}},
        // Scrolled text is clipped at the left border.
        {"WWWW|+up|", 6, false, 10, 5, {{false, kSymbol, "WWWW "}, {true, kQuoteUp, "up "}}},
        // Over the screen saver the text starts at 0 and the clip at 1.
        {"WWWW|", 0, true, 1, 0, {{false, kSymbol, "WWWW "}}},
        {"", 0, false, 10, 11, {}},
        {"no bar at all", 0, false, 10, 11, {}},
    };
    for (const Case& c : cases) {
        ScrollOffset = c.offset;
        ScreenSaverWindow = c.overScreenSaver ? window : nullptr;  // any window will do
        EXPECT_EQ("", Differences(Expected(c.clipLeft, c.startX, c.pieces), PaintOnce(c.text)))
            << c.text;
    }
}

TEST_F(StripPainter, AWindowTooNarrowForTheStripIsLeftAlone) {
    Resize(60, kHeight);
    Pixels frame = PaintOnce("IBM|+1|");
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < 60; ++x) ASSERT_EQ(kSentinel, frame.At(x, y)) << x << "," << y;
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
        switch (Below(12)) {
        case 0: return "";
        case 1: return std::string(1, kMarkers[Below(10)]);
        case 2: return std::string(200 + Below(400), "WMjf"[Below(4)]);
        default: break;
        }
        std::string s = Below(2) ? std::string(1, kMarkers[Below(10)]) : "";
        for (int n = 1 + Below(Below(5) == 0 ? 60 : 14); n > 0; --n) {
            const int kind = Below(6);
            s += kind == 0   ? kInk[Below(sizeof kInk - 1)]
                 : kind == 1 ? ' '
                             : char(Below(2) ? 'a' + Below(26) : '0' + Below(10));
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

    // What painting the copy at offset leaves: the whole window's pixels, and the pen and the
    // scroll offset.
    static std::pair<Pixels, std::string> Paint(char* copy, int32_t offset, int32_t wrap,
                                                void (*paint)(HDC, HWND, char*)) {
        ScrollOffset = offset;
        WrapWidth = wrap;
        PenX = PenY = -1;
        RECT client;
        GetClientRect(window, &client);
        HDC dc = GetDC(window);
        Fill(dc, kSentinel);
        paint(dc, window, copy);
        ReleaseDC(window, dc);
        return {gdi_test::ReadWindow(window, client.right, client.bottom),
                "pen " + std::to_string(PenX) + "," + std::to_string(PenY) + " offset " +
                    std::to_string(ScrollOffset)};
    }

    // Paints the copy at offset with the product and with the straightforward painter; they
    // must leave the same, and the copy as it was.
    static bool Same(std::vector<char>& copy, int32_t offset, int32_t wrap,
                     const std::string& where) {
        const std::vector<char> before = copy;
        const auto fast = Paint(copy.data(), offset, wrap, PaintStrip);
        EXPECT_EQ(before, copy) << where;
        const auto plain = Paint(copy.data(), offset, wrap, strip_reference::PaintStrip);
        const std::string pixels = Differences(plain.first, fast.first);
        EXPECT_EQ("", pixels) << where;
        EXPECT_EQ(plain.second, fast.second) << where;
        return pixels.empty() && plain.second == fast.second;
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

    // Runs of three frames at offsets spread over the text, both directions.
    static void CompareRuns(StripTexts& texts, int count, const std::string& name) {
        for (int round = 0; round < count; ++round) {
            std::vector<char> copy = Copy(texts.Text(round % 4 == 0 ? 12000 : 3000));
            const int32_t end = StripEnd(copy), wrap = end + 8;
            for (int run = 0; run < 4; ++run) {
                const int32_t offsets[] = {0, std::max(0, end - texts.Below(900)),
                                           wrap - texts.Below(3), texts.Below(std::max(1, wrap))};
                int32_t offset = offsets[std::min(texts.Below(5), 3)];
                ScrollForward = texts.Below(4) != 0;
                for (int frame = 0; frame < 3; ++frame) {
                    if (!Same(copy, offset, wrap,
                              name + " round " + std::to_string(round) + " offset " +
                                  std::to_string(offset)))
                        return;
                    offset = ScrollOffset;  // the next frame goes on from here
                }
            }
        }
    }
};

TEST_F(StripFastPainter, RandomTextsShowTheSamePixelsWhateverChangesBetweenFrames) {
    StripTexts texts(1);
    const HFONT label = LabelFont, value = ValueFont;
    const std::pair<const char*, std::function<void()>> steps[] = {
        {"plain", [] {}},
        {"larger fonts", [] { CreateStripFonts(tall); }},   // the preferences made them anew
        {"fonts again", [] { CreateStripFonts(window); }},  // perhaps under the same handles
        {"new colours", [] { SetColors(99); }},
        {"smaller window", [] { Resize(430, 30); }},
        {"wider window", [] { Resize(900, kHeight); }},
        {"over the screen saver", [] { ScreenSaverWindow = window; }},
        {"too narrow",
         [] {
             ScreenSaverWindow = nullptr;
             Resize(60, kHeight);
         }},
        // Without a strip font every segment falls back as before.
        {"no label font",
         [] {
             Resize(kWidth, kHeight);
             LabelFont = nullptr;
         }},
        {"no value font",
         [&] {
             LabelFont = label;
             ValueFont = nullptr;
         }},
        {"both again", [&] { ValueFont = value; }},
    };
    for (const auto& [name, change] : steps) {
        change();
        CompareRuns(texts, std::string(name) == "plain" ? 40 : 3, name);
    }
}

TEST_F(StripFastPainter, TheSameTextAgainAndHostileTexts) {
    std::vector<char> bars(kDisplayTextSize, '|');  // no zero byte in the copy's 20000 bytes
    std::vector<char> big = Copy("L|+" + std::string(6000, 'v') + "|R|j|");
    std::vector<char> quotes = Copy("IBM|+1 1/2|MSFT|-3|{News|}World|"), empty = Copy("");
    const std::tuple<std::vector<char>*, int32_t, int32_t> cases[] = {
        {&bars, 0, 5000},  {&bars, 4000, 5000}, {&big, 0, 900000}, {&big, 40000, 900000},
        {&empty, 5, 300},  {&quotes, -5, 200},  {&quotes, 0, 200}, {&quotes, 1, 200},
        {&quotes, 1, 200}, {&quotes, 39, 200}};  // the same frame twice: from what was kept
    for (auto [copy, offset, wrap] : cases)
        EXPECT_TRUE(Same(*copy, offset, wrap, std::to_string(offset)));
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
    auto labelWidth = [](const std::string& s) {
        HDC dc = GetDC(window);
        const int32_t width =
            strip_reference::MeasureInFont(dc, StripPiece{s.data(), s.size(), 0, false, 0, 0});
        ReleaseDC(window, dc);
        return width;
    };
    if (leftReaching.empty() && rightReaching.empty()) GTEST_SKIP() << "no glyph leaves its cell";
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
    const int objects = gdi_test::GdiObjectCount();
    if (objects <= 0) GTEST_SKIP() << "this system does not count GDI objects";
    std::vector<char> text = Copy("IBM|+1|MSFT|-2|");
    HDC dc = GetDC(window);
    PaintStrip(dc, window, text.data());                 // what is kept exists from here on
    EXPECT_LE(gdi_test::GdiObjectCount(), objects + 6);  // three contexts with their bitmaps
    // A new size makes them anew in place of the old ones, and so does a new text. (Wine makes
    // objects of its own when a window changes size; they are counted before the frames.)
    for (int width : {500, 550, 600, 640}) {
        Resize(width, kHeight);
        PaintStrip(dc, window, text.data());
        const int kept = gdi_test::GdiObjectCount();
        for (int i = 0; i < 100; ++i) {
            if (i % 30 == 0) text = Copy("A|+" + std::to_string(i) + "|");
            PaintStrip(dc, window, text.data());
        }
        EXPECT_EQ(kept, gdi_test::GdiObjectCount()) << width;
    }
    ReleaseDC(window, dc);
}

}  // namespace
