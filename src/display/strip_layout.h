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

// The whole of MeasureAndExtendDisplay but the device context: keeps the room for the repeat
// copy, measures text by the segment rule, extends it for the wrap and returns the scroll
// period. text is left terminated. It is made of the steps below, which a caller that has
// the segment widths at hand (a StripRuler) takes one by one.
int32_t MeasureAndExtend(char* text, size_t size, int32_t screenWidth, const StripWalker& segments,
                         const WholeTextMeasure& whole);

// Room a text keeps at the end of its buffer for one copy of the repeat piece cut at 300
// characters: the characters, the "|" and the zero.
constexpr size_t kRepeatRoom = kRepeatCutLength + 2;
// Ends the text within its buffer so that it keeps that room, and what follows the text always
// fills the window: a text too long for it gives up segments at its end, whole, until it fits,
// while what follows its last "|" (the gap that opens the first copy) stays; a text without a
// zero byte is ended at its buffer's end first. Returns whether segments were cut. A text is
// that long only after a reply of some 20,000 bytes: its last items go, rather than the strip
// showing nothing between its end and its start.
bool TerminateStripText(char* text, size_t size);
// The repeat piece of the terminated text appended while the text is narrower than the screen,
// the text measured whole before each copy.
void RepeatAcrossScreen(char* text, size_t size, int32_t screenWidth,
                        const WholeTextMeasure& whole);
