#include "display/strip_dc_win.h"

#include <cstddef>
#include <cstring>
#include <string>

#include "shell/strip_fonts_win.h"

namespace {

// The face name counts up to its zero byte only: what follows it is not part of it.
bool SameFont(const LOGFONTA& a, const LOGFONTA& b) {
    return std::memcmp(&a, &b, offsetof(LOGFONTA, lfFaceName)) == 0 &&
           std::strncmp(a.lfFaceName, b.lfFaceName, LF_FACESIZE) == 0;
}

}  // namespace

StripFontKey StripFontKey::Current() {
    StripFontKey key;
    key.label = LabelFont;
    key.value = ValueFont;
    if (key.label) GetObjectA(key.label, sizeof key.labelFont, &key.labelFont);
    if (key.value) GetObjectA(key.value, sizeof key.valueFont, &key.valueFont);
    return key;
}

bool StripFontKey::operator==(const StripFontKey& other) const {
    return label == other.label && value == other.value && SameFont(labelFont, other.labelFont) &&
           SameFont(valueFont, other.valueFont);
}

void StripFontSwitch::Use(bool value) {
    HFONT font = value ? ValueFont : LabelFont;
    if (font != selected) {
        SelectObject(dc, font);
        selected = font;
    }
}

int32_t SwitchedExtentWidth(void* context, const StripPiece& piece) {
    StripFontSwitch& fonts = *static_cast<StripFontSwitch*>(context);
    fonts.Use(piece.value);
    SIZE size{0, 0};
    GetTextExtentPoint32A(fonts.dc, piece.bytes, static_cast<int>(piece.length), &size);
    return size.cx;
}

StripByteWidths MeasureByteWidths(HDC dc) {
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

int32_t SummedWidth(void* context, const StripPiece& piece) {
    const StripByteWidths& w = *static_cast<const StripByteWidths*>(context);
    return SumOfByteWidths(w.widths[piece.value ? 1 : 0], piece.bytes, piece.length);
}
