// Where a window goes when it is centred on another one: the middle of the reference window,
// kept on the screen. Plain numbers, so the rule can be tested without windows.
#pragma once

struct WindowOrigin {
    int x, y;
};

// The window is width x height; the reference window's outer rectangle starts at (refLeft,
// refTop) and is refWidth x refHeight; the screen is screenWidth x screenHeight pixels.
// Each half is a signed division that rounds toward zero. An origin left of or above the
// screen becomes 0; one that would push the window past the right or bottom edge is moved
// back so the window ends there. A window larger than the screen therefore ends up at the
// left or top edge.
WindowOrigin CentredOrigin(int width, int height, int refLeft, int refTop, int refWidth,
                           int refHeight, int screenWidth, int screenHeight);
