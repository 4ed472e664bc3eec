// Measuring and painting the strip with the two strip fonts in the ticker window's device
// context. RecordLink and MeasureAndExtendDisplay run on the feed worker; PaintStrip on the
// window thread, from the scroll tick's private copy of the text.
#pragma once
#include <windows.h>

#include <cstdint>

// Appends a LinkEntry whose rightEdge is the width of textSoFar (the start of ContentBuffer,
// ended by "|" at the link; read up to its zero byte, at most kContentBufferSize bytes).
// A full link table drops the link.
void RecordLink(HWND window, const char* textSoFar, const char* url, uint32_t topicStart);
// Sets WrapWidth for DisplayText and repeats it across the screen, never past the end of
// DisplayText; a text too long to leave room for the first copy loses its last items, and
// their links go too (TerminateStripText). Call inside a hand-over.
void MeasureAndExtendDisplay(HWND window);
// The same two measuring every segment in text order, each in the font the one before it left,
// and keeping nothing: what they do while a strip font is missing, and the straightforward
// layout that the benchmark and the identity tests hold them against.
void RecordLinkInOrder(HWND window, const char* textSoFar, const char* url, uint32_t topicStart);
void MeasureAndExtendInOrder(HWND window);
// Draws one frame of the strip from text (the scroll tick's copy, read up to its zero byte, at
// most kDisplayTextSize bytes; left as it was) and moves the strip one pixel. What it keeps for
// the next frame (memory contexts with their bitmaps, widths, drawn pieces) is the window
// thread's and lasts as long as the process.
void PaintStrip(HDC dc, HWND window, char* text);
