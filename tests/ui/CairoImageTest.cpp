// A widget's frame repainted in part keeps the rest of its pixels, and is painted whole
// again when the widget's size changes.
#include "ui/CairoImage.h"

#include <QPaintEvent>
#include <QTest>

#include <gtest/gtest.h>

using namespace nolby;

namespace {

class Painted final : public QWidget {
public:
    QImage frame;
    double red = 1, blue = 0;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override {
        ++paints;
        paintFrame(*this, frame, [&](cairo_t* cr) {
            cairo_set_source_rgb(cr, red, 0, blue);
            cairo_paint(cr);
        }, event->rect());
    }
};

QRgb at(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xffffff; }

}  // namespace

TEST(CairoImage, APartialRepaintRedoesOnlyTheDirtyPixels) {
    Painted w;
    w.resize(60, 40);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.repaint();
    ASSERT_FALSE(w.frame.isNull());
    EXPECT_EQ(at(w.frame, 30, 20), 0xff0000u);

    w.red = 0;
    w.blue = 1;
    w.repaint(QRect(10, 10, 5, 5));
    const double r = w.devicePixelRatioF();
    EXPECT_EQ(at(w.frame, int(12 * r), int(12 * r)), 0x0000ffu);
    EXPECT_EQ(at(w.frame, int(14.5 * r), int(14.5 * r)), 0x0000ffu);
    EXPECT_EQ(at(w.frame, 0, 0), 0xff0000u);
    EXPECT_EQ(at(w.frame, int(16 * r), int(12 * r)), 0xff0000u);
    EXPECT_EQ(at(w.frame, int(12 * r), int(9 * r)), 0xff0000u);

    w.resize(70, 40);  // a new size: the whole frame again
    w.repaint(QRect(0, 0, 2, 2));
    EXPECT_EQ(at(w.frame, 50, 30), 0x0000ffu);
}
