// The search box over the strip. Window thread only.
#pragma once
#include <windows.h>

// Whether the search box is wanted (the menu and the search button toggle it), and the box
// over the strip while SearchOpen is set and the placement tick has made it; otherwise null.
extern int SearchOpen;
extern HWND SearchBoxWindow;

// Creates, places, hides or removes the search box to follow SearchOpen (placement tick).
void UpdateSearchBox(HWND window);
// The box reported a scroll (EN_VSCROLL) to the ticker window: Enter opens the search page.
void OnSearchBoxScroll(HWND window);
