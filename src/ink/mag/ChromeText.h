#pragma once
// One line of the magazine's print chrome (mastheads, folios, labels): set in a face with
// tracking added by hand after every character, cut short with an ellipsis when it does
// not fit, and filled or shadowed at a baseline.

#include "ink/ops/GlyphRun.h"
#include "platform/Color.h"

#include <cairo.h>

#include <limits>
#include <string_view>

namespace nolby::chrome {

struct Line {
    GlyphRun run;           // what is shown: the whole text, or a cut-short head and "…"
    double ascent = 0;      // the face's, so lines of one face stand alike whatever they hold
    double descent = 0;
    bool truncated = false;

    double width() const { return run.width; }
    // The baseline that centres the line's height (ascent + descent) on `centreY`.
    double baselineCentredOn(double centreY) const { return centreY - (ascent + descent) / 2 + ascent; }
};

// The text set in the font with `tracking` points after every character. When it is wider
// than `maxWidth`, the longest head of whole characters (trailing spaces dropped) that fits
// with "…" after it; an empty line when not even that fits or `maxWidth` is not a number.
Line line(std::string_view text, const Font& font, double tracking,
          double maxWidth = std::numeric_limits<double>::infinity());

// Fills the line with its left end at x on the baseline.
void fill(cairo_t* cr, const Line& line, double x, double baseline, Color color);

// The same line's soft shadow: blurred with a Gaussian of standard deviation `radius`
// points and filled in `color`, not moved.
void shadow(cairo_t* cr, const Line& line, double x, double baseline, Color color, double radius);

// "%0*d" without the C library's locale: at least `digits` digits, the sign in front.
std::string zeroPadded(long long value, int digits);

}  // namespace nolby::chrome
