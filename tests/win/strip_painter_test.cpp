// The strip painter in a real window of this process: frames are read back from the window's
// device context and compared with the text drawn on its own in the same font and colours at
// the place where it belongs. Everything the frame must not touch is pre-filled with a
// sentinel colour. Colours are compared as the screen holds them (the display is 24-bit).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/ticker_host_win.h"
#include "gdi_objects_win.h"
#include "display/strip_win.h"
#include "feed/content_model.h"
#include "settings/settings.h"
#include "shell/strip_fonts_win.h"

namespace {

using gdi_test::GdiObjectCount;
using gdi_test::Pixels;
using gdi_test::Pump;
using gdi_test::QuietWindow;
using gdi_test::ReadPixels;

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

    static void SetUpTestSuite() {
        window = QuietWindow("StripPainterTest", 100, 100, kWidth, kHeight);
        CreateStripFonts(window);
    }
    static void TearDownTestSuite() {
        DeleteStripFonts();
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

TEST_F(StripPainter, TheCopyIsLeftAsItWas) {
    std::vector<char> copy(kDisplayTextSize, 0);
    const char text[] = "A|+B|C|{D|rest";
    std::memcpy(copy.data(), text, sizeof text);
    std::vector<char> before = copy;
    PaintCopy(copy.data());
    EXPECT_EQ(before, copy);
}

TEST_F(StripPainter, AWindowTooNarrowForTheStripIsLeftAlone) {
    SetWindowPos(window, nullptr, 0, 0, 60, kHeight, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    Pixels frame = PaintOnce("IBM|+1|");
    SetWindowPos(window, nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    EXPECT_EQ(60 * kHeight, CountColor(frame, kSentinel, 0, 60));
}

TEST_F(StripPainter, HostileTextsDrawBoundedFrames) {
    // Bars only, no zero byte inside the copy's 20000 bytes, and one 6000-byte segment.
    std::vector<char> bars(kDisplayTextSize, '|');
    PaintCopy(bars.data());
    EXPECT_LE(PenX.load(), kWidth + 50);  // drawing stopped at the window's right edge

    std::string big = "L|+" + std::string(6000, 'v') + "|R|";
    Pixels frame = PaintOnce(big);
    EXPECT_GT(CountColor(frame, kQuoteUp, 11, kWidth - 77), 100);
    EXPECT_GT(PenX.load(), kWidth);
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

TEST_F(StripPainter, EveryGdiObjectIsGivenBack) {
    // The painter keeps its memory contexts and their bitmaps from its first frame on, so the
    // count is taken once they exist: what frames make after that, they must give back.
    HDC dc = GetDC(window);
    char copy[] = "IBM|+1|MSFT|-2|";
    PaintStrip(dc, window, copy);
    const int objects = GdiObjectCount();
    if (objects <= 0) {
        ReleaseDC(window, dc);
        GTEST_SKIP() << "this system does not count GDI objects";
    }
    for (int i = 0; i < 500; ++i) PaintStrip(dc, window, copy);
    char empty[] = "";
    PaintStrip(dc, window, empty);
    ReleaseDC(window, dc);
    EXPECT_EQ(objects, GdiObjectCount());
}

}  // namespace
