// Stand-in definitions of the dialog entry points for builds that do not carry the dialogs
// yet. They are weak: the preferences and About implementations replace them at link time.
#include "prefs/prefs_win.h"

__attribute__((weak)) void ShowPreferences(HWND) {}
__attribute__((weak)) void ShowAboutBox(HWND) {}
