// The page on screen: the widget shows what the headless painter draws for the same model
// and time, ink half written included; it animates while the ink is revealed and rests
// after; it hears of the model's changes on the next turn; and a screenshot mid-writing for a
// person to look at (scripts/screenshot-page takes it under a real X display).
#include "../page/PageViewSupport.h"
#include "../support/Grabbed.h"

#include "ink/J.h"
#include "ink/blocks/Blocks.h"
#include "ui/notebook/PageWidget.h"

#include <QCoreApplication>
#include <QDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace nolby;
using namespace nolby::testing;
using nolby::test::grabbed;

namespace {

QImage imageOf(const Canvas& c) {
    cairo_surface_flush(c.surface());
    return QImage(cairo_image_surface_get_data(c.surface()), c.pixelWidth(), c.pixelHeight(),
                  cairo_image_surface_get_stride(c.surface()), QImage::Format_ARGB32_Premultiplied)
        .copy();
}

int differingPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return -1;
    int n = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* ra = reinterpret_cast<const uint32_t*>(a.constScanLine(y));
        const auto* rb = reinterpret_cast<const uint32_t*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) n += ra[x] != rb[x];
    }
    return n;
}

// The end of the last reveal the stage has, or `t`.
double revealsEnd(const InkStageView& stage, double t) {
    for (const auto& s : stage.upcoming()) t = std::max(t, s.start + s.dur);
    for (const auto& r : stage.revealing()) t = std::max(t, r.until);
    return t;
}

PageView paperPage(const PageRig& rig) {
    return PageView{rig.model, 0, true, PaperView::PageSide::single, true, true};
}

}  // namespace

TEST(PageWidget, ShowsWhatTheHeadlessPainterDrawsMidWriting) {
    // Two notebooks alike, written alike on their own clocks: one on screen, one headless.
    PageRig shown(titled("Fractions", 7)), drawn(titled("Fractions", 7));
    PageWidget widget(paperPage(shown), shown.store.scheduler);
    widget.resize(400, 869);
    PagePainter headless(paperPage(drawn), {1, drawn.store.scheduler, nullptr});
    for (PageRig* rig : {&shown, &drawn}) {
        rig->write(rig->blocks[2]);
        rig->scheduler().drain();
    }
    ASSERT_EQ(widget.painter().stage()->revealing().size(), 3u);
    const double mid = widget.painter().stage()->revealing()[1].stroke.start + 0.05;
    for (PageRig* rig : {&shown, &drawn}) rig->scheduler().manualClock()->set(mid);

    const QImage screen = grabbed(widget);
    EXPECT_EQ(screen.devicePixelRatio(), 1);
    Canvas c(400, 869);
    headless.paint(c.cr(), mid);
    EXPECT_EQ(differingPixels(screen, imageOf(c)), 0);
    // Mid-writing: the first box more than half faded in, the second starting, the third not
    // yet there.
    const QColor first = screen.pixelColor(60, 221), second = screen.pixelColor(60, 236), third = screen.pixelColor(60, 251);
    EXPECT_LT(first.lightness(), 128);
    EXPECT_GT(second.lightness(), first.lightness() + 20);
    EXPECT_LT(second.lightness(), third.lightness() - 20);
}

TEST(PageWidget, AnimatesWhileWritingAndRestsAfter) {
    PageRig rig;
    PageWidget widget(PageView{rig.model, 0, true, PaperView::PageSide::single, false, false}, rig.store.scheduler);
    widget.resize(400, 869);
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !widget.lastFrame().isNull(); }, 5000));
    EXPECT_FALSE(widget.ticking());

    rig.write(rig.blocks[0]);
    rig.scheduler().drain();  // the page hears of the new job on this turn, and redraws
    ASSERT_TRUE(QTest::qWaitFor([&] { return widget.ticking(); }, 5000));
    const double end = revealsEnd(*widget.painter().stage(), rig.now());
    rig.scheduler().advance(end - rig.now() + 0.5);
    rig.scheduler().drain();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !widget.ticking(); }, 5000));
}

TEST(PageWidget, TakesNoPointerEvents) {
    PageRig rig;
    QWidget parent;
    parent.resize(400, 400);
    auto* page = new PageWidget(PageView{rig.model, 0}, rig.store.scheduler, nullptr, &parent);
    page->setGeometry(0, 0, 400, 400);
    EXPECT_EQ(parent.childAt(100, 120), nullptr);
}

TEST(PageScreenshot, MidWriting) {
    PageRig rig(titled("Fractions", 7));
    NotebookModel& m = *rig.m;
    // A question, and the tutor's reply being written under it.
    TextItem question = test::note(120, "why is 3/8 + 1/8 a half?");
    m.mutate(0, false, [&](std::vector<PageItem>& items) {
        items.clear();
        items.push_back(question);
    });
    const Blocks layout{m.geo(), m.accent()};
    double y = 170;
    std::vector<BlockItem> reply;
    for (const char* line : {R"({"t":"h","text":"Eighths add like apples"})",
                             R"({"t":"p","text":"Three eighths and one more eighth make **four eighths**."})",
                             R"({"t":"math","tex":"\\frac{3}{8} + \\frac{1}{8} = \\frac{4}{8} = \\frac{1}{2}"})"}) {
        const J block = *J::parse(line);
        BlockItem b;
        b.json = block.line();
        b.seed = 40 + reply.size();
        b.y = y;
        const Laid laid = layout.lay(block, b.seed);
        b.h = laid.height;
        y += laid.height + 12;
        reply.push_back(b);
    }
    m.mutate(0, false, [&](std::vector<PageItem>& items) {
        for (const BlockItem& b : reply) items.push_back(b);
    });

    PageWidget widget(paperPage(rig), rig.store.scheduler);
    widget.resize(400, 869);
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    for (const BlockItem& b : reply) {
        m.scribe->enqueue(rig.page(0), b.id, m.entry(PageItem(b)).ops, 0, false);
        m.scribe->pump();
    }
    // Well into the second block: the heading written, the sentence part way.
    for (int i = 0; i < 60; ++i) {
        rig.scheduler().advance(0.05);
        rig.scheduler().drain();
    }
    ASSERT_TRUE(m.scribe->busy.get());
    QCoreApplication::processEvents();

    const QImage shot = grabbed(widget);
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots";
    QDir().mkpath(dir);
    EXPECT_TRUE(shot.save(dir + "/page-writing.png"));
    // The cover band at the top, paper below the writing.
    const double k = shot.devicePixelRatio();
    EXPECT_EQ(shot.width(), int(400 * k));
    EXPECT_LT(QColor(shot.pixel(int(200 * k), int(20 * k))).lightness(), 200);
    EXPECT_GT(QColor(shot.pixel(int(380 * k), int(600 * k))).lightness(), 220);
}
