// Link positions and the scroll period measured with real GDI fonts: checked against widths
// measured here on their own, and against the straightforward layout that measures everything
// again (replies parsed link by link give the same link table, and DisplayText is extended to
// the same bytes with the same WrapWidth, also when the fonts are made again between refreshes
// or one of them is missing).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "display/strip_win.h"
#include "feed/content_model.h"
#include "feed/reply_parser.h"
#include "gdi_objects_win.h"
#include "patch_import_win.h"
#include "shell/strip_fonts_win.h"
#include "strip_reference_win.h"

namespace {

// A reply as the portal writes it: quotes, topics of headlines, weather; each item with a link.
std::string MakeReply(std::mt19937& random, int items) {
    auto below = [&](int n) { return int(random() % uint32_t(n)); };
    auto words = [&](int n) {
        static const char* kWords[] = {"Budget", "Talks", "Resume", "as",     "Lawmakers",
                                       "Eye",    "jolly", "Ice",    "Storm",  "Leaves",
                                       "fjord",  "W.",    "&amp;",  "\x95",   "Quarterly",
                                       "Power",  "Fog",   "y'all",  "Office", "&quot;x&quot;"};
        std::string s;
        for (int i = 0; i < n; ++i) s += std::string(i ? " " : "") + kWords[below(20)];
        return s;
    };
    std::string r;
    int item = 0;
    r += "\x0eqt";
    for (; item < items / 4; ++item) {
        r += "\x05"
             "1\x0b";
        r += char('A' + below(26));
        r += char('A' + below(26));
        r += "\x05"
             "2\x0b";
        r += std::to_string(below(300)) + " " + "0+-"[below(3)] + std::to_string(below(4)) + "/8";
        r += "\x0b\x0dhttp://quote.tamzo.example/q?s=X" + std::to_string(item) + "\x0d";
    }
    static const char* kTopics[] = {"rt", "rw", "rb", "rp", "rc", "rs", "re"};
    while (item < items) {
        r += std::string("\x0e") + kTopics[below(7)];
        r += "\x05"
             "1\x0b";
        r += words(1) + ":";
        r += "\x05"
             "2";
        for (int n = 1 + below(12); n && item < items; --n, ++item) {
            r += "\x0b" + words(2 + below(12)) + "\x0b";
            r += "\x0dmy.tamzo.example/news/rt/" + std::to_string(item) + ".html\x0d";
        }
    }
    r += "\x0ewt\x05"
         "1\x0bWeather:\x05"
         "2\x0bJFK 45F Cloudy   \x0b\x0dmy.tamzo.example/weather/JFK.html\x0d";
    return r;
}

struct Table {
    std::vector<int32_t> edges;
    std::vector<std::string> urls;
    std::vector<uint32_t> topics;
    bool operator==(const Table& o) const {
        return edges == o.edges && urls == o.urls && topics == o.topics;
    }
};

Table ReadTable() {
    Table t;
    LinkEntry e;
    for (int i = 0; ReadLink(i, &e); ++i) {
        t.edges.push_back(e.rightEdge);
        t.urls.push_back(e.url);
        t.topics.push_back(e.topicStart);
    }
    return t;
}

class StripLayout : public testing::Test {
  protected:
    static HWND window;
    static HWND tall;  // a hidden window whose height makes larger fonts

    static void SetUpTestSuite() {
        // A window of the docked ticker's height: the fonts follow its client height.
        window = gdi_test::TestWindow("StripLayoutTest", 0, 0, 600, 24);
        tall = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 600, 33, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
        CreateStripFonts(window);
    }
    static void TearDownTestSuite() {
        DeleteStripFonts();
        DestroyWindow(tall);
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
        CreateStripFonts(window);
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

    // Parses reply as the worker does, links measured by record; then hands the text over.
    template <class Record, class Extend>
    static void Refresh(const std::string& reply, Record record, Extend extend, Table* table,
                        std::vector<char>* display, int32_t* wrap) {
        ClearLinks();
        std::vector<char> content(kContentBufferSize, 0);
        struct Sink {
            Record record;
            HWND window;
        } sink{record, window};
        const size_t length =
            ParseReply(reply.c_str(), content.data(), content.size(),
                       LinkSink{[](void* c, const char* text, const char* url, uint32_t topic) {
                                    Sink& s = *static_cast<Sink*>(c);
                                    if (LinkCount.load() >= kLinkTableSize) return;
                                    s.record(s.window, text, url, topic);
                                },
                                &sink});
        std::strcat(content.data() + length, "  ");
        std::memset(DisplayText, 0, sizeof DisplayText);
        std::memcpy(DisplayText, content.data(), length + 2);
        extend(window);
        *table = ReadTable();
        display->assign(DisplayText, DisplayText + sizeof DisplayText);
        *wrap = WrapWidth;
    }

    static void ExpectSameRefresh(const std::string& reply, const std::string& where) {
        Table fastTable, referenceTable;
        std::vector<char> fastText, referenceText;
        int32_t fastWrap = 0, referenceWrap = 0;
        Refresh(reply, RecordLink, MeasureAndExtendDisplay, &fastTable, &fastText, &fastWrap);
        Refresh(reply, strip_reference::RecordLink, strip_reference::MeasureAndExtendDisplay,
                &referenceTable, &referenceText, &referenceWrap);
        EXPECT_GT(referenceTable.edges.size(), 0u) << where;
        EXPECT_TRUE(referenceTable == fastTable) << where;
        EXPECT_EQ(referenceWrap, fastWrap) << where;
        EXPECT_TRUE(referenceText == fastText) << where;
    }
};
HWND StripLayout::window;
HWND StripLayout::tall;

HDC WINAPI NoContext(HWND) { return nullptr; }

// A link ends after its label and value with their spaces. When the system has no window
// context to give, a window new to the layout is measured in a memory context: what the layout
// keeps is real, then and in the calls after.
TEST_F(StripLayout, WrapWidthIsTheSegmentsMeasuredAsRectanglesPlusEight) {
    const int32_t wrap =
        RectWidth(LabelFont, "a ") + RectWidth(ValueFont, "b&c ") + RectWidth(LabelFont, "c ") + 8;
    for (int step : {0, 1, 2}) {  // the window's context, none, the window's context again
        void* getDC = step != 1
                          ? nullptr
                          : PatchImport("user32.dll", "GetDC", reinterpret_cast<void*>(NoContext));
        RecordLink(tall, "IBM|+1 1/2|MSFT|-3|", "http://quote/MSFT", 0);
        PutDisplayText("a|b&c|c|");
        MeasureAndExtendDisplay(step == 0 ? window : tall);
        if (getDC) PatchImport("user32.dll", "GetDC", getDC);
        EXPECT_EQ(wrap, WrapWidth.load()) << step;
        EXPECT_EQ(Extent(LabelFont, "IBM ") + Extent(ValueFont, "1 1/2 ") +
                      Extent(LabelFont, "MSFT ") + Extent(ValueFont, "3 "),
                  ReadTable().edges.back());
    }
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

TEST_F(StripLayout, RepliesGiveTheSameLinksTextAndScrollPeriod) {
    std::mt19937 random(5);
    for (int round = 0; round < 24; ++round) {
        const int items = round % 6 == 5 ? 260 : 5 + int(random() % 60);
        ExpectSameRefresh(MakeReply(random, items), "round " + std::to_string(round));
    }
}

TEST_F(StripLayout, TheSameReplyAgainAndNewFontsBetweenRefreshes) {
    std::mt19937 random(6);
    const std::string reply = MakeReply(random, 80);
    ExpectSameRefresh(reply, "first");
    ExpectSameRefresh(reply, "again");
    CreateStripFonts(tall);
    ExpectSameRefresh(reply, "larger fonts");
    CreateStripFonts(window);
    ExpectSameRefresh(reply, "fonts made again");
    ExpectSameRefresh(MakeReply(random, 30), "another reply");
}

// Texts chosen so that the font the whole text is measured in decides how many copies are
// appended: values far wider than labels, an odd and an even number of segments.
TEST_F(StripLayout, DisplayTextsOfEveryShapeAreExtendedAlike) {
    std::mt19937 random(8);
    auto below = [&](int n) { return int(random() % uint32_t(n)); };
    for (int round = 0; round < 60; ++round) {
        std::string text;
        const int segments = below(6) == 0 ? below(3) : below(40);
        for (int i = 0; i < segments; ++i) {
            if (below(3) == 0) text += "+";
            text += std::string(below(30), i % 2 ? 'W' : 'i') + (below(4) ? "|" : "&|");
        }
        if (below(2)) text += "  ";
        if (round % 10 == 9) text = std::string(kDisplayTextSize - 5 + below(10), "|x"[below(2)]);
        PutDisplayText(text);
        MeasureAndExtendDisplay(window);
        const std::vector<char> fast(DisplayText, DisplayText + sizeof DisplayText);
        const int32_t fastWrap = WrapWidth;

        PutDisplayText(text);
        strip_reference::MeasureAndExtendDisplay(window);
        EXPECT_EQ(WrapWidth.load(), fastWrap) << "round " << round;
        EXPECT_TRUE(std::vector<char>(DisplayText, DisplayText + sizeof DisplayText) == fast)
            << "round " << round;
    }
}

TEST_F(StripLayout, LinksOfTextsThatDoNotGrowAndOfNoText) {
    const char* texts[] = {"IBM|+1 1/2|", "IBM|+1 1/2|MSFT|-3|", "A|B|", "IBM|",
                           nullptr,       "IBM|+1 1/2|MSFT|-3|", "||||", ""};
    for (auto record : {RecordLink, strip_reference::RecordLink}) {
        for (const char* text : texts) record(window, text, "http://x", 0);
    }
    Table t = ReadTable();
    ASSERT_EQ(16u, t.edges.size());
    for (size_t i = 0; i < 8; ++i) EXPECT_EQ(t.edges[i + 8], t.edges[i]) << i;
}

}  // namespace
