// Strip layout in the ticker window's device context: the link positions and the scroll
// period. Feed worker thread: the parser calls RecordLink at every link, the hand-over and the
// banners call MeasureAndExtendDisplay. Each call takes and releases its own device context.
#include "display/strip_win.h"

#include "display/strip_layout.h"
#include "feed/content_model.h"
#include "shell/strip_fonts_win.h"

namespace {

// A font that could not be made is none; the context's current font is used instead.
void SelectStripFont(HDC dc, bool value) {
    HFONT font = value ? ValueFont : LabelFont;
    if (font) SelectObject(dc, font);
}

// Link positions: each segment measured as the painter measures it.
int32_t ExtentWidth(void* context, const StripPiece& piece) {
    HDC dc = static_cast<HDC>(context);
    SelectStripFont(dc, piece.value);
    SIZE size{0, 0};
    GetTextExtentPoint32A(dc, piece.bytes, static_cast<int>(piece.length), &size);
    return size.cx;
}

// The scroll period: each segment measured as a rectangle, without prefix characters.
int32_t SegmentRectWidth(void* context, const StripPiece& piece) {
    HDC dc = static_cast<HDC>(context);
    SelectStripFont(dc, piece.value);
    RECT rc{0, 0, 0, 0};
    DrawTextA(dc, piece.bytes, static_cast<int>(piece.length), &rc,
              DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    return rc.right;
}

// The growing text, in one piece, in whatever font the segment walk left selected.
int32_t WholeRectWidth(void* context, const char* text, size_t length) {
    RECT rc{0, 0, 0, 0};
    DrawTextA(static_cast<HDC>(context), text, static_cast<int>(length), &rc,
              DT_CALCRECT | DT_SINGLELINE);
    return rc.right;
}

} // namespace

void RecordLink(HWND window, const char* textSoFar, const char* url, uint32_t topicStart) {
    HDC dc = GetDC(window);
    HGDIOBJ previous = GetCurrentObject(dc, OBJ_FONT);
    SelectStripFont(dc, false);
    const int32_t rightEdge =
        WalkStrip(textSoFar, kContentBufferSize, 0, StripWalker{dc, ExtentWidth, nullptr, nullptr});
    AppendLink(rightEdge, url ? url : "", topicStart); // false: the table is full, link dropped
    SelectObject(dc, previous);
    ReleaseDC(window, dc);
}

void MeasureAndExtendDisplay(HWND window) {
    HDC dc = GetDC(window);
    HGDIOBJ previous = GetCurrentObject(dc, OBJ_FONT);
    SelectStripFont(dc, false);
    WrapWidth = MeasureAndExtend(DisplayText, sizeof DisplayText, GetSystemMetrics(SM_CXSCREEN),
                                 StripWalker{dc, SegmentRectWidth, nullptr, nullptr},
                                 WholeTextMeasure{dc, WholeRectWidth});
    SelectObject(dc, previous);
    ReleaseDC(window, dc);
}
