// Strip layout and painter.
#include "display/strip_win.h"

void RecordLink(HWND, const char*, const char*, uint32_t) {}
void MeasureAndExtendDisplay(HWND) {}
void PaintStrip(HDC, HWND, char*) {}
