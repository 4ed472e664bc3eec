// The hand-over between the feed worker and the window thread: the strip text copy that a
// hand-over refuses, the link table's reads, and both under a writer on another thread.
#include "feed/content_model.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <thread>

#include "base/text.h"

namespace {

void PutDisplayText(const char* text) {
    BeginDisplayUpdate();
    CopyText(DisplayText, text);
    EndDisplayUpdate();
}

TEST(DisplayCopy, RefusedWhileAHandOverRuns) {
    PutDisplayText("IBM|+1|");
    char copy[32];
    ASSERT_TRUE(CopyDisplayText(copy, sizeof copy));
    EXPECT_STREQ("IBM|+1|", copy);
    char small[4];
    ASSERT_TRUE(CopyDisplayText(small, sizeof small));
    EXPECT_STREQ("IBM", small);
    EXPECT_FALSE(CopyDisplayText(copy, 0));

    BeginDisplayUpdate();
    EXPECT_FALSE(CopyDisplayText(copy, sizeof copy));
    // A mouse click clears DisplayUpdating early: the odd generation still refuses the copy.
    DisplayUpdating = 0;
    EXPECT_FALSE(CopyDisplayText(copy, sizeof copy));
    EndDisplayUpdate();
    EXPECT_TRUE(CopyDisplayText(copy, sizeof copy));
}

void FillLinks(std::initializer_list<int32_t> edges) {
    ClearLinks();
    int n = 0;
    for (int32_t edge : edges) {
        char url[32];
        std::snprintf(url, sizeof url, "http://x/%d", n++);
        AppendLink(edge, url, 0);
    }
}

TEST(LinkTable, ReadsStayBelowTheCountAndFindLinkAtComparesUnsigned) {
    FillLinks({100, 200});
    LinkEntry e;
    EXPECT_TRUE(ReadLink(1, &e));
    EXPECT_FALSE(ReadLink(2, &e));
    EXPECT_FALSE(ReadLink(-1, &e));
    EXPECT_EQ(0, FindLinkAt(99, &e));
    EXPECT_EQ(1, FindLinkAt(100, &e));  // an item's right edge belongs to the next one
    EXPECT_STREQ("http://x/1", e.url);
    EXPECT_EQ(-1, FindLinkAt(200, &e));
    EXPECT_EQ(-1, FindLinkAt(static_cast<uint32_t>(-5), &e));  // left of the strip
    // Past the scroll period the copies repeat the items; the gap before them opens nothing.
    WrapWidth = 208;
    for (uint32_t period : {1u, 2u}) EXPECT_EQ(1, FindLinkAt(period * 208 + 150, &e));
    EXPECT_EQ(-1, FindLinkAt(204, &e));
    WrapWidth = 0;
    // An edge past 2^31 reads as negative, and as larger than any position.
    FillLinks({100, -7});
    EXPECT_EQ(1, FindLinkAt(5000, &e));
    EXPECT_EQ(1, FindLinkAt(0xFFFFFFF0u, &e));
    FillLinks({100, 200, 300});
    DropLinksPast(250);
    EXPECT_EQ(2, LinkCount.load());
    // The table keeps its first 200 links, each address cut to its field.
    for (int i = 0; i < kLinkTableSize; ++i) AppendLink(400, std::string(999, 'u').c_str(), 0);
    EXPECT_EQ(kLinkTableSize, LinkCount.load());
    ASSERT_TRUE(ReadLink(kLinkTableSize - 1, &e));
    EXPECT_EQ(std::string(kLinkUrlSize - 1, 'u'), e.url);
    ClearLinks();
    EXPECT_FALSE(ReadLink(0, &e));
}

// A writer hands over texts and link tables as fast as it can while a reader copies the text
// and looks links up. Every text is one letter repeated to a length of its own, and every link
// names its edge, so a torn text or a mixed-up entry shows. Bounded in time, not in rounds.
// Meanwhile the symbols page publishes one of two lists, and the worker's copy of the settings
// holds one or the other, never a mix.
TEST(HandOver, AReaderNeverSeesATornTextOrAWrongLink) {
    std::atomic<bool> stop{false}, started{false};
    const std::string lists[2] = {std::string(259, 'A'), std::string(259, 'B')};
    SetSettingText(TickerSettings.stockSymbols, lists[0].c_str());
    std::thread writer([&] {
        char text[4096], url[kLinkUrlSize];
        for (unsigned round = 0; !stop; ++round, started = true) {
            SetSettingText(TickerSettings.stockSymbols, lists[round & 1].c_str());
            if (round % 8 == 0) {
                const size_t length = 100 + (round * 997) % 3900;
                std::memset(text, 'a' + round / 8 % 26, length);
                text[length] = 0;
                PutDisplayText(text);
            }
            ClearLinks();
            for (int i = 0; i < 1 + int(round % 40); ++i) {
                const int32_t edge = i * 2500 + int32_t(round % 1000) + 1;
                std::snprintf(url, sizeof url, "http://x/%d/%u/%0*d", edge, round & 1,
                              int(round % 150), 0);
                AppendLink(edge, url, round & 1);
            }
        }
    });
    int copies = 0, lookups = 0, found = 0, badTexts = 0, badLinks = 0, badLists = 0;
    static char copy[kDisplayTextSize];
    while (!started) std::this_thread::yield();
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    while (std::chrono::steady_clock::now() < end) {
        if (lookups % 8 == 0 && CopyDisplayText(copy, sizeof copy)) {
            ++copies;
            const size_t length = std::strlen(copy);
            if (length < 100 || std::strspn(copy, std::string(1, copy[0]).c_str()) != length)
                ++badTexts;
        }
        const std::string symbols = SnapshotSettings().stockSymbols;
        badLists += symbols != lists[0] && symbols != lists[1];
        LinkEntry e;
        const uint32_t position = uint32_t(++lookups * 7919) % 100000;
        if (FindLinkAt(position, &e) >= 0) {
            ++found;
            int edge = -1;
            unsigned topic = 2;
            std::sscanf(e.url, "http://x/%d/%u/", &edge, &topic);
            if (edge != e.rightEdge || topic != e.topicStart || uint32_t(edge) <= position)
                ++badLinks;
        }
    }
    stop = true;
    writer.join();
    ClearLinks();
    EXPECT_EQ(0, badTexts) << "of " << copies << " copies";
    EXPECT_EQ(0, badLinks) << "of " << found << " links found";
    EXPECT_EQ(0, badLists) << "of " << lookups << " copies of the settings";
    EXPECT_GT(copies, 0);
    EXPECT_GT(found, 0);
}

}  // namespace
