// Centring a dialog on another window, kept on the screen.
#include "prefs/centring.h"

#include <gtest/gtest.h>

namespace {

struct CentringCase {
    const char* what;
    int width, height;                         // the window
    int refLeft, refTop, refWidth, refHeight;  // the reference window
    int screenWidth, screenHeight;
    int x, y;
};

const CentringCase kCases[] = {
    {"on the desktop", 300, 200, 0, 0, 640, 480, 640, 480, 170, 140},
    {"odd halves round toward zero", 301, 201, 0, 0, 640, 480, 640, 480, 169, 139},
    {"on a window", 100, 50, 200, 100, 300, 200, 1024, 768, 300, 175},
    {"larger than the screen", 800, 600, 0, 0, 640, 480, 640, 480, 0, 0},
    {"reference off the left and top", 200, 100, -300, -200, 100, 100, 640, 480, 0, 0},
    {"reference past the right and bottom", 200, 100, 600, 440, 100, 100, 640, 480, 440, 380},
    {"a negative half rounds toward zero", 101, 101, 50, 50, 100, 100, 640, 480, 50, 50},
};

TEST(Centring, WindowLandsInTheMiddleAndStaysOnTheScreen) {
    for (const CentringCase& c : kCases) {
        WindowOrigin at = CentredOrigin(c.width, c.height, c.refLeft, c.refTop, c.refWidth,
                                        c.refHeight, c.screenWidth, c.screenHeight);
        EXPECT_EQ(c.x, at.x) << c.what;
        EXPECT_EQ(c.y, at.y) << c.what;
    }
}

}  // namespace
