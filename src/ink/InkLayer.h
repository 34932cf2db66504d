#pragma once
// A layer that draws one drawing operation whole. Its own space is page points, like the
// operation's, so the operation lands where it would on the page when the layer is placed
// by make().

#include "ink/ops/InkOp.h"
#include "platform/layers/Layer.h"

#include <memory>

namespace nolby {

class InkLayer final : public Layer {
public:
    explicit InkLayer(InkOpRef op) : op(std::move(op)) {}

    // A layer over the operation's bounds (none for an operation without bounds), with
    // anchor (0, 0) and its position at the bounds' origin: in a superlayer whose space is
    // page points, the operation draws where it would on the page.
    static std::shared_ptr<InkLayer> make(InkOpRef op);

    const InkOpRef op;

    void drawContent(cairo_t* cr, double t) const override;
    Rect drawnExtent(double t) const override;
};

}  // namespace nolby
