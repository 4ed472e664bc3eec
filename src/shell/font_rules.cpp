#include "shell/font_rules.h"

StripFontSizes LabelFontSize(int clientHeight, bool bold) {
    return {3 * clientHeight / 4, bold ? 700 : 400};
}

StripFontSizes ValueFontSize(int clientHeight, bool bold) {
    return {bold ? clientHeight - 3 : clientHeight - 4, bold ? 700 : 400};
}
