#include "app/button_rules.h"

#include <gtest/gtest.h>

namespace {
constexpr int R = 341, h = 28;  // docked width and client height
using P = PanelPart;
}  // namespace

TEST(ButtonRegions, PressTakesTheFirstRegionThatHolds) {
    EXPECT_EQ(P::kLogo, PressedPart(R - 65, 3, R, h));
    EXPECT_EQ(P::kLogo, PressedPart(R - 1, 27, R, h));
    EXPECT_EQ(P::kSearch, PressedPart(R - 66, 13, R, h));  // logo starts one further right
    EXPECT_EQ(P::kExpand, PressedPart(R - 74, 14, R, h));  // the middle row: expand
    EXPECT_EQ(P::kSearch, PressedPart(R - 74, 0, R, h));
    EXPECT_EQ(P::kStrip, PressedPart(R - 75, 5, R, h));
    EXPECT_EQ(P::kNextTopic, PressedPart(8, 5, R, h));
    EXPECT_EQ(P::kStrip, PressedPart(9, 5, R, h));
}

TEST(ButtonRegions, ReleaseUsesItsOwnEdgesAndTheOtherMiddleRowRule) {
    EXPECT_EQ(P::kSearch, ReleasedPart(R - 65, 3, R, h));  // a press here is the logo
    EXPECT_EQ(P::kLogo, ReleasedPart(R - 64, 3, R, h));
    EXPECT_EQ(P::kSearch, ReleasedPart(R - 70, 14, R, h));  // the middle row: search
    EXPECT_EQ(P::kExpand, ReleasedPart(R - 70, 15, R, h));
    EXPECT_EQ(P::kStrip, ReleasedPart(R - 75, 20, R, h));
    EXPECT_EQ(P::kNextTopic, ReleasedPart(0, 5, R, h));
    EXPECT_EQ(P::kStrip, ReleasedPart(100, 5, R, h));
    // An odd height: h / 2 rounds down.
    EXPECT_EQ(P::kExpand, PressedPart(R - 70, 13, R, 27));
    EXPECT_EQ(P::kSearch, ReleasedPart(R - 70, 13, R, 27));
}

TEST(ButtonRegions, PointsLeftOfTheWindowReadAsLargeUnsignedWords) {
    // A captured release at x = -3 arrives as 65533: the logo region, beyond any client width.
    EXPECT_EQ(P::kLogo, ReleasedPart(static_cast<uint16_t>(-3), 5, R, h));
    EXPECT_EQ(P::kLogo, PressedPart(static_cast<uint16_t>(-3), 5, R, h));
    // The panel edge follows the width it is given (the screen width while expanded).
    EXPECT_EQ(P::kStrip, PressedPart(R - 1, 5, 1024, h));
    EXPECT_EQ(P::kLogo, PressedPart(1023, 5, 1024, h));
}

TEST(ButtonRegions, TrackingRectanglesSplitThePanelAtHalfHeight) {
    const int w = 341;
    ChromeRect logo = TrackingRect(P::kLogo, w, h);
    EXPECT_TRUE(logo.Contains(w - 66, 0));
    EXPECT_FALSE(logo.Contains(w, 0));
    ChromeRect search = TrackingRect(P::kSearch, w, h), expand = TrackingRect(P::kExpand, w, h);
    EXPECT_TRUE(search.Contains(w - 76, 13));
    EXPECT_FALSE(search.Contains(w - 76, 14));
    EXPECT_TRUE(expand.Contains(w - 67, 14));
    EXPECT_FALSE(expand.Contains(w - 66, 14));
    ChromeRect next = TrackingRect(P::kNextTopic, w, h);
    EXPECT_TRUE(next.Contains(9, 27));
    EXPECT_FALSE(next.Contains(10, 5));
    EXPECT_FALSE(next.Contains(-1, 5));
}
