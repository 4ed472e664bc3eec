#include "display/scroll_rules.h"

int32_t WrapOnce(int32_t offset, int32_t wrap) {
    if (offset > wrap) offset -= wrap;
    if (offset < 0) offset += wrap;
    return offset;
}

int32_t StepScroll(int32_t offset, bool forward, int32_t wrap) {
    return WrapOnce(forward ? offset + 1 : offset - 1, wrap);
}

namespace {

int32_t StartOf(const TopicLink* links, int j) { return j == 0 ? 0 : links[j - 1].rightEdge; }

// The entry now on show: the first whose item ends beyond the offset, or count when none.
int CurrentEntry(const TopicLink* links, int count, int32_t offset) {
    for (int i = 0; i < count; ++i)
        if (links[i].rightEdge > offset) return i;
    return count;
}

int32_t JumpForward(const TopicLink* links, int n, int i, int32_t offset, bool scrollForward) {
    if (n == 0) return offset;  // no links: nothing to jump to
    if (i >= n) i = 0;
    // A reversed strip looks one item further on, so over the last item its search starts
    // past the end: like a search that runs off the end, it wraps.
    for (int j = scrollForward ? i + 1 : i + 2; j < n; ++j)
        if (links[j].topicStart) return StartOf(links, j) - 3;
    // Ran off the end: wrap to the beginning of the strip.
    return scrollForward ? 0 : links[0].rightEdge;
}

int32_t JumpBackward(const TopicLink* links, int n, int i, int32_t offset, bool scrollForward) {
    if (i >= n) i = 0;
    for (int j = i - 1; j >= 0; --j)
        if (links[j].topicStart) return StartOf(links, j);
    if (!scrollForward) return n > 0 ? links[0].rightEdge : offset;
    for (int j = n - 1; j >= 0; --j)
        if (links[j].topicStart) return StartOf(links, j);
    return offset;
}

}  // namespace

int32_t TopicJumpOffset(const TopicLink* links, int count, int32_t offset, bool scrollForward,
                        uint16_t requested, uint16_t counter) {
    int i = CurrentEntry(links, count, offset);
    if (requested > counter) return JumpForward(links, count, i, offset, scrollForward);
    return JumpBackward(links, count, i, offset, scrollForward);
}

DragResult DragTo(DragState& drag, int32_t x, int32_t offset, int32_t scrollForward, int32_t wrap) {
    if (drag.anchor == 0) drag.anchor = x;
    int32_t d = drag.anchor - x;
    if (d > 3) scrollForward = 1;
    if (d < -3) scrollForward = 0;
    drag.anchor = x;
    return DragResult{WrapOnce(offset + d, wrap), scrollForward};
}
