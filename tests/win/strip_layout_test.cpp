// Link positions and the scroll period measured with real GDI fonts, checked against widths
// measured here on their own.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "display/strip_win.h"
#include "feed/content_model.h"
#include "gdi_objects_win.h"
#include "shell/strip_fonts_win.h"

namespace {

class StripLayout : public testing::Test {
  protected:
    static HWND window;

    static void SetUpTestSuite() {
        // A window of the docked ticker's height: the fonts follow its client height.
        window = gdi_test::TestWindow("StripLayoutTest", 0, 0, 600, 24);
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

TEST_F(StripLayout, WrapWidthIsTheSegmentsMeasuredAsRectanglesPlusEight) {
    PutDisplayText("a|b&c|c|");
    MeasureAndExtendDisplay(window);
    EXPECT_EQ(RectWidth(LabelFont, "a ") + RectWidth(ValueFont, "b&c ") +
                  RectWidth(LabelFont, "c ") + 8,
              WrapWidth.load());
}

// The limits of the text and the link table are the portable layout's (unit tests); here, that
// a link is measured over no more than the content buffer, and that nothing measures nothing.
TEST_F(StripLayout, ALinkIsMeasuredWithinTheContentBuffer) {
    std::string longText = std::string(kContentBufferSize + 100, '|');
    RecordLink(window, longText.c_str(), "http://far", 0);
    RecordLink(window, nullptr, nullptr, 0);
    ASSERT_EQ(2, LinkCount.load());
    LinkEntry e;
    ASSERT_TRUE(ReadLink(0, &e));
    EXPECT_EQ((Extent(LabelFont, " ") + Extent(ValueFont, " ")) * (kContentBufferSize / 2),
              e.rightEdge);
    ASSERT_TRUE(ReadLink(1, &e));
    EXPECT_EQ(0, e.rightEdge);
    EXPECT_STREQ("", e.url);
}

}  // namespace
