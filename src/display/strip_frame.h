// One frame of the strip without the device context: where the frame may draw, where each
// segment goes, where drawing stops, and the one-pixel step that follows. The window thread
// runs it from the painter; it keeps PenX and PenY as the painter's running position.
#pragma once
#include <cstddef>
#include <cstdint>

#include "display/strip_text.h"

constexpr int32_t kLeftBorder = 9;
constexpr int32_t kClipInset = 1;
constexpr int32_t kStartMargin = 11;
constexpr int32_t kValueDrop = 3;  // values sit 3 pixels below labels

// The part of the window that a frame reaches (right and bottom exclusive) and where the text
// starts. Over the screen saver the left border and the start margin are 0.
struct FrameGeometry {
    int32_t clipLeft, clipTop, clipRight, clipBottom;
    int32_t margin;
};
// A window too small for any strip gets an empty clip, never a flipped one.
FrameGeometry FrameFor(int32_t width, int32_t height, bool overScreenSaver);

struct FrameDrawer {
    void* context;
    // Width of the piece in its font.
    int32_t (*measure)(void* context, const StripPiece& piece);
    // Draws the piece with the top left corner of its text at (x, y) of the frame.
    void (*draw)(void* context, const StripPiece& piece, int32_t x, int32_t y);
};

// Draws the segments of text (at most size bytes) from the start margin, shifted left by
// offset, up to the first segment that starts right of clientWidth. Segments left of the
// window are still measured and drawn so that PenX is right. Returns the segments drawn.
int WalkFrame(const char* text, size_t size, int32_t margin, int32_t offset, int32_t clientWidth,
              const FrameDrawer& drawer);

// Where the pixels of a frame can reach the screen, in frame x (right exclusive), and how far
// the ink of a piece can stray left and right of its cell.
struct FrameView {
    int32_t left, right;
    int32_t inkLeft, inkRight;
};

// WalkFrame over the segments of ruler's text: it leaves PenX and PenY as WalkFrame does and
// draws at the same places in the same order, but only the segments whose cell or ink can
// reach view; the others would only have drawn where nothing is shown. Measures only what the
// ruler has no width for yet, through drawer.measure as a PieceMeasure (batches, out of order).
// Returns the segments drawn.
int WalkVisibleFrame(StripRuler& ruler, int32_t margin, int32_t offset, int32_t clientWidth,
                     const FrameView& view, const FrameDrawer& drawer);

// Moves ScrollOffset one pixel in the direction of ScrollForward, wrapping within WrapWidth.
// A hand-over on the worker that resets the offset meanwhile is not undone.
void AdvanceScroll();
