#pragma once
// A layer that fills and strokes a path laid out in its own coordinate space. The path is
// not clipped to the bounds. `strokeEnd` strokes only the first part of the path by arc
// length (the whole path at 1, nothing at 0), curves measured as cairo flattens them at the
// drawing resolution; the fill always covers the whole path.

#include "platform/Path.h"
#include "platform/layers/Layer.h"

#include <optional>
#include <vector>

namespace nolby {

class ShapeLayer final : public Layer {
public:
    Path path;
    std::optional<Color> fillColor = Color{0, 0, 0, 1};  // none: no fill
    std::optional<Color> strokeColor;                    // none: no stroke
    double lineWidth = 1;
    LineCap lineCap = LineCap::butt;
    LineJoin lineJoin = LineJoin::miter;
    double miterLimit = 10;
    std::vector<double> lineDashPattern;  // empty: solid
    bool evenOdd = false;                 // the fill rule; false: non-zero winding
    double strokeEnd = 1;

    LayerValue value(KeyPath key) const override;
    void drawContent(cairo_t* cr, double t) const override;
    Rect drawnExtent(double t) const override;
};

}  // namespace nolby
