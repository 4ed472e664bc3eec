// The strip painter: one frame composed off screen and copied to the window through a clip,
// so that the buttons the window draws at its right end stay as they are. Window thread only,
// called by the scroll tick with its private copy of the strip text. Every GDI object made
// here is deleted before the call returns.
#include "display/strip_win.h"

#include "app/ticker_host_win.h"
#include "display/strip_frame.h"
#include "feed/content_model.h"
#include "settings/settings.h"
#include "shell/strip_fonts_win.h"

namespace {

int32_t MeasureInFont(void* context, const StripPiece& piece) {
    HDC dc = static_cast<HDC>(context);
    HFONT font = piece.value ? ValueFont : LabelFont;
    if (font) SelectObject(dc, font);
    SIZE size{0, 0};
    GetTextExtentPoint32A(dc, piece.bytes, static_cast<int>(piece.length), &size);
    return size.cx;
}

void DrawOpaque(void* context, const StripPiece& piece, int32_t x, int32_t y) {
    HDC dc = static_cast<HDC>(context);
    SetTextColor(dc, PieceColor(piece, TickerSettings.colors));
    TextOutA(dc, x, y, piece.bytes, static_cast<int>(piece.length));
}

// Composes the frame in memory (a bitmap of the client size) and copies all of it to the
// window; the clip decides what reaches the screen.
void DrawFrame(HDC dc, HDC memory, const RECT& client, const FrameGeometry& g, const char* text) {
    const COLORREF background = TickerSettings.colors[kBackgroundColor];
    HBRUSH brush = CreateSolidBrush(background);
    FillRect(memory, &client, brush);
    DeleteObject(brush);

    HRGN clip = CreateRectRgn(g.clipLeft, g.clipTop, g.clipRight, g.clipBottom);
    SelectClipRgn(dc, clip);

    SetBkColor(memory, background);
    SetTextColor(memory, TickerSettings.colors[kSymbolColor]);
    const int previousMode = SetBkMode(memory, OPAQUE);
    HGDIOBJ previousFont = GetCurrentObject(memory, OBJ_FONT);
    if (LabelFont) SelectObject(memory, LabelFont);

    WalkFrame(text, kDisplayTextSize, g.margin, ScrollOffset, client.right,
              FrameDrawer{memory, MeasureInFont, DrawOpaque});
    BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);

    SelectObject(memory, previousFont);
    SelectClipRgn(dc, nullptr);
    DeleteObject(clip);
    SetBkMode(memory, previousMode);
}

} // namespace

void PaintStrip(HDC dc, HWND window, char* text) {
    RECT client;
    if (GetClientRect(window, &client) && client.right > 0 && client.bottom > 0) {
        const FrameGeometry g = FrameFor(client.right, client.bottom, ScreenSaverWindow != nullptr);
        HDC memory = CreateCompatibleDC(dc);
        HBITMAP bitmap = memory ? CreateCompatibleBitmap(dc, client.right, client.bottom) : nullptr;
        if (bitmap) {
            HGDIOBJ previousBitmap = SelectObject(memory, bitmap);
            DrawFrame(dc, memory, client, g, text ? text : "");
            SelectObject(memory, previousBitmap);
            DeleteObject(bitmap);
        }
        if (memory) DeleteDC(memory);
    }
    // The strip keeps moving even when a frame could not be drawn (no size, no memory).
    AdvanceScroll();
}
