#pragma once
// A painting laid on the page with multiply, so the paper shows through; it is uncovered
// from the top and fades in as it comes.

#include "ink/ops/InkOp.h"
#include "platform/Image.h"

namespace nolby {

class ImageOp : public InkOp {
public:
    ImageOp(std::shared_ptr<const Image> image, Rect dst) : image(std::move(image)), dst(dst) {}

    const std::shared_ptr<const Image> image;
    const Rect dst;

    double cost() const override { return 1400; }
    double pace() const override { return 0.8; }
    void draw(cairo_t* cr, double t) const override;
    Rect bounds() const override { return dst; }
    const char* className() const override { return "ImageOp"; }
};

}  // namespace nolby
