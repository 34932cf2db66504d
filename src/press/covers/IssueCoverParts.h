#pragma once
// What the cover's designs share inside the cover code: the frame being drawn, the faces,
// soft-shadowed text and pictures filling a rectangle.

#include "ink/Mag.h"
#include "ink/mag/TextBlock.h"
#include "platform/Image.h"
#include "press/covers/IssueCover.h"

#include <cairo.h>

#include <memory>
#include <string>

namespace nolby {

struct IssueCover::Frame {
    double W, H;
    bool large;
    Drawn* drawn;

    // How far a large cover moves its top pieces down.
    double drop() const { return large ? 46 : 0; }
    void said(const std::string& text) const { drawn->texts.push_back(text); }
    void said(const chrome::Block& block) const {
        for (const chrome::Line& l : block.lines) said(l.run.text);
    }
};

namespace cover {

// Fraunces with every axis set: the weight, soft 100, the optical size following the size
// within 9...144, and the wonk.
std::shared_ptr<const Font> fraunces(double size, double weight, double wonk);
// The chrome's sans: Futura Bold or Medium through their stand-ins.
std::shared_ptr<const Font> futura(bool bold, double size);

// A soft shadow of `radius` points offset by (0, dy) under the text, then nothing else: the
// caller fills the text over it.
void shadowed(cairo_t* cr, const chrome::Block& block, double x, double top, Color color, double radius, double dy);
void shadowedLine(cairo_t* cr, const chrome::Line& line, double x, double baseline, Color color, double radius,
                  double dy);

// The picture scaled to fill the rectangle (centred, the overflow cut off).
void fillWith(cairo_t* cr, const Image& image, const Rect& area);
void fillRect(cairo_t* cr, const Rect& r, Color color);
// A vertical linear gradient over `area` from `a` at y0 to `b` at y1 (extended flat beyond).
void shade(cairo_t* cr, const Rect& area, double y0, Color a, double y1, Color b);

}  // namespace cover
}  // namespace nolby
