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
        // wrap does not continue; only a text already thousands of bytes long gets here.
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

void TerminateStripText(char* text, size_t size) {
    if (size && BoundedLength(text, size) == size) text[size - 1] = 0;
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
    TerminateStripText(text, size);  // an unterminated text ends at the buffer's end
    const int32_t wrap = WrapWidthFor(WalkStrip(text, size, 0, segments));
    RepeatAcrossScreen(text, size, screenWidth, whole);
    return wrap;
}
