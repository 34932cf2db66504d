#include "ink/InkLayer.h"

namespace nolby {

namespace {
// Antialiasing and round caps may reach a little past an operation's bounds.
constexpr double fringe = 2;
}  // namespace

std::shared_ptr<InkLayer> InkLayer::make(InkOpRef op) {
    auto l = std::make_shared<InkLayer>(std::move(op));
    l->anchorPoint = {0, 0};
    Rect b = l->op ? l->op->bounds() : Rect::null();
    if (!b.isNull() && std::isfinite(b.x) && std::isfinite(b.y) && std::isfinite(b.w) && std::isfinite(b.h)) {
        l->bounds = b.standardized();
        l->position = {l->bounds.x, l->bounds.y};
    }
    return l;
}

void InkLayer::drawContent(cairo_t* cr, double t) const {
    Layer::drawContent(cr, t);
    if (op) op->draw(cr, 1);
}

Rect InkLayer::drawnExtent(double t) const {
    Rect e = Layer::drawnExtent(t);
    if (!op) return e;
    Rect b = op->bounds();
    if (b.isNull()) return e;
    return e.united(b.insetBy(-fringe, -fringe));
}

}  // namespace nolby
