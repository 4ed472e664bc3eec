// Geometry of the ticker window's chrome: which part of the window a mouse event falls on,
// the rectangles that presses and drags track, and the strokes of a 3-D button frame. Plain
// numbers in, plain numbers out.
#pragma once
#include <cstdint>

#include "base/frame_strokes.h"

// The panel at the right end: a logo button, and left of it a search button (upper half) over
// an expand button (lower half). "Next Topic" sits at the left end of the strip.
enum class PanelPart { kLogo, kSearch, kExpand, kNextTopic, kStrip };

// x and y are the unsigned words of the event's lParam, so a point left of or above the window
// (while the mouse is captured) reads as a large number. panelRight is the right edge the
// panel is measured from (the docked width, or the screen width while expanded), height the
// client height. A press on the middle row (y = height / 2) of the small buttons takes the
// expand button, a release there the search button.
PanelPart PressedPart(uint16_t x, uint16_t y, int panelRight, int height);
PanelPart ReleasedPart(uint16_t x, uint16_t y, int panelRight, int height);

struct ChromeRect {
    int left, top, right, bottom;  // right and bottom exclusive
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// While the mouse is captured each button looks pressed exactly while the pointer is in its
// tracking rectangle (w x h is the client size).
ChromeRect TrackingRect(PanelPart part, int w, int h);

constexpr int kFrameStrokes = 4;
// The four strokes of a raised (up) or sunken frame from (x1, y1) to (x2, y2).
void ButtonFrameStrokes(int x1, int y1, int x2, int y2, bool up, FrameStroke out[kFrameStrokes]);
