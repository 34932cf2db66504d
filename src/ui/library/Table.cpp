#include "ui/library/Table.h"

#include "ink/Mag.h"
#include "ink/mag/Grain.h"
#include "platform/Canvas.h"
#include "ui/CairoImage.h"

#include <QPaintEvent>
#include <QPainter>

namespace nolby {

Table::Table(ColorScheme* scheme, QWidget* parent) : QWidget(parent), scheme_(scheme) {
    if (scheme_) connect(scheme_, &ColorScheme::changed, this, [this] { update(); });
}

void Table::setForced(std::optional<ColorScheme::Scheme> scheme) {
    forced_ = scheme;
    update();
}

ColorScheme::Scheme Table::scheme() const {
    if (forced_) return *forced_;
    return scheme_ ? scheme_->scheme() : ColorScheme::fromPalette(palette());
}

void Table::paint(cairo_t* cr, Size size, ColorScheme::Scheme scheme) {
    const bool dark = scheme == ColorScheme::Scheme::dark;
    const Rect all{0, 0, size.width, size.height};
    draw::Saved saved(cr);
    draw::clipRect(cr, all);
    draw::setColor(cr, dark ? Mag::night : Mag::table);
    cairo_paint(cr);
    // The sheen: evenly spaced stops from the top leading to the bottom trailing corner.
    cairo_pattern_t* sheen = cairo_pattern_create_linear(0, 0, size.width, size.height);
    if (dark) {
        cairo_pattern_add_color_stop_rgba(sheen, 0, 1, 1, 1, 0.07);
        cairo_pattern_add_color_stop_rgba(sheen, 0.5, 1, 1, 1, 0);
        cairo_pattern_add_color_stop_rgba(sheen, 1, 1, 1, 1, 0.03);
    } else {
        cairo_pattern_add_color_stop_rgba(sheen, 0, 1, 1, 1, 0.75);
        cairo_pattern_add_color_stop_rgba(sheen, 1 / 3.0, 1, 1, 1, 0);
        cairo_pattern_add_color_stop_rgba(sheen, 2 / 3.0, 1, 1, 1, 0.25);
        cairo_pattern_add_color_stop_rgba(sheen, 1, 1, 1, 1, 0);
    }
    cairo_set_source(cr, sheen);
    cairo_paint(cr);
    cairo_pattern_destroy(sheen);
    Grain{dark ? 0.3 : 0.35}.draw(cr, all);
}

const QImage& Table::image(QSize size, double ratio, ColorScheme::Scheme scheme) {
    if (image_.isNull() || drawnSize_ != size || drawnRatio_ != ratio || drawnFor_ != scheme) {
        image_ = cairoImage(size, ratio, [&](cairo_t* cr) {
            paint(cr, {double(size.width()), double(size.height())}, scheme);
        });
        // The desk is opaque: a plain RGB image blits faster under everything else.
        if (!image_.isNull()) image_ = image_.convertToFormat(QImage::Format_RGB32);
        image_.setDevicePixelRatio(ratio);
        drawnSize_ = size;
        drawnRatio_ = ratio;
        drawnFor_ = scheme;
    }
    return image_;
}

void Table::paintEvent(QPaintEvent* event) {
    const QImage& desk = image(size(), devicePixelRatioF(), scheme());
    QPainter p(this);
    p.drawImage(event->rect(), desk, QRectF(QPointF(event->rect().topLeft()) * devicePixelRatioF(),
                                            QSizeF(event->rect().size()) * devicePixelRatioF()));
}

}  // namespace nolby
