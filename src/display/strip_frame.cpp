// Frame geometry, the painter's walk and the scroll step. Window thread only.
#include "display/strip_frame.h"

#include <algorithm>

#include "app/scroll_rules.h"
#include "feed/content_model.h"

FrameGeometry FrameFor(int32_t width, int32_t height, bool overScreenSaver) {
    const int32_t border = overScreenSaver ? 0 : kLeftBorder;
    FrameGeometry g;
    g.clipLeft = border + kClipInset;
    g.clipTop = kClipInset;
    g.clipRight = std::max(g.clipLeft, width - kButtonReserve - kClipInset);
    g.clipBottom = std::max(g.clipTop, height - kClipInset);
    g.margin = overScreenSaver ? 0 : kStartMargin;
    return g;
}

namespace {

struct FrameWalk {
    const FrameDrawer* drawer;
    int32_t offset;
    int32_t clientWidth;
    int drawn;
};

// Strip x to frame x, kept within int range for the far ends of a very long strip.
int32_t FrameX(int32_t stripX, int32_t offset) {
    const int64_t x = static_cast<int64_t>(stripX) - offset;
    return static_cast<int32_t>(std::clamp<int64_t>(x, -kStripXLimit, kStripXLimit));
}

bool StartsInWindow(void* context, const StripPiece& piece) {
    const FrameWalk& walk = *static_cast<FrameWalk*>(context);
    return static_cast<int64_t>(piece.x) - walk.offset <= walk.clientWidth;
}

int32_t MeasurePiece(void* context, const StripPiece& piece) {
    const FrameDrawer& drawer = *static_cast<FrameWalk*>(context)->drawer;
    return drawer.measure(drawer.context, piece);
}

void DrawPiece(void* context, const StripPiece& piece, int32_t width) {
    FrameWalk& walk = *static_cast<FrameWalk*>(context);
    const int32_t y = piece.value ? kValueDrop : 0;
    walk.drawer->draw(walk.drawer->context, piece, FrameX(piece.x, walk.offset), y);
    ++walk.drawn;
    PenX = static_cast<int32_t>(std::min<int64_t>(int64_t{piece.x} + width, kStripXLimit));
    PenY = piece.value ? 0 : kValueDrop; // what the next segment is: a label after a value
}

} // namespace

int WalkFrame(const char* text, size_t size, int32_t margin, int32_t offset, int32_t clientWidth,
              const FrameDrawer& drawer) {
    PenX = margin;
    PenY = 0;
    FrameWalk walk{&drawer, offset, clientWidth, 0};
    WalkStrip(text, size, margin, StripWalker{&walk, MeasurePiece, StartsInWindow, DrawPiece});
    return walk.drawn;
}

void AdvanceScroll() {
    int32_t offset = ScrollOffset.load();
    while (!ScrollOffset.compare_exchange_weak(
        offset, StepScroll(offset, ScrollForward.load() != 0, WrapWidth.load()))) {
    }
}
