#include "app/embed_rules.h"
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <tuple>

TEST(EmbedRules, TaskbarMustSpanTheScreenWidth) {
    EXPECT_TRUE(TaskbarSpansScreen(0, 1024, 1024));     // bottom or top
    EXPECT_TRUE(TaskbarSpansScreen(-2, 1026, 1024));    // edges hidden off screen
    EXPECT_FALSE(TaskbarSpansScreen(0, 60, 1024));      // docked left
    EXPECT_FALSE(TaskbarSpansScreen(964, 1024, 1024));  // docked right
}

TEST(EmbedRules, ReserveLoopFollowsTheShellOrEstimatesWhileItHasNotWidenedYet) {
    // Each icon widens the area by 16 at once, or not at all while we look: then each counts
    // as 24 - 4 = 20 pixels. 21 icons make 336, the 22nd reaches 352; or 18 icons make 360.
    for (auto [step, icons, grown] : {std::tuple{16, 22, 352}, {0, 18, 360}}) {
        ReserveLoop loop = BeginReserveLoop(64);
        int added = 0, now = 0;
        do now = GrownAfterIcon(loop, 64 + step * ++added, 24);
        while (NeedsMoreIcons(now, 341) && added < 100);
        EXPECT_EQ(icons, added);
        EXPECT_EQ(grown, now);
    }
    EXPECT_EQ(349, TickerWidthFor(352));
}

TEST(EmbedRules, AShrinkingAreaEndsTheLoopAndIsRefused) {
    ReserveLoop loop = BeginReserveLoop(100);
    int grown = GrownAfterIcon(loop, 90, 24);
    EXPECT_FALSE(NeedsMoreIcons(grown, 341));
    EXPECT_FALSE(AcceptReserve(grown, 341));
}

TEST(EmbedRules, AShortReserveIsKeptOnlyWithAUsableStrip) {
    EXPECT_TRUE(AcceptReserve(352, 341));   // target reached
    EXPECT_TRUE(AcceptReserve(200, 341));   // short, but 197 pixels leave a strip
    EXPECT_FALSE(AcceptReserve(150, 341));  // short and too narrow
    EXPECT_TRUE(AcceptReserve(110, 106));   // a small screen's target, reached
}

TEST(EmbedRules, DockedTickerStaysLeftOfTheClockAndFollowsGrowth) {
    // Baseline 420, ticker 349, clock 60: x = 11.
    EXPECT_EQ(11, DockedX(420, 420, 349, 60));
    // A 20-pixel icon added later: the area grows, the ticker keeps its x within it, so on
    // the screen (the area is anchored at the right) it moves 20 pixels left.
    EXPECT_EQ(11, DockedX(440, 420, 349, 60));
    // An icon that was there before start-up goes away: no growth, still left of the clock.
    EXPECT_EQ(400 - 349 - 60, DockedX(400, 420, 349, 60));
}
