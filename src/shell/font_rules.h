// Sizes of the two strip fonts for a ticker of client height h.
#pragma once

struct StripFontSizes {
    int height;  // character cell height in pixels
    int weight;  // 700 bold, 400 normal
};

StripFontSizes LabelFontSize(int clientHeight, bool bold);
StripFontSizes ValueFontSize(int clientHeight, bool bold);
