#include "base/frame_strokes_win.h"

void DrawFrameStrokes(HDC dc, const FrameStroke* strokes, int count) {
    // In the order of FramePen.
    const HPEN pens[] = {CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT)),
                         CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNFACE)),
                         CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)),
                         static_cast<HPEN>(GetStockObject(BLACK_PEN))};
    HGDIOBJ previous = GetCurrentObject(dc, OBJ_PEN);
    for (int i = 0; i < count; ++i) {
        const FrameStroke& s = strokes[i];
        SelectObject(dc, pens[static_cast<int>(s.pen)]);
        MoveToEx(dc, s.x0, s.y0, nullptr);
        LineTo(dc, s.x1, s.y1);
        LineTo(dc, s.x2, s.y2);
    }
    SelectObject(dc, previous);
    for (int i = 0; i < 3; ++i) DeleteObject(pens[i]);
}
