// The unit tests' fake measurement of the strip fonts: every label character is 7 pixels
// wide, every value character 9.
#pragma once
#include <cstdint>

#include "display/strip_text.h"

constexpr int32_t kLabelChar = 7;
constexpr int32_t kValueChar = 9;

inline int32_t FakeWidth(const StripPiece& piece) {
    return static_cast<int32_t>(piece.length) * (piece.value ? kValueChar : kLabelChar);
}
