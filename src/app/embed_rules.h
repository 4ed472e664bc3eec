// Arithmetic of fitting the ticker into the taskbar's notification area: the edge check, the
// width the reserve icons must make, and where the docked ticker goes. Plain numbers in, plain
// numbers out, so it can be tested without a shell.
#pragma once
#include <cstdint>

// The ticker runs only when the taskbar spans the whole screen width (top or bottom edge).
bool TaskbarSpansScreen(int left, int right, int screenWidth);

int TargetWidth(int screenWidth, uint32_t widthDivisor);

// The reserve loop's view of the notification area. The shell may widen the area only some
// time after an icon is added; while the width still reads as it was before the first icon,
// every icon counts as (area height - 4) pixels so the loop still ends.
struct ReserveLoop {
    int startWidth;  // w0, the area's client width before the first icon
    int estimate;    // e, starts at w0
};
ReserveLoop BeginReserveLoop(int startWidth);
// Grown width after one more icon, given the width the area reads now and its height.
int GrownAfterIcon(ReserveLoop& loop, int widthNow, int areaHeight);
// Whether another icon is needed. The comparison is unsigned: an area that shrank reads as a
// huge growth and ends the loop, and the result is then refused by ReserveIsUsable.
bool NeedsMoreIcons(int grown, int target);

// A run of reserve icons that stopped at the table's end without reaching the target is kept
// only if it leaves a usable strip beside the button panel.
constexpr int kMinimumStripWidth = 100;
bool ReserveIsUsable(int tickerWidth);

// The docked ticker is 3 pixels narrower than the room the icons made.
inline int TickerWidthFor(int grown) { return grown - 3; }

// x of the docked ticker in the notification area: just left of the clock, moved left by
// whatever the area gained since the baseline (a foreign icon added later). An area that has
// become narrower than the baseline counts as no growth.
int DockedX(int areaWidth, int baselineWidth, int tickerWidth, int clockWidth);

// Whether the room the reserve icons made can hold the ticker: a positive width, and, when the
// icon table ran out before the target was reached, a usable strip.
bool AcceptReserve(int grown, int target);
