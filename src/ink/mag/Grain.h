#pragma once
// Printed grain over whatever is already drawn: the magazine's grain tile repeated across a
// frame at two tile pixels per point, laid on with the overlay blend at a given strength.

#include "platform/Geometry.h"

#include <cairo.h>

namespace nolby {

struct Grain {
    double amount = 0;  // the grain's opacity, 0...1

    // Lays the grain over `frame` (user units), the tile starting at the frame's top left.
    // Nothing for an amount of 0 or less, or a frame that is empty or not finite.
    void draw(cairo_t* cr, const Rect& frame) const;

    bool operator==(const Grain&) const = default;
};

}  // namespace nolby
