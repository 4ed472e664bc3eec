// Drawing 3-D frames. Window thread of whoever paints.
#pragma once
#include <windows.h>

#include "base/frame_strokes.h"

// Draws the strokes in order with pens of the system's button colours (made for the call and
// deleted after it) and black; the context's pen is left as it was.
void DrawFrameStrokes(HDC dc, const FrameStroke* strokes, int count);
