#include "page/LiveStroke.h"

#include "ink/Ink.h"
#include "platform/Canvas.h"

namespace nolby {

Color LiveStroke::fillColor() const { return marker ? Ink::marker(markerName).withAlpha(0.75) : penColor; }

void LiveStroke::draw(cairo_t* cr) const {
    if (!cr || !outline) return;
    draw::Saved saved(cr);
    if (!draw::translate(cr, ox, 0) || !draw::scale(cr, scale, scale)) return;
    draw::fillPath(cr, *outline, fillColor(), fillOperator());
}

}  // namespace nolby
