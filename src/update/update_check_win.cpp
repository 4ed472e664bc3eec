// Self-update check (feed worker thread).
#include "update/update_check_win.h"

void RunUpdateCheck(HWND) {}
