#include "prefs/centring.h"

namespace {

int Place(int refStart, int refSize, int size, int screen) {
    int at = refStart + (refSize - size) / 2;
    if (at < 0)
        at = 0;
    else if (at + size > screen)
        at = screen - size;
    return at;
}

}  // namespace

WindowOrigin CentredOrigin(int width, int height, int refLeft, int refTop, int refWidth,
                           int refHeight, int screenWidth, int screenHeight) {
    return {Place(refLeft, refWidth, width, screenWidth),
            Place(refTop, refHeight, height, screenHeight)};
}
