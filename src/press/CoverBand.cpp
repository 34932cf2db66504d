#include "press/CoverBand.h"

#include "ink/mag/Registering.h"
#include "platform/Canvas.h"

#include <algorithm>
#include <cmath>

namespace nolby {

CoverBand::Look CoverBand::look(PressSource& press, const Uuid& id, double now) {
    Shown current{press.image(id, pixels_), false};
    current.fresh = current.cover && press.fresh().count(id) > 0;
    const int64_t version = press.version();
    if (!seen_) {
        seen_ = true;
        version_ = version;
        shown_ = current;
    } else if (version != version_) {
        version_ = version;
        if (bool(current.cover) != bool(shown_.cover)) {
            leaving_ = shown_;
            since_ = now;
        }
        shown_ = current;
    } else {
        // Without a new version nothing animates; a cover that changed anyway is shown as is.
        shown_ = current;
    }
    if (leaving_ && !animating(now)) leaving_.reset();
    Look l;
    l.shown = shown_;
    l.leaving = leaving_;
    l.progress = leaving_ ? kCurve((now - since_) / duration()) : 1;
    return l;
}

double CoverBand::duration() const { return shown_.fresh ? freshDuration_ : plainDuration_; }

bool CoverBand::animating(double now) const {
    return leaving_ && std::isfinite(now) && now - since_ < duration();
}

void CoverBand::draw(cairo_t* cr, const Rect& area, const Look& look,
                     const std::function<void(cairo_t*, const Image&)>& cover,
                     const std::function<void(cairo_t*, double alpha)>& placeholder) {
    auto one = [&](const Shown& shown, double amount) {
        if (!(amount > 0)) return;
        amount = std::min(amount, 1.0);
        if (!shown.cover) {
            placeholder(cr, amount);
        } else if (amount >= 1) {
            cover(cr, *shown.cover);
        } else if (shown.fresh) {
            Registering{amount}.draw(cr, area, [&](cairo_t* c) { cover(c, *shown.cover); });
        } else {
            draw::Saved saved(cr);
            draw::clipRect(cr, area);
            cairo_push_group(cr);
            cover(cr, *shown.cover);
            cairo_pop_group_to_source(cr);
            cairo_paint_with_alpha(cr, amount);
        }
    };
    if (look.leaving) one(*look.leaving, 1 - look.progress);
    one(look.shown, look.leaving ? look.progress : 1);
}

}  // namespace nolby
