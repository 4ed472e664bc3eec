// The rules of the strip layout that need no device context: the scroll period and the
// repetition of the text across the screen, so that the start of the content follows its end
// without a gap when the strip wraps. The feed worker runs them, inside a hand-over.
#pragma once
#include <cstddef>
#include <cstdint>

#include "display/strip_text.h"

constexpr int32_t kWrapAllowance = 8;
constexpr size_t kRepeatPieceSize = 5000;
constexpr size_t kRepeatCutLength = 300;

// The scroll period of a text whose segments measure contentWidth.
int32_t WrapWidthFor(int32_t contentWidth);

// The piece that is repeated after the text (length bytes): the whole text when it has no more
// characters than screenWidth / 5, else its first 300 characters followed by "|". Written
// into piece (size bytes, terminated); returns its length.
size_t MakeRepeatPiece(const char* text, size_t length, int32_t screenWidth, char* piece,
                       size_t size);

// Width of a whole text measured in one piece, as the layout measures the growing text.
struct WholeTextMeasure {
    void* context;
    int32_t (*measure)(void* context, const char* text, size_t length);
};

// Appends copies of piece to text (terminated, size bytes) while the text measured before
// each copy is narrower than screenWidth; at least one copy for a non-empty text on a screen of
// positive width. Returns the number of copies appended.
int AppendRepeatCopies(char* text, size_t size, const char* piece, size_t pieceLength,
                       int32_t screenWidth, const WholeTextMeasure& whole);

// The whole of MeasureAndExtendDisplay but the device context: measures text by the segment
// rule, extends it for the wrap and returns the scroll period. text is left terminated.
// It is made of the three steps below, which a caller that has the segment widths at hand
// (a StripRuler) takes one by one.
int32_t MeasureAndExtend(char* text, size_t size, int32_t screenWidth, const StripWalker& segments,
                         const WholeTextMeasure& whole);

// Ends a text that fills all size bytes without a zero at its last byte.
void TerminateStripText(char* text, size_t size);
// The repeat piece of the terminated text appended while the text is narrower than the screen,
// the text measured whole before each copy.
void RepeatAcrossScreen(char* text, size_t size, int32_t screenWidth,
                        const WholeTextMeasure& whole);
