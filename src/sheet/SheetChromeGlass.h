#pragma once
// The sheet chrome's glass: a light translucent panel that floats over the paper (a soft
// shadow under it, a sheen across its top and a thin bright rim), drawn by our own code
// since the desktop has no glass material to lend.

#include "platform/Color.h"
#include "platform/Geometry.h"

#include <cairo.h>

namespace nolby::glass {

// A glass panel filling `frame` with corners of `radius` (half the height: a capsule; half
// the side of a square: a circle). `pressed` darkens it a little.
void panel(cairo_t* cr, const Rect& frame, double radius, bool pressed = false);

// The deep dive's close button: a glass circle filling `frame` with a bold cross in it.
void closeButton(cairo_t* cr, const Rect& frame, bool pressed = false);

}  // namespace nolby::glass
