// Measuring strip pieces in a device context with the two strip fonts, for the layout (feed
// worker) and the painter (window thread); each keeps its own state, nothing here is shared.
#pragma once
#include <windows.h>

#include <cstdint>

#include "display/strip_text.h"

// What kept widths depend on: the two strip fonts. Compared by handle and by description, as
// a font made again by the preferences may come back under the handle of the one it replaced.
struct StripFontKey {
    HFONT label = nullptr, value = nullptr;
    LOGFONTA labelFont{}, valueFont{};

    static StripFontKey Current();
    // Both fonts exist. Without one of them every segment is measured in whatever font the one
    // before it left selected, which only a walk in text order reproduces.
    bool Complete() const { return label && value; }
    bool operator==(const StripFontKey& other) const;
    bool operator!=(const StripFontKey& other) const { return !(*this == other); }
};

// A device context whose font is changed only when a piece needs the other strip font. Both
// fonts must exist.
struct StripFontSwitch {
    HDC dc;
    HFONT selected;  // what this switch last selected; none at first

    void Use(bool value);
};

// GetTextExtentPoint32A of the piece in its font: how link positions and frames measure.
// context is a StripFontSwitch.
int32_t SwitchedExtentWidth(void* context, const StripPiece& piece);

// The width of every byte alone in the label font ([0]) and the value font ([1]). Unless the
// system kerns or joins characters when it measures, or reads text in a code page of more than
// one byte per character, GetTextExtentPoint32A gives a piece the sum of its bytes' widths;
// additive says that strings chosen to show any of that measured exactly as their sums in both
// fonts, and the widths are used only then. (Drawing is another matter: TextOutA may shape
// text, so where a byte is drawn is not read from these widths.)
struct StripByteWidths {
    bool additive = false;
    int32_t widths[2][256] = {};
};

// Measures the byte widths of the two strip fonts in dc, selecting them in turn; both must
// exist. Costs some 520 measurements: once per pair of fonts.
StripByteWidths MeasureByteWidths(HDC dc);

// The piece's width as the sum of its bytes' widths; context is a StripByteWidths.
int32_t SummedWidth(void* context, const StripPiece& piece);
