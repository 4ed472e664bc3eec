// The 500 ms placement tick: docked beside the clock, expanded into a bar along the bottom of
// the screen, or shown in that bar over a running screen saver. Window thread only.
#pragma once
#include <windows.h>

void PlacementTick(HWND window);
