// The steps of one frame of the strip, as PaintStrip takes them with the window thread's
// painter: the text, the memory context, the frame composed in it and its clip rectangle copied
// to the window. What a step keeps for the next frame belongs to the window thread. The
// benchmark takes the same steps in other combinations to weigh what each keeping saves.
#pragma once
#include <windows.h>

#include "display/strip_frame.h"

// How a frame walks the segments of its text; the painter's walk is WalkVisibleFrame.
using FrameWalk = int (*)(StripRuler& ruler, int32_t margin, int32_t offset, int32_t clientWidth,
                          const FrameView& view, const FrameDrawer& drawer);

// The plain way, taken while a strip font is missing: a piece measured on the context (an HDC)
// in its own font, selected anew for each, and drawn opaque in its colour.
int32_t MeasureInFont(void* context, const StripPiece& piece);
void DrawOpaque(void* context, const StripPiece& piece, int32_t x, int32_t y);

// Makes text (read up to its zero byte, at most kDisplayTextSize bytes) the painter's text; its
// widths and drawn pieces are kept while it stays the same. True when it differs from the last.
bool SetPainterText(const char* text);
// The memory context with a bitmap of width x height compatible with dc, kept while the window
// and its size stay the same and renew is false (a new text is when a change of the screen's
// colours is noticed: asking the screen at every frame costs more than the bitmap under Wine).
// None when it cannot be made: the frame is not drawn, the next one tries again.
HDC KeptFrameMemory(HDC dc, HWND window, LONG width, LONG height, bool renew);
// Composes the frame of the painter's text in memory (client-sized): the fill, the colours and
// fonts, and the segments that walk draws. text is the same text, for the walk in text order
// that a missing strip font needs.
void ComposeFrame(HDC memory, const RECT& client, const FrameGeometry& g, const char* text,
                  FrameWalk walk);
// Copies the frame's clip rectangle from memory to dc: the same pixels as the whole frame copied
// through a clip region of that rectangle, with no region to make, select and delete.
void CopyFrameClip(HDC dc, HDC memory, const FrameGeometry& g);
