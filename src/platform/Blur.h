#pragma once
// Gaussian blur of our own (cairo has none) and the soft shadows built on it. The blur is
// three box passes per axis in integer arithmetic, so it gives the same pixels every run.

#include "platform/Color.h"
#include "platform/Geometry.h"

#include <cairo.h>

#include <functional>

namespace nolby {

// Blurs an A8 or ARGB32 image surface in place with a Gaussian of standard deviation
// `sigma` pixels; pixels beyond the edges count as transparent. Does nothing for a sigma
// below a third of a pixel, a non-finite one or any other surface format.
void blurSurface(cairo_surface_t* surface, double sigma);

// The widths of the three box passes that stand in for a Gaussian of `sigma` pixels
// (odd, each at least 1).
struct BoxWidths {
    int w[3];
};
BoxWidths boxesForGaussian(double sigma);

// Draws the soft shadow of what `paint` draws: its coverage, blurred with a Gaussian whose
// standard deviation is `radius` user units, filled in `color` and moved by (dx, dy) user
// units. `bounds` (user units) must hold everything `paint` draws. The shadow is rendered
// at the context's device resolution, so it looks the same at every zoom. Nothing for a
// non-finite or empty `bounds`, a colour without alpha or a context that cannot draw.
void drawShadow(cairo_t* cr, const Rect& bounds, Color color, double radius, double dx, double dy,
                const std::function<void(cairo_t*)>& paint);

}  // namespace nolby
