// The two strip fonts. Made and deleted on the window thread; the feed worker measures with
// them but never makes or deletes them.
#pragma once
#include <windows.h>

#include <mutex>

extern HFONT LabelFont;  // labels: three quarters of the ticker's client height
extern HFONT ValueFont;  // values: the client height less 3 (bold) or 4
// Held by the worker while it measures with the fonts (the strip layout), and by the window
// thread while it makes or deletes them, so that no font is deleted under a measurement. The
// window thread's own painting needs no lock: fonts change only on that thread.
extern std::mutex StripFontLock;

void CreateStripFonts(HWND window);
void DeleteStripFonts();

// Arial of the given cell height and weight, as the strip and the information bar use it.
HFONT CreateArial(int height, int weight);
