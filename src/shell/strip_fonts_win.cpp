#include "shell/strip_fonts_win.h"
#include <initializer_list>

#include "res/resource.h"
#include "settings/settings_store_win.h"
#include "shell/font_rules.h"

HFONT LabelFont;
HFONT ValueFont;

HFONT CreateArial(int height, int weight) {
    return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET,
                       OUT_CHARACTER_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, VARIABLE_PITCH,
                       "Arial");
}

void DeleteStripFonts() {
    for (HFONT* font : {&LabelFont, &ValueFont}) {
        if (*font) DeleteObject(*font);
        *font = nullptr;
    }
}

void CreateStripFonts(HWND window) {
    RECT rc;
    GetClientRect(window, &rc);
    DeleteStripFonts();
    StripFontSizes label = LabelFontSize(rc.bottom, ReadFlagSetting(IDC_BOLD_FONT) != 0);
    StripFontSizes value = ValueFontSize(rc.bottom, ReadFlagSetting(IDC_BOLD_FONT) != 0);
    LabelFont = CreateArial(label.height, label.weight);
    ValueFont = CreateArial(value.height, value.weight);
}
