#pragma once
// The tutor's thinking mark: a six-armed star of three bowed strokes that turns, breathes
// and shimmers, drawn in a small square. Usable alone (the sheet shows it too).

#include "platform/Color.h"
#include "platform/Geometry.h"
#include "platform/Path.h"

#include <cairo.h>

namespace nolby {

struct ThinkingMark {
    Color color;

    // The square it is framed in on a page, in view points.
    static constexpr double kSide = 26;
    // Its entrance and exit: a scale from 0.6 about its centre with a fade, this long.
    static constexpr double kEntrance = 0.35;

    // The frame on a page view: kSide square, centred at (ox + s·x + 13, s·y + 6) for the
    // thinking point (x, y) in page points.
    static Rect frame(double ox, double s, Point at);

    // The three strokes in a w × h box at time t (seconds on the media clock).
    static Path strokes(double w, double h, double t);

    // Draws the mark in `frame` at time t, shown to `presence` (0...1: scaled from 0.6 about
    // the centre and faded in). Nothing for a frame or time that is not finite.
    void draw(cairo_t* cr, const Rect& frame, double t, double presence = 1) const;

    bool operator==(const ThinkingMark&) const = default;
};

}  // namespace nolby
