// How the strip position moves on the window thread: wrapping within the scroll period, the
// "Next Topic" jump, and drag scrolling. Pure arithmetic over plain values.
#pragma once
#include <cstdint>

// Brings offset back within 0..wrap by one period each way, as one scroll step does.
int32_t WrapOnce(int32_t offset, int32_t wrap);

// One pixel of scroll in the current direction, then the wrap.
int32_t StepScroll(int32_t offset, bool forward, int32_t wrap);

// What the topic jump sees of one link: where its item ends and whether it opens a topic.
struct TopicLink {
    int32_t rightEdge;
    uint32_t topicStart;
};

// The new ScrollOffset after a jump request, or `offset` itself when nothing changes.
// `requested` is the request's number, `counter` the last one handled: a larger request jumps
// forward, any other backward.
int32_t TopicJumpOffset(const TopicLink* links, int count, int32_t offset, bool scrollForward,
                        uint16_t requested, uint16_t counter);

// Drag scrolling: the pointer moved from anchor to x with the left button down.
struct DragState {
    int32_t anchor;  // x of the previous drag event, 0 = no drag yet
};
struct DragResult {
    int32_t offset;
    int32_t scrollForward;
};
DragResult DragTo(DragState& drag, int32_t x, int32_t offset, int32_t scrollForward, int32_t wrap);
