// Frame geometry, the painter's walk and the scroll step. Window thread only.
#include "display/strip_frame.h"

#include <algorithm>

#include "base/button_panel.h"
#include "display/scroll_rules.h"
#include "feed/content_model.h"

FrameGeometry FrameFor(int32_t width, int32_t height, bool overScreenSaver) {
    const int32_t border = overScreenSaver ? 0 : kLeftBorder;
    FrameGeometry g;
    g.clipLeft = border + kClipInset;
    g.clipTop = kClipInset;
    g.clipRight = std::max(g.clipLeft, width - kPanelWidth - kClipInset);
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
    PenY = piece.value ? 0 : kValueDrop;  // what the next segment is: a label after a value
}

}  // namespace

int WalkFrame(const char* text, size_t size, int32_t margin, int32_t offset, int32_t clientWidth,
              const FrameDrawer& drawer) {
    PenX = margin;
    PenY = 0;
    FrameWalk walk{&drawer, offset, clientWidth, 0};
    WalkStrip(text, size, margin, StripWalker{&walk, MeasurePiece, StartsInWindow, DrawPiece});
    return walk.drawn;
}

namespace {

// Segments measured at a time when a frame reaches past the widths known so far: the fonts
// change twice per batch, and scrolling needs a new segment only every few dozen frames.
constexpr size_t kMeasureBatch = 64;

// The first index in [0, end) for which holds(i) is false, holds being true up to some index
// and false from there on; end when it holds throughout.
template <class Holds> size_t FirstFailing(size_t end, Holds holds) {
    size_t low = 0;
    while (low < end) {
        const size_t middle = low + (end - low) / 2;
        if (holds(middle))
            low = middle + 1;
        else
            end = middle;
    }
    return low;
}

}  // namespace

int WalkVisibleFrame(StripRuler& ruler, int32_t margin, int32_t offset, int32_t clientWidth,
                     const FrameView& view, const FrameDrawer& drawer) {
    const PieceMeasure measure{drawer.context, drawer.measure};
    const size_t count = ruler.SegmentCount();
    auto stripX = [&](size_t i) { return int64_t{ruler.X(i, margin)}; };
    auto reached = [&](size_t i) { return stripX(i) - offset <= clientWidth; };

    // Widths as far as the first segment that starts right of the window: WalkFrame stops
    // there, and so PenX does.
    while (ruler.MeasuredCount() < count && reached(ruler.MeasuredCount()))
        ruler.MeasureTo(ruler.MeasuredCount() + kMeasureBatch, measure);
    const size_t known = ruler.MeasuredCount();
    const size_t reach = FirstFailing(known < count ? known + 1 : count, reached);

    if (reach == 0) {
        PenX = margin;
        PenY = 0;
    } else {
        PenX = ruler.X(reach, margin);
        PenY = (reach - 1) % 2 == 1 ? 0 : kValueDrop;
    }

    // Frame x where the walk draws segment i: its strip x, shifted and held within range.
    auto frameX = [&](size_t i) { return FrameX(ruler.X(i, margin), offset); };
    auto shows = [&](size_t i) {
        const int64_t x = frameX(i);
        return x - view.inkLeft < view.right && x + ruler.Width(i) + view.inkRight > view.left;
    };

    char buffer[kSegmentBufferSize];
    int drawn = 0;
    auto draw = [&](size_t i) {
        const StripPiece piece = ruler.Piece(i, ruler.X(i, margin), buffer);
        drawer.draw(drawer.context, piece, frameX(i), piece.value ? kValueDrop : 0);
        ++drawn;
    };

    // Far left of a far scrolled strip the walk holds the frame x of every segment at
    // -kStripXLimit, where only a piece of enormous width can show: each is looked at.
    const size_t held = FirstFailing(reach, [&](size_t i) {
        return int64_t{ruler.X(i, margin)} - offset < -int64_t{kStripXLimit};
    });
    for (size_t i = 0; i < held; ++i)
        if (shows(i)) draw(i);

    // From there on a segment lies wholly left of the view when the next one starts left of
    // view.left - inkRight, except at the far end of the strip where positions stop at
    // kStripXLimit and cells no longer abut; from there on every segment is looked at.
    const int64_t left = int64_t{offset} + view.left - view.inkRight;
    const size_t firstSeen = FirstFailing(reach, [&](size_t i) { return stripX(i + 1) <= left; });
    const size_t firstStopped =
        FirstFailing(reach, [&](size_t i) { return stripX(i + 1) < kStripXLimit; });
    for (size_t i = std::max(held, std::min(firstSeen, firstStopped)); i < reach; ++i) {
        if (int64_t{frameX(i)} - view.inkLeft >= view.right) break;
        if (shows(i)) draw(i);
    }
    return drawn;
}

void AdvanceScroll() {
    int32_t offset = ScrollOffset.load();
    while (!ScrollOffset.compare_exchange_weak(
        offset, StepScroll(offset, ScrollForward.load() != 0, WrapWidth.load()))) {
    }
}
