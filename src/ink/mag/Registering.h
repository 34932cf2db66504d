#pragma once
// Mis-registered print: a picture with a magenta and a cyan copy multiplied over it, slid
// out of register and faded in proportion to 1 − t. Run from t = 0 to 1 it is the way a
// freshly printed cover arrives: from nothing, through colour fringes, to the plain picture.

#include "platform/Geometry.h"

#include <cairo.h>

#include <functional>

namespace nolby {

struct Registering {
    double t = 1;  // 0: out of register and invisible; 1: the picture alone

    // How far the copies sit out of register, in points: 16 at t = 0, none at t = 1.
    double offset() const;

    // Draws what `content` draws (in the context's user space, all of it within `area`)
    // at this point of the effect. At t ≥ 1 `content` draws straight into the context; at
    // t ≤ 0 (or a non-finite t) nothing is drawn.
    void draw(cairo_t* cr, const Rect& area, const std::function<void(cairo_t*)>& content) const;

    bool operator==(const Registering&) const = default;
};

}  // namespace nolby
