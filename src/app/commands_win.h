// The context menu, its commands and the search box. Window thread only.
#pragma once
#include <windows.h>

// Whether the search box is wanted (the menu and the search button toggle it), and the box
// over the strip while SearchOpen is set and the placement tick has made it; otherwise null.
extern int SearchOpen;
extern HWND SearchBoxWindow;

void ShowContextMenu(HWND window);
void OnCommand(HWND window, WPARAM wParam, LPARAM lParam);
// Creates, places, hides or removes the search box to follow SearchOpen (placement tick).
void UpdateSearchBox(HWND window);
