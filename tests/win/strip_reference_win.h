// The strip's straightforward layout and painter, as they were before widths were kept: every
// link measures the whole text so far, every frame makes its memory context and bitmap and
// measures every segment from the start of the text to the right edge of the window. The
// benchmark measures the product against them and the identity tests check that the product
// draws and measures exactly what they do. The painter is not part of the product; header only,
// so that the Wine test program and the benchmark each compile their own copy.
#pragma once
#include <windows.h>

#include "base/program_win.h"
#include "display/strip_frame.h"
#include "display/strip_painter_win.h"
#include "display/strip_win.h"
#include "feed/content_model.h"
#include "settings/settings.h"
#include "shell/strip_fonts_win.h"

namespace strip_reference {

// The layout's straightforward walk, and the measuring and drawing of one piece, are the
// product's own, the ones it takes while a strip font is missing.
inline void RecordLink(HWND window, const char* textSoFar, const char* url, uint32_t topicStart) {
    RecordLinkInOrder(window, textSoFar, url, topicStart);
}
inline void MeasureAndExtendDisplay(HWND window) { MeasureAndExtendInOrder(window); }

// A frame composed in a memory context and bitmap made for it, copied whole to the window
// through a clip region of the frame's clip rectangle.
inline void PaintStrip(HDC dc, HWND window, char* text) {
    RECT client;
    if (GetClientRect(window, &client) && client.right > 0 && client.bottom > 0) {
        const FrameGeometry g = FrameFor(client.right, client.bottom, ScreenSaverWindow != nullptr);
        HDC memory = CreateCompatibleDC(dc);
        HBITMAP bitmap = memory ? CreateCompatibleBitmap(dc, client.right, client.bottom) : nullptr;
        if (bitmap) {
            HGDIOBJ previousBitmap = SelectObject(memory, bitmap);
            const COLORREF background = TickerSettings.colors[kBackgroundColor];
            HBRUSH brush = CreateSolidBrush(background);
            FillRect(memory, &client, brush);
            DeleteObject(brush);
            HRGN clip = CreateRectRgn(g.clipLeft, g.clipTop, g.clipRight, g.clipBottom);
            SelectClipRgn(dc, clip);
            SetBkColor(memory, background);
            SetTextColor(memory, TickerSettings.colors[kSymbolColor]);
            SetBkMode(memory, OPAQUE);
            HGDIOBJ previousFont = GetCurrentObject(memory, OBJ_FONT);
            if (LabelFont) SelectObject(memory, LabelFont);
            WalkFrame(text ? text : "", kDisplayTextSize, g.margin, ScrollOffset, client.right,
                      FrameDrawer{memory, MeasureInFont, DrawOpaque});
            BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
            SelectObject(memory, previousFont);
            SelectClipRgn(dc, nullptr);
            DeleteObject(clip);
            SelectObject(memory, previousBitmap);
            DeleteObject(bitmap);
        }
        if (memory) DeleteDC(memory);
    }
    AdvanceScroll();
}

}  // namespace strip_reference
