// Measuring strip pieces in a device context with the two strip fonts, for the layout (feed
// worker) and the painter (window thread); each keeps its own state, nothing here is shared.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "display/strip_text.h"
#include "shell/strip_fonts_win.h"

// What kept widths depend on: the two strip fonts. Compared by handle and by description, as
// a font made again by the preferences may come back under the handle of the one it replaced.
struct StripFontKey {
    HFONT label = nullptr, value = nullptr;
    LOGFONTA labelFont{}, valueFont{};

    static StripFontKey Current() {
        StripFontKey key;
        key.label = LabelFont;
        key.value = ValueFont;
        if (key.label) GetObjectA(key.label, sizeof key.labelFont, &key.labelFont);
        if (key.value) GetObjectA(key.value, sizeof key.valueFont, &key.valueFont);
        return key;
    }
    // Both fonts exist. Without one of them every segment is measured in whatever font the one
    // before it left selected, which only a walk in text order reproduces.
    bool Complete() const { return label && value; }
    bool operator==(const StripFontKey& other) const {
        return label == other.label && value == other.value &&
               SameFont(labelFont, other.labelFont) && SameFont(valueFont, other.valueFont);
    }
    bool operator!=(const StripFontKey& other) const { return !(*this == other); }

    // The face name counts up to its zero byte only: what follows it is not part of it.
    static bool SameFont(const LOGFONTA& a, const LOGFONTA& b) {
        return std::memcmp(&a, &b, offsetof(LOGFONTA, lfFaceName)) == 0 &&
               std::strncmp(a.lfFaceName, b.lfFaceName, LF_FACESIZE) == 0;
    }
};

// A device context whose font is changed only when a piece needs the other strip font. Both
// fonts must exist.
struct StripFontSwitch {
    HDC dc;
    HFONT selected;  // what this switch last selected; none at first

    void Use(bool value) {
        HFONT font = value ? ValueFont : LabelFont;
        if (font != selected) {
            SelectObject(dc, font);
            selected = font;
        }
    }
};

// GetTextExtentPoint32A of the piece in its font: how link positions and frames measure.
inline int32_t SwitchedExtentWidth(void* context, const StripPiece& piece) {
    StripFontSwitch& fonts = *static_cast<StripFontSwitch*>(context);
    fonts.Use(piece.value);
    SIZE size{0, 0};
    GetTextExtentPoint32A(fonts.dc, piece.bytes, static_cast<int>(piece.length), &size);
    return size.cx;
}

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
inline StripByteWidths MeasureByteWidths(HDC dc) {
    std::string probes[5];
    for (int c = 1; c < 256; ++c) {
        probes[0] += static_cast<char>(c);                      // every byte in order
        probes[1] += static_cast<char>(256 - c);                // and backwards
        probes[2] += static_cast<char>(0x80 + (c * 37) % 128);  // high bytes in odd pairs
    }
    probes[3] = "AVAWAYATAvAwAyFAF.LTLVLWLYLyPAP.P,TATaTeToTrTyT.T,VAVaVeVoV.WAWaWeWoW.YAYaYeYoY."
                "ffffifflfjff.r.r,y.v.\"A'A";       // pairs that fonts kern or join
    probes[4] = std::string(kSegmentTextMax, 'W');  // the longest piece there is

    StripByteWidths w;
    w.additive = true;
    for (int value = 0; value < 2; ++value) {
        SelectObject(dc, value ? ValueFont : LabelFont);
        for (int c = 1; c < 256; ++c) {
            const char byte = static_cast<char>(c);
            SIZE size{0, 0};
            GetTextExtentPoint32A(dc, &byte, 1, &size);
            w.widths[value][c] = size.cx;
        }
        for (const std::string& probe : probes) {
            SIZE size{0, 0};
            GetTextExtentPoint32A(dc, probe.data(), static_cast<int>(probe.size()), &size);
            if (size.cx != SumOfByteWidths(w.widths[value], probe.data(), probe.size()))
                w.additive = false;
        }
    }
    return w;
}

// The piece's width as the sum of its bytes' widths; context is a StripByteWidths.
inline int32_t SummedWidth(void* context, const StripPiece& piece) {
    const StripByteWidths& w = *static_cast<const StripByteWidths*>(context);
    return SumOfByteWidths(w.widths[piece.value ? 1 : 0], piece.bytes, piece.length);
}
