// Opening pages in the web browser: a running browser over DDE, else the shell's registered
// browser started with the address. Window thread only; every call finishes its conversations
// before it returns.
#pragma once
#include <windows.h>

#include "shell/browser_rules.h"

// Opens the page that point asks for: a point of the ticker window's client area (the logo
// area: the search page or the search root; the strip: the link of the item there), or one of
// the points of browser_rules.h that name the help page and the symbol lookup page.
void OpenBrowserPage(PagePoint point);

// Fills command (kBrowserCommandSize bytes) with the trimmed open command for http. Leaves
// the buffer as it was when the key or its value cannot be read.
void ReadBrowserCommand(char* command);
