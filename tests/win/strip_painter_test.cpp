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
#include <sstream>
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
constexpr COLORREF kSentinel = RGB(90, 60, 120), kWhite = RGB(255, 255, 255);

HWND window;

void Resize(int width, int height) {
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    gdi_test::Pump();
}

// Every colour of a random choice.
void SetColors(uint32_t seed) {
    std::mt19937 random(seed);
    for (uint32_t& color : TickerSettings.colors)
        color = RGB(random() % 256, random() % 256, random() % 256);
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

// Fills the window with the sentinel and paints the copy at offset; returns what that leaves:
// the whole window's pixels, and the pen and the scroll offset. The window's context keeps
// nothing of the painter's: no clip, its font and mode.
std::pair<Pixels, std::vector<int32_t>> Paint(char* copy, int32_t offset,
                                              void (*paint)(HDC, HWND, char*) = PaintStrip) {
    ScrollOffset = offset;
    PenX = PenY = -1;
    RECT client;
    GetClientRect(window, &client);
    HDC dc = GetDC(window);
    SetBkColor(dc, kSentinel);  // the painter sets its own
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &client, "", 0, nullptr);
    const HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    const int mode = GetBkMode(dc);
    paint(dc, window, copy);
    HRGN clip = CreateRectRgn(0, 0, 1, 1);
    EXPECT_EQ(0, GetClipRgn(dc, clip));
    DeleteObject(clip);
    EXPECT_TRUE(font == GetCurrentObject(dc, OBJ_FONT) && mode == GetBkMode(dc));
    ReleaseDC(window, dc);
    return {gdi_test::ReadWindow(window, client.right, client.bottom), {PenX, PenY, ScrollOffset}};
}

Pixels PaintOnce(const std::string& text) { return Paint(Copy(text).data(), ScrollOffset).first; }

class StripPainter : public testing::Test {
  protected:
    // Every test has a window and fonts of its own; the painter makes anew what it keeps.
    void SetUp() override {
        window = gdi_test::TestWindow("StripPainterTest", 100, 100, kWidth, kHeight);
        CreateStripFonts(window);
        saved = TickerSettings;
        SetColors(11);
        WrapWidth = 5000;
    }
    void TearDown() override {
        DeleteStripFonts();
        DestroyWindow(window);
        TickerSettings = saved;
        ScreenSaverWindow = nullptr;
        ScrollOffset = WrapWidth = 0;
        ScrollForward = 1;
    }

    TickerSettingsData saved;
};

// The pieces of drawn ("|" between them, labels and values in turn, values 3 rows lower), each
// drawn alone, opaque, in the colour of its role (white for none), one after the other from
// startX; on the background inside the clip, the sentinel outside it.
Pixels Expected(int clipLeft, int startX, const std::string& drawn, const std::vector<int>& roles) {
    const COLORREF background = TickerSettings.colors[kBackgroundColor];
    Pixels frame{kWidth, kHeight, std::vector<COLORREF>(kWidth * kHeight, kSentinel)};
    for (int y = 1; y < kHeight - 1; ++y)
        for (int x = clipLeft; x < kWidth - 77; ++x) frame.px[y * kWidth + x] = background;
    HDC dc = GetDC(window);
    SetBkColor(dc, background);
    const RECT all{0, 0, kWidth, kHeight};
    std::istringstream pieces(drawn);
    std::string text;
    for (size_t i = 0; i < roles.size() && std::getline(pieces, text, '|'); ++i) {
        const bool value = i % 2;
        HGDIOBJ old = SelectObject(dc, value ? ValueFont : LabelFont);
        SIZE size{0, 0};
        GetTextExtentPoint32A(dc, text.data(), int(text.size()), &size);
        SetTextColor(dc, roles[i] < 0 ? kWhite : TickerSettings.colors[roles[i]]);
        ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &all, text.data(), int(text.size()), nullptr);
        SelectObject(dc, old);
        const Pixels alone = gdi_test::ReadWindow(window, kWidth, kHeight);
        const int top = value ? 3 : 0, end = std::min<int>(kWidth - 77, startX + size.cx);
        for (int y = std::max(1, top); y < kHeight - 1; ++y)
            for (int x = std::max(clipLeft, startX); x < end; ++x)
                frame.px[y * kWidth + x] = alone.At(x - startX, y - top);
        startX += size.cx;
    }
    ReleaseDC(window, dc);
    return frame;
}

TEST_F(StripPainter, EachSegmentInItsFontColourAndPlaceWithinTheClipAndNoneInATooNarrowWindow) {
    const struct {
        const char* text;
        int32_t offset;
        bool overScreenSaver;  // then the text starts at 0 and the clip at 1, else at 11 and 10
        const char* drawn;
        std::vector<int> roles;
    } cases[] = {
        // Labels in the symbol colour, values in their marker's colour.
        {"IBM|+1 1/2|", 0, false, "IBM |1 1/2 ", {kSymbolColor, kQuoteUpColor}},
        // A marked label keeps the symbol colour; an unmarked value is white.
        {"@NEWS|#5|X|@Cup|tail",
         0,
         false,
         "NEWS |#5 |X |Cup ",
         {kSymbolColor, -1, kSymbolColor, kSportsColor}},
        {"WWWW|+up|", 6, false, "WWWW |up ", {kSymbolColor, kQuoteUpColor}},  // clipped at the left
        {"WWWW|", 0, true, "WWWW ", {kSymbolColor}},
        {"", 0, false, "", {}},
        {"no bar at all", 0, false, "", {}},
    };
    for (const auto& c : cases) {
        ScrollOffset = c.offset;
        ScreenSaverWindow = c.overScreenSaver ? window : nullptr;  // any window will do
        const int clipLeft = c.overScreenSaver ? 1 : 10, startX = (c.overScreenSaver ? 0 : 11);
        EXPECT_EQ("", Differences(Expected(clipLeft, startX - c.offset, c.drawn, c.roles),
                                  PaintOnce(c.text)))
            << c.text;
    }
    // A window too narrow for the strip is left alone.
    Resize(60, kHeight);
    const Pixels untouched{60, kHeight, std::vector<COLORREF>(60 * kHeight, kSentinel)};
    EXPECT_EQ("", Differences(untouched, PaintOnce("IBM|+1|")));
}

// Strip texts with what makes frames hard: markers, empty segments, odd counts of "|", long
// segments, repeat pieces, and characters whose ink leaves their cell (j, f, the florin 0x83,
// italic-looking shapes of the symbol range).
std::string RandomText(std::mt19937& random, size_t length) {  // about that long
    auto below = [&](int n) { return int(random() % uint32_t(n)); };
    static const char kMarkers[] = "+-%{}~!@^?";
    static const char kChars[] =
        "jfJWyQ\x83\x86\x87\xbf\xc6\xe6\x95/\\_    abcdefghijklmnopqrstuvwxyz0123456789";
    std::string text;
    const int segments = below(8) == 0 ? below(3) : 20 + below(300);
    for (int i = 0; i < segments && text.size() < length; ++i) {
        const int kind = below(12);
        if (kind == 1 || (kind > 2 && below(2))) text += kMarkers[below(10)];
        if (kind == 2) text += std::string(200 + below(400), "WMjf"[below(4)]);
        for (int n = kind > 2 ? 1 + below(below(5) == 0 ? 60 : 14) : 0; n > 0; --n)
            text += kChars[below(sizeof kChars - 1)];
        text += i + 1 < segments || below(3) ? "|" : "";
    }
    if (below(2)) text += "  " + text.substr(0, 300) + "|";
    return text;
}

// Paints the copy at offset with the product and with the straightforward painter; they
// must leave the same, and the copy as it was.
void Same(std::vector<char>& copy, int32_t offset, int32_t wrap, const std::string& where) {
    const std::vector<char> before = copy;
    WrapWidth = wrap;
    const auto fast = Paint(copy.data(), offset);
    EXPECT_EQ(before, copy) << where;
    const auto plain = Paint(copy.data(), offset, strip_reference::PaintStrip);
    EXPECT_EQ("", Differences(plain.first, fast.first)) << where;
    EXPECT_EQ(plain.second, fast.second) << where;
}

// Where the straightforward painter's walk ends for this text: the strip's full width.
int32_t Width(const std::vector<char>& copy) {
    HDC dc = GetDC(window);
    const int32_t end =
        WalkStrip(copy.data(), copy.size(), 0, StripWalker{dc, MeasureInFont, nullptr, nullptr});
    ReleaseDC(window, dc);
    return end;
}

// Runs of three frames at offsets spread over random texts, both directions: each frame
// goes on from the offset the one before left. The first difference ends them.
void CompareRuns(std::mt19937& random, int count, const std::string& name) {
    auto below = [&](int n) { return int(random() % uint32_t(std::max(1, n))); };
    for (int round = 0; round < count; ++round) {
        std::vector<char> copy = Copy(RandomText(random, round % 4 == 0 ? 12000 : 3000));
        const int32_t end = Width(copy), wrap = end + 8;
        for (int run = 0; run < 4; ++run) {
            const int32_t at[] = {0, std::max(0, end - below(900)), wrap - below(3), below(wrap)};
            ScrollOffset = at[std::min(below(5), 3)];
            ScrollForward = below(4) != 0;
            for (int frame = 0; frame < 3 && !testing::Test::HasFailure(); ++frame)
                Same(copy, ScrollOffset, wrap, name + " round " + std::to_string(round));
        }
    }
}

TEST_F(StripPainter, RandomTextsShowTheSamePixelsWhateverChangesBetweenFrames) {
    std::mt19937 random(1);
    const HFONT label = LabelFont, value = ValueFont;
    const std::pair<const char*, std::function<void()>> steps[] = {
        {"plain", [] {}},
        {"new colours", [] { SetColors(99); }},
        {"smaller window", [] { Resize(430, 30); }},
        {"larger fonts", [] { CreateStripFonts(window); }},  // the preferences made them anew
        // Without a strip font every segment falls back as before.
        {"no label font", [] { LabelFont = nullptr; }},
        {"no value font either", [] { ValueFont = nullptr; }},
        {"no value font", [&] { LabelFont = label; }},
        {"both again", [&] { ValueFont = value; }},
        {"wider window", [] { Resize(900, kHeight); }},
        {"fonts again", [] { CreateStripFonts(window); }},  // perhaps under the same handles
        {"over the screen saver", [] { ScreenSaverWindow = window; }},
        {"too narrow", [] { Resize(60, kHeight); }},
    };
    for (const auto& [name, change] : steps) {
        change();
        CompareRuns(random, name == steps[0].first ? 40 : 3, name);
    }
}

TEST_F(StripPainter, TheSameTextAgainAndHostileTexts) {
    std::vector<char> bars(kDisplayTextSize, '|');  // no zero byte in the copy's 20000 bytes
    std::vector<char> big = Copy("L|+" + std::string(6000, 'v') + "|R|j|");
    std::vector<char> quotes = Copy("IBM|+1 1/2|MSFT|-3|{News|}World|"), empty = Copy("");
    const std::tuple<std::vector<char>*, int32_t, int32_t> cases[] = {
        {&bars, 0, 5000},  {&bars, 4000, 5000}, {&big, 0, 900000}, {&big, 40000, 900000},
        {&empty, 5, 300},  {&quotes, -5, 200},  {&quotes, 0, 200}, {&quotes, 1, 200},
        {&quotes, 1, 200}, {&quotes, 39, 200}};  // the same frame twice: from what was kept
    for (auto [copy, offset, wrap] : cases) Same(*copy, offset, wrap, std::to_string(offset));
}

// A segment that starts right at the clip's right edge is still seen when its first glyph
// reaches left of its cell (a negative left bearing), and one that ends right at the left edge
// when its last glyph reaches right of it: the frame must not leave such a segment out.
TEST_F(StripPainter, InkThatLeavesItsCellAtTheClipEdgesStillShows) {
    HDC dc = GetDC(window);
    for (int side : {0, 1}) {
        // Left reach: a value that begins at frame x = clipRight (offset may be negative: a
        // dragged strip). Right reach: a label of the glyph alone that ends at the clip's left.
        std::string glyphs;
        for (HFONT font : {ValueFont, LabelFont}) {
            HGDIOBJ old = SelectObject(dc, font);
            ABC abc[256];
            ASSERT_TRUE(GetCharABCWidthsA(dc, 0, 255, abc));
            SelectObject(dc, old);
            for (int c = 33; c < 256; ++c)
                if ((side ? abc[c].abcC : abc[c].abcA) < 0 && c != '|' && c != 0x7f)
                    glyphs += char(c);
        }
        for (char c : glyphs.substr(0, 6)) {
            const std::string label = side ? std::string(2, c) : "AB";
            std::vector<char> text = Copy(label + "|" + (side ? "v|" : std::string(2, c) + "x|"));
            const int32_t edge = 11 + Width(Copy(label + "|")) - (side ? 10 : kWidth - 77);
            for (int32_t shift : {-2, -1, 0, 1, 2})
                Same(text, edge + shift, 5000, label + " reach " + c);
        }
    }
    ReleaseDC(window, dc);
}

TEST_F(StripPainter, AFixedSetOfContextsAndBitmapsIsKeptWhateverHappens) {
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
