// The "Next Topic" jump and drag scrolling: where the strip stands afterwards.
#include "display/scroll_rules.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

// Five items ending at 100..500; topics open at items 0, 2 and 4 (strip x 0, 200 and 400).
const TopicLink kLinks[] = {{100, 1}, {200, 0}, {300, 1}, {400, 0}, {500, 1}};
constexpr bool kForward = true, kReversed = false;
constexpr uint16_t kAhead = 8, kBehind = 6, kCounter = 7;  // request numbers against the counter

// What, links used (from the first), offset, direction, request number, counter: the offset after.
const std::tuple<const char*, int, int32_t, bool, uint16_t, uint16_t, int32_t> kJumps[] = {
    {"next topic, 3 pixels early", 5, 50, kForward, kAhead, kCounter, 197},
    {"past the last topic: wrap to 0", 5, 450, kForward, kAhead, kCounter, 0},
    {"offset beyond every item counts as the first", 5, 600, kForward, kAhead, kCounter, 197},
    {"no links: no move", 0, 42, kForward, kAhead, kCounter, 42},
    {"one link: wrap to 0", 1, 42, kForward, kAhead, kCounter, 0},
    {"reversed: looks one item further", 5, 150, kReversed, kAhead, kCounter, 397},
    {"reversed, run off the end: the first item's end", 5, 350, kReversed, kAhead, kCounter, 100},
    // Reversed, the search over the last item starts past the end: it wraps all the same.
    {"reversed over the last item", 5, 450, kReversed, kAhead, kCounter, 100},
    {"backwards: the topic before", 5, 450, kForward, kBehind, kCounter, 200},
    {"backwards from a topic's first item", 5, 250, kForward, kBehind, kCounter, 0},
    {"backwards from the first item: the last topic", 5, 50, kForward, kBehind, kCounter, 400},
    {"backwards, reversed, from the first item", 5, 50, kReversed, kBehind, kCounter, 100},
    {"an equal request goes backwards", 5, 450, kForward, kCounter, kCounter, 200},
    // The request number wraps in 16 bits, and a wrapped request reads as going backwards.
    {"wrapped request number", 5, 50, kForward, 0, 65535, 400},
};

TEST(TopicJump, WhereTheStripLands) {
    for (auto [what, count, offset, forward, requested, counter, expected] : kJumps)
        EXPECT_EQ(expected, TopicJumpOffset(kLinks, count, offset, forward, requested, counter))
            << what;
}

constexpr int32_t kWrap = 1000;

// What, anchor, pointer x, offset, direction: the offset and direction after.
const std::tuple<const char*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t> kDrags[] = {
    {"first event only anchors", 0, 300, 50, 1, 50, 1},
    {"left by 3: scrolls, direction kept", 300, 297, 50, 0, 53, 0},
    {"left by 4: forward", 300, 296, 50, 0, 54, 1},
    {"right by 3: scrolls back, direction kept", 300, 303, 50, 1, 47, 1},
    {"right by 4: reversed", 300, 304, 50, 1, 46, 0},
    {"past the period wraps", 300, 280, 990, 1, 10, 1},
    {"below 0 wraps", 300, 320, 5, 1, 985, 0},
};

TEST(DragScroll, ThreePixelThresholdAndWrap) {
    for (auto [what, anchor, x, offset, forward, offsetAfter, forwardAfter] : kDrags) {
        DragState drag{anchor};
        DragResult r = DragTo(drag, x, offset, forward, kWrap);
        EXPECT_EQ(offsetAfter, r.offset) << what;
        EXPECT_EQ(forwardAfter, r.scrollForward) << what;
        EXPECT_EQ(x, drag.anchor) << what;  // the next event measures from here
    }
}

TEST(DragScroll, ADragAtXZeroLosesItsAnchor) {
    // x = 0 is also the "no drag yet" mark, so the event after it only anchors again.
    DragState drag{0};
    DragTo(drag, 0, 50, 1, kWrap);
    EXPECT_EQ(50, DragTo(drag, 20, 50, 1, kWrap).offset);
    EXPECT_EQ(60, DragTo(drag, 10, 50, 1, kWrap).offset);
}

}  // namespace
