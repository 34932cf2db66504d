#include "ui/library/CoverTile.h"

#include "ink/Mag.h"
#include "ink/Rng.h"
#include "ui/CairoImage.h"
#include "ink/mag/ChromeText.h"
#include "platform/DayText.h"
#include "platform/Unicode.h"

#include <QLinearGradient>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace nolby {

namespace {

constexpr double kTiltPerspective = 0.6;

// A flattened cover's pixels as a cairo image to read from (the QImage keeps the memory).
std::shared_ptr<const Image> imageOf(const QImage& q) {
    if (q.isNull()) return nullptr;
    return Image::adopt(cairo_image_surface_create_for_data(const_cast<uchar*>(q.constBits()), CAIRO_FORMAT_ARGB32,
                                                            q.width(), q.height(), static_cast<int>(q.bytesPerLine())));
}

}  // namespace

void turn(QTransform& t, double degrees, Qt::Axis axis, double distance) {
    const double a = degrees * std::numbers::pi / 180, c = std::cos(a), s = std::sin(a);
    const QTransform r = axis == Qt::YAxis ? QTransform(c, 0, -s / distance, 0, 1, 0, 0, 0, 1)
                                           : QTransform(1, 0, 0, 0, c, -s / distance, 0, 0, 1);
    t = r * t;
}

void CoverPress::apply(QTransform& t, double pressed, QSizeF size) {
    if (pressed == 0) return;
    const double k = 1 - (1 - kScale) * pressed;
    t.scale(k, k);
    const double norm = std::hypot(1.0, 0.4);
    const double distance = std::max(size.width(), size.height()) / kPerspective;
    turn(t, kDegrees * pressed / norm, Qt::XAxis, distance);
    turn(t, -kDegrees * pressed * 0.4 / norm, Qt::YAxis, distance);
}

CoverTile::CoverTile(NotebookHead notebook) : notebook_(std::move(notebook)), lean_(lean(notebook_.id)) {}

double CoverTile::lean(const Uuid& id) {
    const uint64_t r = stableHash(id.string()) % 7;
    return (static_cast<double>(r) - 3) * 0.45;
}

std::string CoverTile::label(const NotebookHead& n) {
    const int64_t number = n.issue && *n.issue >= 1 ? *n.issue : 1;
    return "NO. " + chrome::zeroPadded(number, 3) + "  \u00B7  " + unicode::uppercased(DayText::monthDay(n.updated));
}

void CoverTile::hover(QPointF at) {
    over_ = true;
    lift_.to(1, 0.35, 0.8);
    tiltX_.to(at.x() / kTiltWidth - 0.5, 0.35, 0.8);
    tiltY_.to(at.y() / kTiltHeight - 0.5, 0.35, 0.8);
}

void CoverTile::leave() {
    over_ = false;
    lift_.to(0, 0.5, 0.75);
    tiltX_.to(0, 0.5, 0.75);
    tiltY_.to(0, 0.5, 0.75);
}

void CoverTile::press(bool down) {
    pressed_ = down;
    push_.to(down ? 1 : 0, 0.3, 0.7);
}

void CoverTile::advance(double now) {
    if (last_ >= 0 && now > last_)
        for (Spring* s : {&lift_, &tiltX_, &tiltY_, &push_}) s->step(now - last_);
    last_ = now;
}

bool CoverTile::moving() const {
    return !lift_.settled() || !tiltX_.settled() || !tiltY_.settled() || !push_.settled();
}

bool CoverTile::resting() const {
    return !over_ && !pressed_ && !moving() && lift_.value == 0 && push_.value == 0 && tiltX_.value == 0 &&
           tiltY_.value == 0;
}

QTransform CoverTile::transform(const QRectF& rect) const {
    const double w = rect.width(), h = rect.height();
    const double distance = std::max(w, h) / kTiltPerspective;
    QTransform t;
    t.translate(rect.center().x(), rect.center().y());
    CoverPress::apply(t, push_.value, rect.size());  // the button's press, outermost
    const double l = lift_.value;
    t.rotate(lean_ * (1 - l));
    const double grow = 1 + (kGrow - 1) * l;
    t.scale(grow, grow);
    turn(t, -tiltY_.value * kTiltDegrees, Qt::XAxis, distance);
    turn(t, tiltX_.value * kTiltDegrees, Qt::YAxis, distance);
    t.translate(-w / 2, -h / 2);
    return t;
}

QImage CoverTile::arriving(const Look& look) {
    // The flattened covers changing as the cover band changes any art: the old one fading
    // out, the new one fading in, or arriving mis-registered when freshly printed.
    const QImage& now = look.shown->cover;
    const double ratio = now.devicePixelRatio();
    QImage out(now.size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    CoverBand::Look band;
    band.shown = {imageOf(now), look.fresh};
    if (look.leaving) band.leaving = CoverBand::Shown{imageOf(look.leaving->cover), false};
    band.progress = std::clamp(look.progress, 0.0, 1.0);
    const Rect area{0, 0, now.width() / ratio, now.height() / ratio};
    paintWithCairo(out, ratio, [&](cairo_t* cr) {
        CoverBand::draw(
            cr, area, band,
            [&](cairo_t* c, const Image& image) {
                cairo_save(c);
                cairo_scale(c, 1 / ratio, 1 / ratio);
                cairo_set_source_surface(c, image.surface(), 0, 0);
                cairo_paint(c);
                cairo_restore(c);
            },
            [](cairo_t*, double) {});
    });
    out.setDevicePixelRatio(ratio);
    return out;
}

void CoverTile::paint(QPainter& p, const QRectF& rect, const Look& look) {
    const bool changing = look.shown && look.progress < 1 && !look.shown->cover.isNull();
    if (look.label && !look.label->isNull())
        p.drawImage(QPointF(rect.left() + 2, rect.bottom() + ShelfGrid::kLabelGap), *look.label);

    if (!look.shown || look.shown->cover.isNull()) {
        // Not made yet: the palette's ink, leaning as the cover will.
        p.save();
        p.setRenderHint(QPainter::Antialiasing);
        p.setTransform(transform(rect), true);
        const Color g = look.ground;
        p.setBrush(QColor::fromRgbF(g.r, g.g, g.b, g.a));
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(QRectF(0, 0, rect.width(), rect.height()), CoverFlattener::kCorner, CoverFlattener::kCorner);
        p.restore();
        return;
    }
    const bool fading = changing && !look.fresh && look.leaving && !look.leaving->rest.isNull();
    if (resting() && (!changing || fading)) {
        // At rest: blits only. A plain change of art lays the new cover over the old one at
        // the change's progress; the press mark's cover is laid over at the pulse's strength.
        const FlatCover& base = fading ? *look.leaving : *look.shown;
        p.drawImage(rect.topLeft() + base.restAt, base.rest);
        auto over = [&](const FlatCover& flat, double opacity) {
            p.setOpacity(std::clamp(opacity, 0.0, 1.0));
            p.drawImage(rect.topLeft() + flat.restAt, flat.rest);
            p.setOpacity(1);
        };
        if (fading) over(*look.shown, look.progress);
        if (look.marked && look.mark > 0 && !look.marked->rest.isNull()) over(*look.marked, look.mark);
        return;
    }
    paintMoving(p, rect, look, changing ? arriving(look) : look.shown->cover);
}

void CoverTile::paintMoving(QPainter& p, const QRectF& rect, const Look& look, const QImage& cover) {
    const double w = rect.width(), h = rect.height();
    const double l = lift_.value;
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setRenderHint(QPainter::Antialiasing);
    p.setTransform(transform(rect), true);
    if (look.shadow && !look.shadow->isNull()) {
        const double opacity = look.dark ? 0.55 : 0.22 + 0.10 * l;
        p.setOpacity(opacity);
        p.drawImage(QPointF(-CoverFlattener::kMargin + 5 * l, -CoverFlattener::kMargin + 14 + 6 * l), *look.shadow);
        p.setOpacity(1);
    }
    p.drawImage(QPointF(0, 0), cover);
    if (look.marked && look.mark > 0) {
        p.setOpacity(std::min(look.mark, 1.0));
        p.drawImage(QPointF(0, 0), look.marked->cover);
        p.setOpacity(1);
    }
    if (l > 0.001) {
        // The gloss: white from the side away from the pointer, added to the cover's light.
        const QPointF start(w * (0.5 - tiltX_.value), h * (0.5 - tiltY_.value));
        QLinearGradient gloss(start, QPointF(w, h));
        gloss.setColorAt(0, QColor::fromRgbF(1, 1, 1, 0.16 * std::min(l, 1.0)));
        gloss.setColorAt(1, QColor::fromRgbF(1, 1, 1, 0));
        QPainterPath shape;
        shape.addRoundedRect(QRectF(0, 0, w, h), CoverFlattener::kCorner, CoverFlattener::kCorner);
        p.setCompositionMode(QPainter::CompositionMode_Plus);
        p.fillPath(shape, gloss);
    }
    p.restore();
}

}  // namespace nolby
