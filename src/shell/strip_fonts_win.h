// The two strip fonts. Made and deleted on the window thread; the feed worker measures with
// them but never makes or deletes them.
#pragma once
#include <windows.h>

extern HFONT LabelFont;  // labels: three quarters of the ticker's client height
extern HFONT ValueFont;  // values: the client height less 3 (bold) or 4

void CreateStripFonts(HWND window);
void DeleteStripFonts();

// Arial of the given cell height and weight, as the strip and the information bar use it.
HFONT CreateArial(int height, int weight);
