// Measuring and painting the strip with the two strip fonts in the ticker window's device
// context. RecordLink and MeasureAndExtendDisplay run on the feed worker; PaintStrip on the
// window thread, from the scroll tick's private copy of the text.
#pragma once
#include <windows.h>

#include <cstdint>

// Appends a LinkEntry whose rightEdge is the width of textSoFar (ended by "|" at the link).
void RecordLink(HWND window, const char* textSoFar, const char* url, uint32_t topicStart);
// Sets WrapWidth for DisplayText and repeats it across the screen. Call inside a hand-over.
void MeasureAndExtendDisplay(HWND window);
// Draws one frame of the strip from text (the scroll tick's copy) and moves it one pixel.
void PaintStrip(HDC dc, HWND window, char* text);
