#pragma once
// The perceptual colour space Oklab, for mixing colours so that the halfway point looks
// halfway: sRGB is decoded to linear light, taken into Oklab, mixed there and brought back.

#include "platform/Color.h"

namespace nolby::oklab {

struct Lab {
    double L = 0, a = 0, b = 0, alpha = 1;
};

Lab fromColor(Color c);
// Back to sRGB; components outside the gamut are clamped to 0...1.
Color toColor(const Lab& lab);

// `from` moved `fraction` of the way toward `to` in Oklab (0: from, 1: to), alpha mixed
// linearly. A non-finite fraction counts as 0.
Color mix(Color from, Color to, double fraction);

}  // namespace nolby::oklab
