#pragma once
// The tutor reading a page: pencil underlines sweeping along the lines it reads, one line
// after another, 0.55 s apart and 0.55 s each, each fading to a faint trace when done.

#include "platform/Geometry.h"
#include "platform/Path.h"

#include <cairo.h>

#include <vector>

namespace nolby {

struct ReadingSweep {
    std::vector<Rect> lines;  // page points
    double start = 0;         // media-clock time the first line starts
    double scale = 1;
    Point origin;             // where page point (0, 0) sits in the view

    static constexpr double kStep = 0.55;  // per line
    // Its entrance and exit fade.
    static constexpr double kFade = 0.35;

    // One started line's underline at a moment.
    struct Underline {
        size_t line = 0;
        double progress = 0;  // (elapsed − 0.55 i) / 0.55; above 1 once swept
        double reach = 0;     // the eased share of the line's length drawn, 0...1
        double opacity = 0;   // 0.7 while sweeping, fading to 0.385 after
        Path path;            // page points
    };
    // The underlines of the lines started by `now`, first line first.
    std::vector<Underline> underlines(double now) const;

    // Draws the underlines at `now`, faded to `presence`.
    void draw(cairo_t* cr, double now, double presence = 1) const;
    // Whether the picture still changes after `now` (a line to start, sweep or fade).
    bool animating(double now) const;

    bool operator==(const ReadingSweep&) const = default;
};

}  // namespace nolby
