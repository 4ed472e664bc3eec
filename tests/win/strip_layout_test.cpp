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
#include <tuple>
#include <vector>

#include "display/strip_win.h"
#include "feed/content_model.h"
#include "feed/reply_parser.h"
#include "gdi_objects_win.h"
#include "patch_import_win.h"
#include "shell/strip_fonts_win.h"
#include "strip_reference_win.h"

namespace {

using RecordFn = void (*)(HWND, const char*, const char*, uint32_t);
using ExtendFn = void (*)(HWND);

// A reply as the portal writes it: quotes, topics of headlines, weather; each item with a link.
// (\0051 and \0052 open a group's label and its values, \013 a field, \015 a link.)
std::string MakeReply(std::mt19937& random, int items) {
    auto below = [&](int n) { return int(random() % uint32_t(n)); };
    auto words = [&](int n) {
        static const char* kWords[] = {"Budget", "Talks", "jolly", "Ice",   "fjord",
                                       "W.",     "&amp;", "\x95",  "y'all", "&quot;x&quot;"};
        std::string s = kWords[below(10)];
        while (--n > 0) s += std::string(" ") + kWords[below(10)];
        return s;
    };
    std::string r = "\016qt";
    int item = 0;
    for (; item < items / 4; ++item)
        r += "\0051\013" + std::string{char('A' + below(26)), char('A' + below(26))} + "\0052\013" +
             std::to_string(below(300)) + " " + "0+-"[below(3)] + std::to_string(below(4)) +
             "/8\013\015http://quote.tamzo.example/q?s=X" + std::to_string(item) + "\015";
    static const char* kTopics[] = {"rt", "rw", "rb", "rp", "rc", "rs", "re"};
    while (item < items) {
        r += std::string("\016") + kTopics[below(7)] + "\0051\013" + words(1) + ":\0052";
        for (int n = 1 + below(12); n && item < items; --n, ++item)
            r += "\013" + words(2 + below(12)) + "\013\015my.tamzo.example/news/rt/" +
                 std::to_string(item) + ".html\015";
    }
    return r +
           "\016wt\0051\013Weather:\0052\013JFK 45F Cloudy   \013\015my.tamzo.example/w.html\015";
}

using Table = std::vector<std::tuple<int32_t, std::string, uint32_t>>;

Table ReadTable() {
    Table t;
    LinkEntry e;
    for (int i = 0; ReadLink(i, &e); ++i) t.emplace_back(e.rightEdge, e.url, e.topicStart);
    return t;
}

class StripLayout : public testing::Test {
  protected:
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
    void SetUp() override { ClearLinks(); }
    void TearDown() override {
        ClearLinks();
        DisplayText[0] = 0;
        WrapWidth = 0;
        CreateStripFonts(window);
    }

    // The width of s in font, as one extent or (asRectangle) as the rectangle DrawText takes.
    static int Width(HFONT font, const std::string& s, bool asRectangle = false) {
        HDC dc = GetDC(window);
        HGDIOBJ old = SelectObject(dc, font);
        SIZE size{0, 0};
        RECT rc{0, 0, 0, 0};
        if (asRectangle)
            DrawTextA(dc, s.data(), int(s.size()), &rc, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        GetTextExtentPoint32A(dc, s.data(), int(s.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(window, dc);
        return asRectangle ? rc.right : size.cx;
    }

    // DisplayText made s and extended: what it then holds, and WrapWidth.
    static std::pair<std::vector<char>, int32_t> Extend(const std::string& s, ExtendFn extend) {
        std::memset(DisplayText, 0, sizeof DisplayText);
        std::memcpy(DisplayText, s.data(), std::min(s.size(), sizeof DisplayText));
        extend(window);
        return {std::vector<char>(DisplayText, DisplayText + sizeof DisplayText), WrapWidth};
    }

    // Parses reply as the worker does, links measured by record; then hands the text over.
    static std::pair<Table, std::pair<std::vector<char>, int32_t>>
    Refresh(const std::string& reply, RecordFn record, ExtendFn extend) {
        ClearLinks();
        std::vector<char> content(kContentBufferSize, 0);
        const size_t length =
            ParseReply(reply.c_str(), content.data(), content.size(),
                       LinkSink{[](void* r, const char* text, const char* url, uint32_t topic) {
                                    if (LinkCount.load() < kLinkTableSize)
                                        (*static_cast<RecordFn*>(r))(window, text, url, topic);
                                },
                                &record});
        const auto text = Extend(std::string(content.data(), length) + "  ", extend);
        return {ReadTable(), text};
    }

    static void ExpectSameRefresh(const std::string& reply, const std::string& where) {
        const auto plain =
            Refresh(reply, strip_reference::RecordLink, strip_reference::MeasureAndExtendDisplay);
        EXPECT_FALSE(plain.first.empty()) << where;
        EXPECT_TRUE(plain == Refresh(reply, RecordLink, MeasureAndExtendDisplay)) << where;
    }

    static inline HWND window, tall;  // tall: a hidden window whose height makes larger fonts
};

HDC WINAPI NoContext(HWND) { return nullptr; }

// A link ends after its label and value with their spaces. When the system has no window
// context to give, a window new to the layout is measured in a memory context: what the layout
// keeps is real, then and in the calls after.
TEST_F(StripLayout, WrapWidthIsTheSegmentsMeasuredAsRectanglesPlusEight) {
    const int32_t wrap = Width(LabelFont, "a ", true) + Width(ValueFont, "b&c ", true) +
                         Width(LabelFont, "c ", true) + 8;
    for (int step : {0, 1, 2}) {  // the window's context, none, the window's context again
        void* getDC = step != 1
                          ? nullptr
                          : PatchImport("user32.dll", "GetDC", reinterpret_cast<void*>(NoContext));
        RecordLink(tall, "IBM|+1 1/2|MSFT|-3|", "http://quote/MSFT", 0);
        const int32_t extended = Extend("a|b&c|c|", MeasureAndExtendDisplay).second;
        if (getDC) PatchImport("user32.dll", "GetDC", getDC);
        EXPECT_EQ(wrap, extended) << step;
        EXPECT_EQ(Width(LabelFont, "IBM ") + Width(ValueFont, "1 1/2 ") +
                      Width(LabelFont, "MSFT ") + Width(ValueFont, "3 "),
                  std::get<0>(ReadTable().back()));
    }
}

// The limits of the text and the link table are the portable layout's (unit tests); here, that
// a link is measured over no more than the content buffer, and that nothing measures nothing.
TEST_F(StripLayout, ALinkIsMeasuredWithinTheContentBuffer) {
    std::string longText = std::string(kContentBufferSize + 100, '|');
    RecordLink(window, longText.c_str(), "http://far", 0);
    RecordLink(window, nullptr, nullptr, 0);
    const int32_t bar = Width(LabelFont, " ") + Width(ValueFont, " ");
    EXPECT_EQ((Table{{bar * (kContentBufferSize / 2), "http://far", 0}, {0, "", 0}}), ReadTable());
}

// Random replies, the same reply again, and new fonts between refreshes.
TEST_F(StripLayout, RepliesGiveTheSameLinksTextAndScrollPeriod) {
    std::mt19937 random(5);
    for (int round = 0; round < 24; ++round)
        ExpectSameRefresh(MakeReply(random, round % 6 == 5 ? 260 : 5 + int(random() % 60)),
                          "round " + std::to_string(round));
    const std::string reply = MakeReply(random, 80);
    ExpectSameRefresh(reply, "first");
    ExpectSameRefresh(reply, "again");
    CreateStripFonts(tall);
    ExpectSameRefresh(reply, "larger fonts");
    CreateStripFonts(window);
    ExpectSameRefresh(reply, "fonts made again");
}

// Texts chosen so that the font the whole text is measured in decides how many copies are
// appended: values far wider than labels, an odd and an even number of segments.
TEST_F(StripLayout, DisplayTextsOfEveryShapeAreExtendedAlike) {
    std::mt19937 random(8);
    auto below = [&](int n) { return int(random() % uint32_t(n)); };
    for (int round = 0; round < 60; ++round) {
        std::string text;
        for (int i = 0, segments = below(6) == 0 ? below(3) : below(40); i < segments; ++i)
            text += (below(3) ? "" : "+") + std::string(below(30), i % 2 ? 'W' : 'i') +
                    (below(4) ? "|" : "&|");
        if (below(2)) text += "  ";
        if (round % 10 == 9) text = std::string(kDisplayTextSize - 5 + below(10), "|x"[below(2)]);
        EXPECT_TRUE(Extend(text, MeasureAndExtendDisplay) ==
                    Extend(text, strip_reference::MeasureAndExtendDisplay))
            << "round " << round;
    }
}

TEST_F(StripLayout, LinksOfTextsThatDoNotGrowAndOfNoText) {
    const char* texts[] = {"IBM|+1 1/2|", "IBM|+1 1/2|MSFT|-3|", "A|B|", "IBM|",
                           nullptr,       "IBM|+1 1/2|MSFT|-3|", "||||", ""};
    for (auto record : {RecordLink, strip_reference::RecordLink})
        for (const char* text : texts) record(window, text, "http://x", 0);
    const Table t = ReadTable();
    ASSERT_EQ(16u, t.size());
    for (size_t i = 0; i < 8; ++i) EXPECT_EQ(std::get<0>(t[i + 8]), std::get<0>(t[i])) << i;
}

}  // namespace
