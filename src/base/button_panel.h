// The button panel at the right end of the ticker window: the logo button, and left of it the
// search button over the expand button. Its edges are distances from the window's right edge
// w, named once for everything that draws the panel, leaves it room or asks which part of it a
// point falls on.
#pragma once

constexpr int kPanelWidth = 76;        // w - 76: the small buttons' frames; the strip ends here
constexpr int kPanelRepaint = 77;      // w - 77: repainting the small buttons starts here
constexpr int kSmallButtonFace = 75;   // w - 75: inside the small buttons' frames; points right
                                       // of it are theirs (or the logo's)
constexpr int kSmallButtonRight = 68;  // w - 68: the small buttons' frames end here
constexpr int kStripFrameRight = 67;   // w - 67: the strip frame's right line, where the
                                       // small buttons' repaint and tooltips end
constexpr int kLogoLeft = 66;          // w - 66: the logo's picture; presses right of it are
                                       // the logo's, and it tracks the pointer from here
constexpr int kLogoFrame = 65;         // w - 65: the logo's frame; releases and page requests
                                       // right of it are the logo's
