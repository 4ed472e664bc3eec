// Context menu and command handling of the ticker window.
#include "app/commands_win.h"

void ShowContextMenu(HWND) {}
void OnCommand(HWND, WPARAM, LPARAM) {}
void UpdateSearchBox(HWND) {}
