#include "shell/strip_fonts_win.h"
#include <initializer_list>

#include "res/resource.h"
#include "settings/settings_store_win.h"
#include "shell/font_rules.h"

HFONT LabelFont;
HFONT ValueFont;
std::mutex StripFontLock;

namespace {

void DeleteFonts() {
    for (HFONT* font : {&LabelFont, &ValueFont}) {
        if (*font) DeleteObject(*font);
        *font = nullptr;
    }
}

}  // namespace

HFONT CreateArial(int height, int weight) {
    return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET,
                       OUT_CHARACTER_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, VARIABLE_PITCH,
                       "Arial");
}

void DeleteStripFonts() {
    std::lock_guard<std::mutex> hold(StripFontLock);
    DeleteFonts();
}

void CreateStripFonts(HWND window) {
    RECT rc;
    GetClientRect(window, &rc);
    std::lock_guard<std::mutex> hold(StripFontLock);
    DeleteFonts();
    StripFontSizes label = LabelFontSize(rc.bottom, ReadFlagSetting(IDC_BOLD_FONT) != 0);
    StripFontSizes value = ValueFontSize(rc.bottom, ReadFlagSetting(IDC_BOLD_FONT) != 0);
    LabelFont = CreateArial(label.height, label.weight);
    ValueFont = CreateArial(value.height, value.weight);
}
