#pragma once
// Drawing a layer tree at a moment of the media clock, and the questions a host asks of
// it between frames: is anything still moving, at what frame rate, and which finished
// animations can go.

#include "platform/Color.h"
#include "platform/layers/Layer.h"

#include <cairo.h>

#include <optional>

namespace nolby::layers {

// Draws `root` and everything under it as presented at media time t. The context's current
// space is the root's superlayer space. Leaves the context's state as it found it; a
// transform that cannot be inverted hides its layer instead of breaking the context.
void render(cairo_t* cr, const Layer& root, double t);

// A new bitmap of w × h points at `scale` pixels per point (each side rounded up), filled
// with `backdrop` (transparent when none), with `root` rendered at time t over it. Null
// when the size or scale is not finite and positive or the bitmap would be too large.
ImageRef snapshot(const Layer& root, double w, double h, double scale, double t,
                  std::optional<Color> backdrop = std::nullopt);

// True while some animation in the tree (masks included) has not ended at t: running,
// or waiting for its begin time. Animations kept after their end do not count.
bool animating(const Layer& root, double t);

// The combined frame-rate range of the animations not ended at t (the largest of each
// field); all zero when nothing animates.
FrameRateRange frameRate(const Layer& root, double t);

// Drops, everywhere in the tree, the animations that have ended by t and are removed on
// completion (they no longer show); returns how many went.
size_t prune(Layer& root, double t);

}  // namespace nolby::layers
