#include "ink/mag/QuirnFlags.h"

#include "ink/Mag.h"
#include "platform/Canvas.h"

#include <cmath>

namespace nolby {

std::array<Rect, 5> QuirnFlags::tiles(Size size) {
    const double g = 0.03 * size.width;
    const double t = (size.width - 4 * g) / 5;
    std::array<Rect, 5> out;
    for (int i = 0; i < 5; ++i) out[i] = {(g + t) * i, 0, t, size.height};
    return out;
}

void QuirnFlags::draw(cairo_t* cr, const Rect& frame) const {
    if (!(frame.w > 0) || !(frame.h > 0) || !std::isfinite(frame.x + frame.y + frame.w + frame.h)) return;
    draw::Saved saved(cr);
    const Color white{1, 1, 1, 1};
    auto rect = [&](Rect r, Color c) {
        Path p;
        p.addRect(r);
        draw::fillPath(cr, p, c);
    };
    const auto all = tiles({frame.w, frame.h});
    for (int i = 0; i < 5; ++i) {
        const Rect r = all[i].offsetBy(frame.x, frame.y);
        const double t = r.w, H = r.h;
        switch (i) {
        case 0: {
            rect({r.x, r.y, t / 2, H}, white);
            Path tail;
            tail.moveTo({r.x + t / 2, r.y});
            tail.lineTo({r.x + t, r.y});
            tail.lineTo({r.x + t - 0.22 * t, r.y + H / 2});
            tail.lineTo({r.x + t, r.y + H});
            tail.lineTo({r.x + t / 2, r.y + H});
            tail.close();
            draw::fillPath(cr, tail, Mag::blue);
            break;
        }
        case 1:
            rect(r, white);
            rect({r.x + 0.3 * t, r.y + 0.3 * H, t - 0.6 * t, H - 0.6 * H}, Mag::blue);
            break;
        case 2:
            rect({r.x, r.y, t / 3 + 0.5, H}, Mag::red);
            rect({r.x + t / 3, r.y, t / 3 + 0.5, H}, white);
            rect({r.x + 2 * t / 3, r.y, t / 3 + 0.5, H}, Mag::blue);
            break;
        case 3:
            rect({r.x, r.y, t, H / 2}, Mag::blue);
            rect({r.x, r.y + H / 2, t, H / 2}, Mag::red);
            break;
        default:
            rect(r, Mag::red);
            rect({r.x + t / 2 - 0.1 * t, r.y, 0.2 * t, H}, Mag::yellow);
            rect({r.x, r.y + H / 2 - 0.1 * H, t, 0.2 * H}, Mag::yellow);
            break;
        }
        // A thin black outline around each tile.
        cairo_new_path(cr);
        cairo_rectangle(cr, r.x, r.y, r.w, r.h);
        draw::setColor(cr, Color{0, 0, 0, 0.85});
        draw::setLineWidth(cr, 0.8);
        cairo_stroke(cr);
    }
}

}  // namespace nolby
