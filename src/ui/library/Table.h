#pragma once
// The desk the shelf lies on: a solid ground (night in the dark appearance, the table colour
// in the light one), a soft diagonal sheen and printed grain. Also shown by an issue window
// while its notebook loads.

#include "platform/Geometry.h"
#include "ui/library/ColorScheme.h"

#include <cairo.h>

#include <QImage>
#include <QWidget>

#include <optional>

namespace nolby {

class Table : public QWidget {
public:
    explicit Table(ColorScheme* scheme, QWidget* parent = nullptr);

    // Light or dark as forced (none: as the scheme says).
    void setForced(std::optional<ColorScheme::Scheme> scheme);
    ColorScheme::Scheme scheme() const;

    // Draws the desk over `size` points.
    static void paint(cairo_t* cr, Size size, ColorScheme::Scheme scheme);
    // The desk at a size, kept while the size, pixel ratio and scheme stay the same.
    const QImage& image(QSize size, double ratio, ColorScheme::Scheme scheme);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ColorScheme* scheme_;
    std::optional<ColorScheme::Scheme> forced_;
    QImage image_;
    QSize drawnSize_;
    double drawnRatio_ = 0;
    ColorScheme::Scheme drawnFor_ = ColorScheme::Scheme::light;
};

}  // namespace nolby
