#include "page/InkPatch.h"

#include "platform/Canvas.h"
#include "platform/Clock.h"
#include "platform/Perf.h"

#include <cmath>
#include <string>

namespace nolby {

Rect InkPatch::box() const {
    Rect u = Rect::null();
    for (const InkOpRef& op : ops)
        if (op) u = u.united(op->bounds());
    if (u.isNull()) return u;
    Rect grown = u.insetBy(-6, -6);
    if (!(grown.w > 0) || !(grown.h > 0)) return Rect::null();
    return grown;
}

Rect InkPatch::frame() const {
    const Rect b = box();
    if (b.isNull() || !std::isfinite(scale) || !(scale > 0)) return Rect::null();
    const Rect f{origin.x + scale * b.x, origin.y + scale * b.y, scale * b.w, scale * b.h};
    if (!std::isfinite(f.x) || !std::isfinite(f.y) || !std::isfinite(f.w) || !std::isfinite(f.h)) return Rect::null();
    return f;
}

void InkPatch::draw(cairo_t* cr) const {
    const Rect f = frame();
    if (!cr || f.isNull()) return;
    const Rect b = box();
    auto clock = SteadyClock::shared();
    Perf::timed([&] { return clock->now(); }, [&] { return "patch " + std::to_string(ops.size()) + " ops"; },
                [&] {
                    draw::Saved saved(cr);
                    draw::clipRect(cr, f);
                    if (!draw::translate(cr, f.x, f.y) || !draw::scale(cr, scale, scale) ||
                        !draw::translate(cr, -b.x, -b.y))
                        return;
                    for (const InkOpRef& op : ops)
                        if (op) op->draw(cr, 1);
                });
}

}  // namespace nolby
