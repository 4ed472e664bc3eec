#include "app/embed_rules.h"

#include "base/button_panel.h"

bool TaskbarSpansScreen(int left, int right, int screenWidth) {
    return left <= 0 && right >= screenWidth;
}

int TargetWidth(int screenWidth, uint32_t widthDivisor) {
    return screenWidth / static_cast<int>(widthDivisor);
}

ReserveLoop BeginReserveLoop(int startWidth) { return ReserveLoop{startWidth, startWidth}; }

int GrownAfterIcon(ReserveLoop& loop, int widthNow, int areaHeight) {
    int w = widthNow;
    if (w == loop.startWidth) {
        loop.estimate += areaHeight - 4;
        w = loop.estimate;
    }
    return w - loop.startWidth;
}

bool NeedsMoreIcons(int grown, int target) {
    return static_cast<uint32_t>(grown) < static_cast<uint32_t>(target);
}

bool ReserveIsUsable(int tickerWidth) { return tickerWidth >= kPanelWidth + kMinimumStripWidth; }

int DockedX(int areaWidth, int baselineWidth, int tickerWidth, int clockWidth) {
    int growth = areaWidth - baselineWidth;
    if (growth < 1) growth = 0;
    return areaWidth - growth - tickerWidth - clockWidth;
}

bool AcceptReserve(int grown, int target) {
    int width = TickerWidthFor(grown);
    if (width < 1) return false;
    return !NeedsMoreIcons(grown, target) || ReserveIsUsable(width);
}
