// The strip fonts' sizes, from the ticker's client height.
#include "shell/font_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(StripFonts, SizesFollowTheClientHeight) {
    struct Case {
        int height;
        bool bold;
        int label, value, weight;
    };
    const Case cases[] = {
        {20, false, 15, 16, 400},
        {20, true, 15, 17, 700},
        {18, false, 13, 14, 400},
        {25, true, 18, 22, 700},  // three quarters, rounded down
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.label, LabelFontSize(c.height, c.bold).height) << c.height;
        EXPECT_EQ(c.value, ValueFontSize(c.height, c.bold).height) << c.height;
        EXPECT_EQ(c.weight, LabelFontSize(c.height, c.bold).weight) << c.height;
        EXPECT_EQ(c.weight, ValueFontSize(c.height, c.bold).weight) << c.height;
    }
}

}  // namespace
