#pragma once
// A magnifying glass: a circle in which what lies below is shown enlarged, under a glass
// with a misted edge, a rim, a highlight and a soft shadow.

#include "platform/Geometry.h"

#include <cairo.h>

#include <functional>

namespace nolby {

struct Lens {
    Point center;       // in the view's coordinates (origin at its top left)
    double radius = 0;
    double power = 1;   // magnification of the content under the lens
    Size size;          // the view, and the content drawn under it

    // Draws the lens with the view's top left at `origin`; `under` draws the content as it
    // lies in the view (at the view's coordinates), and is drawn enlarged inside the circle.
    void draw(cairo_t* cr, Point origin, const std::function<void(cairo_t*)>& under) const;
};

}  // namespace nolby
