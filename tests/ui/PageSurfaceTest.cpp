#include "../page/PageTestSupport.h"
#include "../support/Grabbed.h"

#include "page/PageBack.h"
#include "page/PaperView.h"
#include "ui/notebook/PageSurface.h"

#include <QTest>

#include <gtest/gtest.h>

#include <cstring>

using namespace nolby;
using namespace nolby::testing;
using nolby::test::grabbed;

namespace {

// A page of paper and its furniture, as the page view will show it before its ink: its
// back kept at the view's pixel size.
class PaperPage final : public PageSurface {
public:
    PaperPage(std::shared_ptr<const Clock> clock, PaperView paper, PressSource& press)
        : PageSurface(std::move(clock)), paper_(std::move(paper)), press_(press) {}

protected:
    void paintSurface(cairo_t* cr, Size view, double now) override {
        back_.draw(cr, view, true, paper_, band_.look(press_, paper_.notebook.id, now));
    }
    bool animating(double now) const override { return band_.animating(now); }

private:
    PaperView paper_;
    PressSource& press_;
    CoverBand band_;
    PageBack back_;
};

// The same page drawn headless, its band having been looked at the same times.
class Headless {
public:
    Headless(PaperView paper, PressSource& press) : paper_(std::move(paper)), press_(press) {}
    QImage at(Size view, double now) {
        Canvas c(view.width, view.height);
        drawPageBack(c.cr(), view, true, &paper_, band_.look(press_, paper_.notebook.id, now));
        cairo_surface_flush(c.surface());
        QImage copy(cairo_image_surface_get_data(c.surface()), c.pixelWidth(), c.pixelHeight(),
                    cairo_image_surface_get_stride(c.surface()), QImage::Format_ARGB32_Premultiplied);
        return copy.copy();
    }

private:
    PaperView paper_;
    PressSource& press_;
    CoverBand band_;
};

// The number of pixels that differ.
int differing(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return -1;
    int n = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* ra = reinterpret_cast<const uint32_t*>(a.constScanLine(y));
        const auto* rb = reinterpret_cast<const uint32_t*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) n += ra[x] != rb[x];
    }
    return n;
}

class Surface : public ::testing::Test {
protected:
    void SetUp() override { registerFonts(); }
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>(3);
    Notebook nb = titled("Fractions", 7);
    FakePress press;
};

}  // namespace

TEST_F(Surface, GrabEqualsTheHeadlessPainter) {
    const Size view{400, 700};
    const PaperView paper = PaperView::forPage(nb, 0, 1, PaperView::PageSide::single, true);
    PaperPage page(clock, paper, press);
    page.resize(400, 700);
    Headless headless(paper, press);

    const QImage first = grabbed(page);
    EXPECT_EQ(first.devicePixelRatio(), 1);
    EXPECT_EQ(differing(first, headless.at(view, 3)), 0);

    // Mid-way through a freshly printed cover's arrival, the two still agree pixel for pixel.
    press.covers[nb.id] = solidImage(320, 200, Color{0.9, 0.5, 0.1, 1});
    press.printed.insert(nb.id);
    press.counter = 1;
    clock->set(4);
    const QImage changed = grabbed(page);
    EXPECT_EQ(differing(changed, headless.at(view, 4)), 0);
    clock->set(4.4);
    const QImage midway = grabbed(page);
    EXPECT_EQ(differing(midway, headless.at(view, 4.4)), 0);
    EXPECT_GT(differing(midway, changed), 0);
    // The widget's image is the frame it painted, shared with cairo.
    EXPECT_EQ(differing(page.lastFrame(), midway), 0);
}

TEST_F(Surface, TicksWhileAnimatingAndRestsOtherwise) {
    PaperPage page(clock, PaperView::forPage(nb, 0, 1, PaperView::PageSide::single, true), press);
    page.resize(300, 500);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page.lastFrame().isNull(); }, 5000));
    EXPECT_FALSE(page.ticking());

    press.covers[nb.id] = solidImage(300, 200, Color{0.2, 0.6, 0.3, 1});
    press.counter = 1;
    page.changed();
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.ticking(); }, 5000));
    clock->set(3 + 1.3);  // past the band's 1.2 s
    EXPECT_TRUE(QTest::qWaitFor([&] { return !page.ticking(); }, 5000));
}

TEST_F(Surface, TakesNoPointerEvents) {
    QWidget parent;
    parent.resize(200, 200);
    auto* page = new PaperPage(clock, PaperView::forPage(nb, 1, 1, PaperView::PageSide::single, true), press);
    page->setParent(&parent);
    page->setGeometry(0, 0, 200, 200);
    auto* button = new QWidget(&parent);
    button->setGeometry(150, 150, 50, 50);
    EXPECT_EQ(parent.childAt(20, 20), nullptr);  // clicks reach the parent
    EXPECT_EQ(parent.childAt(160, 160), button);
}
