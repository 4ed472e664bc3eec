#include "app/button_rules.h"

#include "base/button_panel.h"

PanelPart PressedPart(uint16_t x, uint16_t y, int panelRight, int height) {
    if (x > panelRight - kLogoLeft) return PanelPart::kLogo;
    if (x > panelRight - kSmallButtonFace)
        return y < height / 2 ? PanelPart::kSearch : PanelPart::kExpand;
    if (x < 9) return PanelPart::kNextTopic;
    return PanelPart::kStrip;
}

PanelPart ReleasedPart(uint16_t x, uint16_t y, int panelRight, int height) {
    if (x > panelRight - kLogoFrame) return PanelPart::kLogo;
    if (x > panelRight - kSmallButtonFace)
        return y > height / 2 ? PanelPart::kExpand : PanelPart::kSearch;
    if (x < 9) return PanelPart::kNextTopic;
    return PanelPart::kStrip;
}

ChromeRect TrackingRect(PanelPart part, int w, int h) {
    switch (part) {
    case PanelPart::kLogo: return {w - kLogoLeft, 0, w, h};
    case PanelPart::kExpand: return {w - kPanelWidth, h / 2, w - kLogoLeft, h};
    case PanelPart::kSearch: return {w - kPanelWidth, 0, w - kLogoLeft, h / 2};
    case PanelPart::kNextTopic: return {0, 0, 10, h};
    case PanelPart::kStrip: break;
    }
    return {0, 0, 0, 0};
}

void ButtonFrameStrokes(int x1, int y1, int x2, int y2, bool up, FrameStroke out[kFrameStrokes]) {
    using P = FramePen;
    if (up) {
        out[0] = {P::kHighlight, x1, y2, x1, y1 + 1, x2, y1 + 1};
        out[1] = {P::kFace, x1 + 1, y2 - 2, x1 + 1, y1 + 2, x2 - 1, y1 + 2};
        out[2] = {P::kBlack, x1, y2 - 2, x2, y2 - 2, x2, y1};
        out[3] = {P::kShadow, x1 + 1, y2 - 3, x2 - 1, y2 - 3, x2 - 1, y1 + 1};
    } else {
        out[0] = {P::kBlack, x1, y2 - 2, x1, y1 + 1, x2, y1 + 1};
        out[1] = {P::kHighlight, x1 + 1, y2 - 2, x2, y2 - 2, x2, y1 + 1};
        out[2] = {P::kShadow, x1 + 1, y2 - 3, x1 + 1, y1 + 2, x2, y1 + 2};
        out[3] = {P::kFace, x1 + 2, y2 - 3, x1 + 2, y1 + 3, x2 - 1, y1 + 3};
    }
}
