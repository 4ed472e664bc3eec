// The strip's straightforward layout and painter, as they were before widths were kept: every
// link measures the whole text so far, every frame makes its memory context and bitmap and
// measures every segment from the start of the text to the right edge of the window. Not part
// of the product: the benchmark measures the product against it and the identity tests check
// that the product draws and measures exactly what it does. Header only, so that the Wine
// test program and the benchmark each compile their own copy.
#pragma once
#include <windows.h>

#include "base/program_win.h"
#include "display/strip_frame.h"
#include "display/strip_layout.h"
#include "feed/content_model.h"
#include "settings/settings.h"
#include "shell/strip_fonts_win.h"

namespace strip_reference {

inline void SelectStripFont(HDC dc, bool value) {
    HFONT font = value ? ValueFont : LabelFont;
    if (font) SelectObject(dc, font);
}

inline int32_t ExtentWidth(void* context, const StripPiece& piece) {
    HDC dc = static_cast<HDC>(context);
    SelectStripFont(dc, piece.value);
    SIZE size{0, 0};
    GetTextExtentPoint32A(dc, piece.bytes, static_cast<int>(piece.length), &size);
    return size.cx;
}

inline int32_t SegmentRectWidth(void* context, const StripPiece& piece) {
    HDC dc = static_cast<HDC>(context);
    SelectStripFont(dc, piece.value);
    RECT rc{0, 0, 0, 0};
    DrawTextA(dc, piece.bytes, static_cast<int>(piece.length), &rc,
              DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    return rc.right;
}

inline int32_t WholeRectWidth(void* context, const char* text, size_t length) {
    RECT rc{0, 0, 0, 0};
    DrawTextA(static_cast<HDC>(context), text, static_cast<int>(length), &rc,
              DT_CALCRECT | DT_SINGLELINE);
    return rc.right;
}

inline void RecordLink(HWND window, const char* textSoFar, const char* url, uint32_t topicStart) {
    HDC dc = GetDC(window);
    HGDIOBJ previous = GetCurrentObject(dc, OBJ_FONT);
    SelectStripFont(dc, false);
    const int32_t rightEdge =
        WalkStrip(textSoFar, kContentBufferSize, 0, StripWalker{dc, ExtentWidth, nullptr, nullptr});
    AppendLink(rightEdge, url ? url : "", topicStart);
    SelectObject(dc, previous);
    ReleaseDC(window, dc);
}

inline void MeasureAndExtendDisplay(HWND window) {
    HDC dc = GetDC(window);
    HGDIOBJ previous = GetCurrentObject(dc, OBJ_FONT);
    SelectStripFont(dc, false);
    WrapWidth = MeasureAndExtend(DisplayText, sizeof DisplayText, GetSystemMetrics(SM_CXSCREEN),
                                 StripWalker{dc, SegmentRectWidth, nullptr, nullptr},
                                 WholeTextMeasure{dc, WholeRectWidth});
    SelectObject(dc, previous);
    ReleaseDC(window, dc);
}

inline int32_t MeasureInFont(void* context, const StripPiece& piece) {
    HDC dc = static_cast<HDC>(context);
    HFONT font = piece.value ? ValueFont : LabelFont;
    if (font) SelectObject(dc, font);
    SIZE size{0, 0};
    GetTextExtentPoint32A(dc, piece.bytes, static_cast<int>(piece.length), &size);
    return size.cx;
}

inline void DrawOpaque(void* context, const StripPiece& piece, int32_t x, int32_t y) {
    HDC dc = static_cast<HDC>(context);
    SetTextColor(dc, PieceColor(piece, TickerSettings.colors));
    TextOutA(dc, x, y, piece.bytes, static_cast<int>(piece.length));
}

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
