// The strokes of a 3-D frame, as the ticker's buttons and the preferences' colour swatches draw
// theirs: each from a start through a corner to an end (the end pixel not drawn), in one of the
// system's button colours or black.
#pragma once

enum class FramePen { kHighlight, kFace, kShadow, kBlack };

struct FrameStroke {
    FramePen pen;
    int x0, y0, x1, y1, x2, y2;
};
