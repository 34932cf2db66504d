#pragma once
// What a cover shows until its painting exists: the palette as a gradient under a
// halftone of dots that grow toward the foot, and, while the press is painting it, the
// pulsing mark "ON THE PRESS".

#include "ink/Mag.h"
#include "platform/Geometry.h"

#include <cairo.h>

#include <vector>

namespace nolby {

// The pulsing mark: "ON THE PRESS" in white, its opacity swinging between 0.35 and 0.95.
struct PressMark {
    double on = 0;  // 0: the low point of the pulse, 1: the high point

    // Seconds each swing of the pulse takes (it eases in and out, then reverses).
    static constexpr double kSwing = 0.9;
    // Where the pulse is `seconds` after the mark appeared, from 0 at its start.
    static double pulse(double seconds);
    double opacity() const;

    void draw(cairo_t* cr, const Rect& frame) const;
};

struct Unprinted {
    Mag::Inks inks;
    bool printing = false;  // the press is painting this cover: the mark shows
    PressMark mark;

    struct Dot {
        Point centre;
        double radius = 0;
        bool operator==(const Dot&) const = default;
    };
    // The halftone of a frame of `size`: pitch 1/34 of the width (at least 5), staggered rows
    // 0.87 pitch apart, no dots in the top 35 %, radii growing to 0.46 pitch at the foot;
    // dots of 0.3 points or less are left out.
    static std::vector<Dot> halftone(Size size);
    // The halftone's pitch and first row for a width.
    static double pitch(double width);

    void draw(cairo_t* cr, const Rect& frame) const;
};

}  // namespace nolby
