// Link positions and the scroll period measured with real GDI fonts, checked against widths
// measured here on their own; and texts that try to push the layout past its buffers.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "display/strip_win.h"
#include "feed/content_model.h"
#include "shell/strip_fonts_win.h"

namespace {

class StripLayout : public testing::Test {
  protected:
    static HWND window;

    static void SetUpTestSuite() {
        // A hidden window of the docked ticker's height: the fonts follow its client height.
        window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 600, 24, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        CreateStripFonts(window);
    }
    static void TearDownTestSuite() {
        DeleteStripFonts();
        DestroyWindow(window);
    }
    void SetUp() override {
        ClearLinks();
        DisplayText[0] = 0;
    }
    void TearDown() override {
        ClearLinks();
        DisplayText[0] = 0;
        WrapWidth = 0;
    }

    static int Extent(HFONT font, const std::string& s) {
        HDC dc = GetDC(window);
        HGDIOBJ old = SelectObject(dc, font);
        SIZE size{0, 0};
        GetTextExtentPoint32A(dc, s.data(), static_cast<int>(s.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(window, dc);
        return size.cx;
    }
    static int RectWidth(HFONT font, const std::string& s, UINT prefix = DT_NOPREFIX) {
        HDC dc = GetDC(window);
        HGDIOBJ old = SelectObject(dc, font);
        RECT rc{0, 0, 0, 0};
        DrawTextA(dc, s.data(), static_cast<int>(s.size()), &rc,
                  DT_CALCRECT | DT_SINGLELINE | prefix);
        SelectObject(dc, old);
        ReleaseDC(window, dc);
        return rc.right;
    }
    static void PutDisplayText(const std::string& s) {
        std::memset(DisplayText, 0, sizeof DisplayText);
        std::memcpy(DisplayText, s.data(), std::min(s.size(), sizeof DisplayText));
    }
};
HWND StripLayout::window;

TEST_F(StripLayout, LinkEndsAfterTheLabelAndValueWithTheirSpaces) {
    RecordLink(window, "IBM|+1 1/2|", "http://quote/IBM", 1);
    RecordLink(window, "IBM|+1 1/2|MSFT|-3|", "http://quote/MSFT", 0);
    ASSERT_EQ(2, LinkCount.load());
    LinkEntry e;
    ASSERT_TRUE(ReadLink(0, &e));
    const int first = Extent(LabelFont, "IBM ") + Extent(ValueFont, "1 1/2 ");
    EXPECT_EQ(first, e.rightEdge);
    EXPECT_STREQ("http://quote/IBM", e.url);
    EXPECT_EQ(1u, e.topicStart);
    ASSERT_TRUE(ReadLink(1, &e));
    EXPECT_EQ(first + Extent(LabelFont, "MSFT ") + Extent(ValueFont, "3 "), e.rightEdge);
    EXPECT_EQ(0u, e.topicStart);
}

TEST_F(StripLayout, AFullTableDropsTheLinkAndALongAddressIsCut) {
    std::string url = "http://x/" + std::string(400, 'u');
    for (int i = 0; i < kLinkTableSize + 5; ++i) RecordLink(window, "A|B|", url.c_str(), 0);
    EXPECT_EQ(kLinkTableSize, LinkCount.load());
    LinkEntry e;
    ASSERT_TRUE(ReadLink(kLinkTableSize - 1, &e));
    EXPECT_EQ(size_t(kLinkUrlSize - 1), std::strlen(e.url));
    RecordLink(window, nullptr, nullptr, 0);  // nothing to measure, nothing to point at
    EXPECT_EQ(kLinkTableSize, LinkCount.load());
}

TEST_F(StripLayout, WrapWidthIsTheSegmentsMeasuredAsRectanglesPlusEight) {
    PutDisplayText("a|b&c|c|");
    MeasureAndExtendDisplay(window);
    EXPECT_EQ(RectWidth(LabelFont, "a ") + RectWidth(ValueFont, "b&c ") +
                  RectWidth(LabelFont, "c ") + 8,
              WrapWidth.load());
}

TEST_F(StripLayout, CopiesAreAppendedUntilTheTextIsWiderThanTheScreen) {
    const std::string text = "IBM|+1|  ";
    PutDisplayText(text);
    MeasureAndExtendDisplay(window);
    const std::string extended = DisplayText;
    const int screen = GetSystemMetrics(SM_CXSCREEN);
    ASSERT_GT(screen, 0);
    ASSERT_EQ(0u, extended.size() % text.size());  // whole copies of the whole text
    const size_t copies = extended.size() / text.size() - 1;
    ASSERT_GE(copies, 1u);
    // Measured in the font the walk ended in (the value font: two segments), with prefixes.
    auto width = [&](size_t n) { return RectWidth(ValueFont, extended.substr(0, n), 0); };
    EXPECT_GE(width(extended.size() - text.size()), screen);  // the last copy was the last needed
    if (copies > 1) {
        EXPECT_LT(width(extended.size() - 2 * text.size()), screen);
    }
}

TEST_F(StripLayout, EmptyTextGetsWrapEightAndNoCopy) {
    MeasureAndExtendDisplay(window);
    EXPECT_EQ(8, WrapWidth.load());
    EXPECT_STREQ("", DisplayText);
}

TEST_F(StripLayout, HostileTextsStayWithinDisplayText) {
    PutDisplayText(std::string(kDisplayTextSize - 1, 'x'));  // full, and no "|"
    MeasureAndExtendDisplay(window);
    EXPECT_EQ(8, WrapWidth.load());
    EXPECT_EQ(size_t(kDisplayTextSize - 1), std::strlen(DisplayText));

    PutDisplayText(std::string(kDisplayTextSize, 'y'));  // no zero byte at all
    MeasureAndExtendDisplay(window);
    EXPECT_EQ(0, DisplayText[kDisplayTextSize - 1]);

    PutDisplayText(std::string(kDisplayTextSize - 1, '|'));
    MeasureAndExtendDisplay(window);
    const int space = RectWidth(LabelFont, " "), valueSpace = RectWidth(ValueFont, " ");
    EXPECT_EQ(space * (kDisplayTextSize / 2) + valueSpace * (kDisplayTextSize / 2 - 1) + 8,
              WrapWidth.load());
    EXPECT_EQ(size_t(kDisplayTextSize - 1), std::strlen(DisplayText));

    PutDisplayText("L|" + std::string(6000, 's') + "|");  // cut to the segment buffer
    MeasureAndExtendDisplay(window);
    EXPECT_EQ(RectWidth(LabelFont, "L ") + RectWidth(ValueFont, std::string(4998, 's') + " ") + 8,
              WrapWidth.load());
    EXPECT_EQ(6003u + 301u, std::strlen(DisplayText));

    ClearLinks();
    std::string longText = std::string(kContentBufferSize + 100, '|');
    RecordLink(window, longText.c_str(), "http://far", 0);  // read no further than ContentBuffer
    LinkEntry e;
    ASSERT_TRUE(ReadLink(0, &e));
    EXPECT_EQ((Extent(LabelFont, " ") + Extent(ValueFont, " ")) * (kContentBufferSize / 2),
              e.rightEdge);
}

}  // namespace
