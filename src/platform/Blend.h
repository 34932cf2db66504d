#pragma once
// Blend modes, line caps and joins as the layouts name them, mapped onto cairo.

#include <cairo.h>

#include <string_view>

namespace nolby {

enum class BlendMode {
    normal, multiply, screen, overlay, darken, lighten, colorDodge, colorBurn, softLight, hardLight,
    difference, exclusion, hue, saturation, color, luminosity,
    clear, copy, sourceIn, sourceOut, sourceAtop, destinationOver, destinationIn, destinationOut,
    destinationAtop, xorMode, plusLighter,
};

enum class LineCap { butt, round, square };
enum class LineJoin { miter, round, bevel };

cairo_operator_t cairoOperator(BlendMode mode);
// "normal", "multiply", "destinationIn", ...
std::string_view blendName(BlendMode mode);

namespace draw {
inline void setBlend(cairo_t* cr, BlendMode mode) { cairo_set_operator(cr, cairoOperator(mode)); }
void setCap(cairo_t* cr, LineCap cap);
void setJoin(cairo_t* cr, LineJoin join);
}  // namespace draw

}  // namespace nolby
