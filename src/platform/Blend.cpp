#include "platform/Blend.h"

namespace nolby {

cairo_operator_t cairoOperator(BlendMode mode) {
    switch (mode) {
        case BlendMode::normal: return CAIRO_OPERATOR_OVER;
        case BlendMode::multiply: return CAIRO_OPERATOR_MULTIPLY;
        case BlendMode::screen: return CAIRO_OPERATOR_SCREEN;
        case BlendMode::overlay: return CAIRO_OPERATOR_OVERLAY;
        case BlendMode::darken: return CAIRO_OPERATOR_DARKEN;
        case BlendMode::lighten: return CAIRO_OPERATOR_LIGHTEN;
        case BlendMode::colorDodge: return CAIRO_OPERATOR_COLOR_DODGE;
        case BlendMode::colorBurn: return CAIRO_OPERATOR_COLOR_BURN;
        case BlendMode::softLight: return CAIRO_OPERATOR_SOFT_LIGHT;
        case BlendMode::hardLight: return CAIRO_OPERATOR_HARD_LIGHT;
        case BlendMode::difference: return CAIRO_OPERATOR_DIFFERENCE;
        case BlendMode::exclusion: return CAIRO_OPERATOR_EXCLUSION;
        case BlendMode::hue: return CAIRO_OPERATOR_HSL_HUE;
        case BlendMode::saturation: return CAIRO_OPERATOR_HSL_SATURATION;
        case BlendMode::color: return CAIRO_OPERATOR_HSL_COLOR;
        case BlendMode::luminosity: return CAIRO_OPERATOR_HSL_LUMINOSITY;
        case BlendMode::clear: return CAIRO_OPERATOR_CLEAR;
        case BlendMode::copy: return CAIRO_OPERATOR_SOURCE;
        case BlendMode::sourceIn: return CAIRO_OPERATOR_IN;
        case BlendMode::sourceOut: return CAIRO_OPERATOR_OUT;
        case BlendMode::sourceAtop: return CAIRO_OPERATOR_ATOP;
        case BlendMode::destinationOver: return CAIRO_OPERATOR_DEST_OVER;
        case BlendMode::destinationIn: return CAIRO_OPERATOR_DEST_IN;
        case BlendMode::destinationOut: return CAIRO_OPERATOR_DEST_OUT;
        case BlendMode::destinationAtop: return CAIRO_OPERATOR_DEST_ATOP;
        case BlendMode::xorMode: return CAIRO_OPERATOR_XOR;
        case BlendMode::plusLighter: return CAIRO_OPERATOR_ADD;
    }
    return CAIRO_OPERATOR_OVER;
}

std::string_view blendName(BlendMode mode) {
    switch (mode) {
        case BlendMode::normal: return "normal";
        case BlendMode::multiply: return "multiply";
        case BlendMode::screen: return "screen";
        case BlendMode::overlay: return "overlay";
        case BlendMode::darken: return "darken";
        case BlendMode::lighten: return "lighten";
        case BlendMode::colorDodge: return "colorDodge";
        case BlendMode::colorBurn: return "colorBurn";
        case BlendMode::softLight: return "softLight";
        case BlendMode::hardLight: return "hardLight";
        case BlendMode::difference: return "difference";
        case BlendMode::exclusion: return "exclusion";
        case BlendMode::hue: return "hue";
        case BlendMode::saturation: return "saturation";
        case BlendMode::color: return "color";
        case BlendMode::luminosity: return "luminosity";
        case BlendMode::clear: return "clear";
        case BlendMode::copy: return "copy";
        case BlendMode::sourceIn: return "sourceIn";
        case BlendMode::sourceOut: return "sourceOut";
        case BlendMode::sourceAtop: return "sourceAtop";
        case BlendMode::destinationOver: return "destinationOver";
        case BlendMode::destinationIn: return "destinationIn";
        case BlendMode::destinationOut: return "destinationOut";
        case BlendMode::destinationAtop: return "destinationAtop";
        case BlendMode::xorMode: return "xor";
        case BlendMode::plusLighter: return "plusLighter";
    }
    return "normal";
}

namespace draw {

void setCap(cairo_t* cr, LineCap cap) {
    cairo_set_line_cap(cr, cap == LineCap::round    ? CAIRO_LINE_CAP_ROUND
                           : cap == LineCap::square ? CAIRO_LINE_CAP_SQUARE
                                                    : CAIRO_LINE_CAP_BUTT);
}

void setJoin(cairo_t* cr, LineJoin join) {
    cairo_set_line_join(cr, join == LineJoin::round   ? CAIRO_LINE_JOIN_ROUND
                            : join == LineJoin::bevel ? CAIRO_LINE_JOIN_BEVEL
                                                      : CAIRO_LINE_JOIN_MITER);
}

}  // namespace draw
}  // namespace nolby
