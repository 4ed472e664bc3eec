#include "display/banner_win.h"

#include "base/text.h"
#include "base/program_win.h"
#include "display/strip_win.h"
#include "feed/content_model.h"

void ShowBanner(const char* text, bool restartScroll) {
    BeginDisplayUpdate();
    CopyText(DisplayText, text);
    MeasureAndExtendDisplay(TickerWindow);
    if (restartScroll) ScrollOffset = 0;
    EndDisplayUpdate();
}
