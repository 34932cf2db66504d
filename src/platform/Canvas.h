#pragma once
// A bitmap to draw into: a cairo ARGB32 (premultiplied) image surface and its context,
// owned together. Page points map to pixels through `scale`.
//
// Also the guards every drawing call goes through: cairo puts a context into a sticky
// error state on a non-invertible matrix or a bad dash array, and everything drawn
// afterwards on that page would silently vanish.

#include "platform/Color.h"
#include "platform/Geometry.h"
#include "platform/Path.h"

#include <cairo.h>

#include <memory>
#include <string>
#include <vector>

namespace nolby {

class Canvas {
public:
    // A transparent bitmap of ceil(width·scale) by ceil(height·scale) pixels whose
    // context draws in points.
    Canvas(double width, double height, double scale = 1);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_t* cr() const { return cr_; }
    cairo_surface_t* surface() const { return surface_; }
    int pixelWidth() const;
    int pixelHeight() const;
    double scale() const { return scale_; }

    void fill(Color c);
    // The straight-alpha colour of one pixel (for tests and tools).
    Color pixel(int x, int y) const;
    // Writes the bitmap as a PNG; false (and nothing left behind) on failure.
    bool writePng(const std::string& file) const;

private:
    cairo_surface_t* surface_ = nullptr;
    cairo_t* cr_ = nullptr;
    double scale_ = 1;
};

namespace draw {

void setColor(cairo_t* cr, Color c);
// Appends the path to the context's current path; elements with non-finite points are skipped.
void appendPath(cairo_t* cr, const Path& path);
// Applies `t` to the current matrix, unless it is non-finite or not invertible.
bool transform(cairo_t* cr, const Affine& t);
bool translate(cairo_t* cr, double dx, double dy);
bool scale(cairo_t* cr, double sx, double sy);
bool rotate(cairo_t* cr, double radians);
// Sets a dash pattern, or a solid line when the pattern is empty, has a negative or
// non-finite length, or is all zeros (the patterns cairo rejects).
void setDash(cairo_t* cr, const std::vector<double>& dash, double phase = 0);
void setLineWidth(cairo_t* cr, double width);
// Clips to a rectangle; a non-finite one clips everything away.
void clipRect(cairo_t* cr, const Rect& r);
// Fills a path in a colour with the operator given (cairo's, e.g. from cairoOperator()),
// by the winding rule or the even-odd rule, leaving the context's state as it was.
void fillPath(cairo_t* cr, const Path& path, Color color, cairo_operator_t op = CAIRO_OPERATOR_OVER,
              bool evenOdd = false);

// Save and restore around a scope, so no setting leaks into the caller's context.
class Saved {
public:
    explicit Saved(cairo_t* cr) : cr_(cr) { cairo_save(cr_); }
    ~Saved() { cairo_restore(cr_); }
    Saved(const Saved&) = delete;
    Saved& operator=(const Saved&) = delete;

private:
    cairo_t* cr_;
};

}  // namespace draw
}  // namespace nolby
