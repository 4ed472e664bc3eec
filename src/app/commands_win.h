// The context menu and its commands. Window thread only.
#pragma once
#include <windows.h>

void ShowContextMenu(HWND window);
void OnCommand(HWND window, WPARAM wParam, LPARAM lParam);
