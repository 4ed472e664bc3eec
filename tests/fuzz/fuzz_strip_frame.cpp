// libFuzzer target: frames drawn from kept widths (WalkVisibleFrame) against the painter's
// plain walk (WalkFrame), with one ruler kept from frame to frame as the painter keeps it. The
// first 16 bytes choose the margin, the window, the view and the ink's reach, and four offsets,
// each drawn and then once more one pixel further on, as the strip scrolls; the rest is the
// text, in a block of its exact size. Every frame draws what the walk draws where it can show
// and leaves the pen where the walk leaves it, and no segment is ever measured twice.
#include <cstdio>
#include <cstdlib>

#include "strip_identity.h"

using namespace strip_identity;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 16) return 0;
    const std::vector<char> text(data + 16, data + size);
    const int32_t windows[] = {0, 1, 60, 600, 1024, 3000, 88, 523};
    Frame f{data[0] % 2 ? kStartMargin : 0, 0, windows[data[1] % 8], FrameView{}};
    f.view.left = data[2] % 2 ? 10 : 1;
    f.view.right = std::max(f.view.left, f.clientWidth - 77);
    f.view.inkLeft = data[3] % 4;
    f.view.inkRight = data[3] / 4 % 4;
    StripRuler ruler;
    ruler.SetText(text.data(), text.size());
    const int64_t end =
        WalkStrip(text.data(), text.size(), 0,
                  StripWalker{nullptr, [](void*, const StripPiece& p) { return Width(p); }, nullptr,
                              nullptr});
    Drawing fast;
    for (const uint8_t* pick = data + 4; pick < data + 16; pick += 3) {
        const int64_t r = pick[1] | pick[2] << 8;
        const int64_t offsets[] = {
            r % 700 - 350, end - r % 1000, end + r % 100, -r, kStripXLimit + 600 - r % 2000,
            r * 40000};
        f.offset = int32_t(std::clamp<int64_t>(offsets[pick[0] % 6], INT_MIN + 1, INT_MAX - 1));
        Check(FrameDiffers(ruler, text.data(), text.size(), f, fast));
        ++f.offset;
        Check(FrameDiffers(ruler, text.data(), text.size(), f, fast));
    }
    Check(fast.meter.calls == int(ruler.MeasuredCount()) ? "" : "measured twice");
    return 0;
}
