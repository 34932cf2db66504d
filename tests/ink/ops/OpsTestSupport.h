#pragma once
// Small helpers for drawing-operation tests: render an operation and compare pictures.

#include "ink/Faces.h"
#include "ink/Ink.h"
#include "ink/ops/InkOp.h"
#include "platform/Canvas.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace nolby::testing {

inline std::vector<uint8_t> pixels(const Canvas& c) {
    cairo_surface_flush(c.surface());
    const uint8_t* data = cairo_image_surface_get_data(c.surface());
    return {data, data + cairo_image_surface_get_stride(c.surface()) * c.pixelHeight()};
}

inline std::vector<uint8_t> render(const InkOp& op, double t, double w = 120, double h = 60) {
    Canvas c(w, h);
    op.draw(c.cr(), t);
    EXPECT_EQ(cairo_status(c.cr()), CAIRO_STATUS_SUCCESS);
    return pixels(c);
}

inline bool blank(const std::vector<uint8_t>& px) {
    for (uint8_t b : px)
        if (b) return false;
    return true;
}

inline std::shared_ptr<const Font> handFont(double size) {
    Faces::registerFrom();
    return Faces::font(Faces::Face::hand, size);
}

}  // namespace nolby::testing
