// Scroll period and repetition of the strip text. Feed worker thread, inside a hand-over.
#include "display/strip_layout.h"

#include <algorithm>
#include <cstring>

#include "base/text.h"

int32_t WrapWidthFor(int32_t contentWidth) {
    return std::min(contentWidth, kStripXLimit) + kWrapAllowance;
}

size_t MakeRepeatPiece(const char* text, size_t length, int32_t screenWidth, char* piece,
                       size_t size) {
    if (size < 2) {
        if (size) piece[0] = 0;
        return 0;
    }
    const size_t shortText = screenWidth > 0 ? static_cast<size_t>(screenWidth / 5) : 0;
    if (length <= shortText) {
        // Only a screen over 25000 pixels wide lets a whole text outgrow the piece; it is cut.
        const size_t n = std::min(length, size - 1);
        std::memcpy(piece, text, n);
        piece[n] = 0;
        return n;
    }
    const size_t n = std::min({length, kRepeatCutLength, size - 2});
    std::memcpy(piece, text, n);
    piece[n] = '|';
    piece[n + 1] = 0;
    return n + 1;
}

int AppendRepeatCopies(char* text, size_t size, const char* piece, size_t pieceLength,
                       int32_t screenWidth, const WholeTextMeasure& whole) {
    size_t length = BoundedLength(text, size);
    if (length == 0 || screenWidth <= 0 || pieceLength == 0) return 0;
    int copies = 0;
    int32_t previous = -1;
    for (;;) {
        const int32_t width = whole.measure(whole.context, text, length);
        // A copy that added no width means the text cannot fill the screen at all (it is
        // invisible); more copies would only fill the buffer.
        if (width <= previous) break;
        // DisplayText never grows past its size: when the next whole copy would not fit with
        // its zero byte, the copies stop. A cut copy would start a segment that the next
        // wrap does not continue. The first copy always fits (TerminateStripText); a later one
        // is left out only when a text repeated whole fills the buffer before the screen.
        if (length + pieceLength >= size) break;
        std::memcpy(text + length, piece, pieceLength);
        length += pieceLength;
        text[length] = 0;
        ++copies;
        if (screenWidth <= width) break;
        previous = width;
    }
    return copies;
}

bool TerminateStripText(char* text, size_t size) {
    if (size == 0) return false;
    size_t length = BoundedLength(text, size);
    if (length == size) text[--length] = 0;
    if (size <= kRepeatRoom) return false;
    const size_t limit = size - kRepeatRoom;  // the longest text that leaves the room
    if (length <= limit) return false;
    size_t tailStart = length;
    while (tailStart > 0 && text[tailStart - 1] != '|') --tailStart;
    const size_t tail = std::min(length - tailStart, limit);
    size_t keep = std::min(tailStart, limit - tail);
    while (keep > 0 && text[keep - 1] != '|') --keep;
    std::memmove(text + keep, text + tailStart, tail);
    text[keep + tail] = 0;
    return true;
}

void RepeatAcrossScreen(char* text, size_t size, int32_t screenWidth,
                        const WholeTextMeasure& whole) {
    char piece[kRepeatPieceSize];
    const size_t pieceLength =
        MakeRepeatPiece(text, BoundedLength(text, size), screenWidth, piece, sizeof piece);
    AppendRepeatCopies(text, size, piece, pieceLength, screenWidth, whole);
}

int32_t MeasureAndExtend(char* text, size_t size, int32_t screenWidth, const StripWalker& segments,
                         const WholeTextMeasure& whole) {
    if (size == 0) return WrapWidthFor(0);
    TerminateStripText(text, size);
    const int32_t wrap = WrapWidthFor(WalkStrip(text, size, 0, segments));
    RepeatAcrossScreen(text, size, screenWidth, whole);
    return wrap;
}
