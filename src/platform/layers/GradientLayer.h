#pragma once
// A layer filled with a colour gradient over its bounds. Points are unit coordinates of
// the bounds ((0, 0) top-left, (1, 1) bottom-right). Beyond the first and last stop the end
// colours extend.
//  - axial: colours run from startPoint to endPoint, constant across;
//  - radial: an ellipse centred on startPoint whose radii reach endPoint: the horizontal
//    radius is |end.x − start.x| of the width, the vertical |end.y − start.y| of the height.
// A gradient without extent (the two points equal) shows its last colour.

#include "platform/layers/Layer.h"

#include <vector>

namespace nolby {

class GradientLayer final : public Layer {
public:
    enum class Type { axial, radial };

    Type type = Type::axial;
    std::vector<Color> colors;
    // One location (0...1) per colour; otherwise the colours are spaced evenly.
    std::vector<double> locations;
    Point startPoint{0.5, 0};
    Point endPoint{0.5, 1};

    LayerValue value(KeyPath key) const override;
    void drawContent(cairo_t* cr, double t) const override;
    Rect drawnExtent(double t) const override;
};

}  // namespace nolby
