// The dialogs that the context menu opens: the preferences sheet and the About box. Both are
// modal and owned by the ticker window; window thread only.
#pragma once
#include <windows.h>

// The preferences sheet; returns when it has been closed.
void ShowPreferences(HWND owner);
// The About box; returns when it has been closed.
void ShowAboutBox(HWND owner);
