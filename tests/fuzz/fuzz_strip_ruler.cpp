// libFuzzer target: a StripRuler, kept from text to text as the layout keeps it, against the
// plain segment walk. The first byte chooses where the strip starts; the rest is texts split
// at zero bytes. Each text is given whole, in a block of its exact size with no zero after it,
// and then as the reply's text grows while the parser writes it: up to each "|", and up to each
// "\n" with a "|" put there for the moment, as at a link. Each time the ruler must give the
// walk's pieces, places, widths and end, say rightly whether the text changed, and measure a
// text that only grew only where it is new.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "strip_identity.h"

using namespace strip_identity;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const int32_t startX = std::vector<int32_t>{0, 11, -40, kStripXLimit - 3}[data[0] % 4];
    const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
    StripRuler ruler;
    std::string shown;  // the ruler's text
    for (size_t from = 0; from <= input.size();) {
        const std::string text = input.substr(from, input.find('\0', from) - from);
        from += text.size() + 1;

        const std::vector<char> exact(text.begin(), text.end());
        Check(ruler.SetText(exact.data(), exact.size()) == (text != shown) ? "" : "SetText");
        Meter meter;
        ruler.MeasureTo(ruler.SegmentCount(), PieceMeasure{&meter, Meter::Measure});
        Check(RulerDiffers(ruler, exact.data(), exact.size(), startX));
        shown = text;

        int links = 0;
        meter.calls = 0;
        for (size_t i = 0, checks = 0; i < text.size() && checks < 200; ++i) {
            if (text[i] != '|' && text[i] != '\n') continue;
            ++checks;
            links += text[i] == '\n';
            shown = text.substr(0, i) + "|";
            ruler.SetText(shown.c_str(), shown.size() + 1);
            ruler.MeasureTo(ruler.SegmentCount(), PieceMeasure{&meter, Meter::Measure});
            Check(RulerDiffers(ruler, shown.c_str(), shown.size() + 1, startX));
        }
        // Each link's "|" costs its segment one measurement more; nothing else is measured twice.
        Check(meter.calls <= int(ruler.SegmentCount()) + links ? "" : "measured again");
    }
    return 0;
}
