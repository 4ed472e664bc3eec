// The five tooltips of the ticker window. Window thread, except that the feed worker sends the
// first tooltip the new update time (UpdateLastUpdatedTip).
#pragma once
#include <windows.h>

constexpr int kTooltipCount = 5;
extern HWND TooltipWindows[kTooltipCount];

// (Re)creates the five tooltip windows over the window's client rectangle as it is now.
void BuildTooltips(HWND window);
// Passes a mouse message on to every tooltip window.
void RelayToTooltips(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Gives the strip's tooltip the current LastUpdatedText.
void UpdateLastUpdatedTip(HWND window);
