// The notice and error pills: their measures and place at the foot of a view, their buttons
// under real clicks, how they come and go on a hand-moved clock, and pictures to look at.
#include "ui/pills/PillArt.h"
#include "ui/pills/Pills.h"

#include "platform/Canvas.h"
#include "platform/Clock.h"

#include <QCoreApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace nolby {
namespace {

const std::string kLongError =
    "The tutor could not be reached: the connection to the gateway was refused while the reply was "
    "streaming, after several attempts.\nCheck that nolby-gateway is running on this machine and that "
    "NOLBY_API names it.\nThen press Retry to ask the tutor again.";

bool contains(Size s, const Rect& r) {
    return r.x >= 0 && r.y >= 0 && r.x + r.w <= s.width + 1e-9 && r.y + r.h <= s.height + 1e-9;
}

TEST(PillArt, ALongErrorTakesTwoLinesInAtMost270WithItsButtonsVisible) {
    const auto a = pills::ErrorArt::make(kLongError);
    EXPECT_LE(a.size.width, 270);
    ASSERT_EQ(a.text.lines.size(), 2u);
    EXPECT_TRUE(a.text.lines.back().truncated);
    for (const Rect& r : {a.iconRect, a.textRect, a.retryRect, a.closeRect}) EXPECT_TRUE(contains(a.size, r));
    // In a row: icon, text, Retry, close, 8 apart, padded 14 across and 10 down at the tallest.
    EXPECT_DOUBLE_EQ(a.iconRect.x, 14);
    EXPECT_DOUBLE_EQ(a.textRect.x, a.iconRect.x + a.iconRect.w + 8);
    EXPECT_DOUBLE_EQ(a.retryRect.x, a.textRect.x + a.textRect.w + 8);
    EXPECT_DOUBLE_EQ(a.closeRect.x, a.retryRect.x + a.retryRect.w + 8);
    EXPECT_DOUBLE_EQ(a.size.width, a.closeRect.x + a.closeRect.w + 14);
    EXPECT_DOUBLE_EQ(a.size.height, a.text.height() + 20);
    EXPECT_GT(a.retryRect.w, 0);
}

TEST(PillArt, AShortErrorHugsItsText) {
    const auto a = pills::ErrorArt::make("No gateway");
    EXPECT_EQ(a.text.lines.size(), 1u);
    EXPECT_FALSE(a.text.lines[0].truncated);
    EXPECT_LT(a.size.width, 270);
}

TEST(PillArt, NoticeIsTextAndButton14ApartPadded16And10) {
    const auto a = pills::NoticeArt::make("Undone", "Redo");
    EXPECT_DOUBLE_EQ(a.textRect.x, 16);
    EXPECT_DOUBLE_EQ(a.actionRect.x, a.textRect.x + a.textRect.w + 14);
    EXPECT_DOUBLE_EQ(a.size.width, a.actionRect.x + a.actionRect.w + 16);
    EXPECT_DOUBLE_EQ(a.size.height, std::max(a.text.height(), a.action.height()) + 20);
    EXPECT_FALSE(a.text.lines[0].truncated);
}

TEST(PillPlacement, ErrorAboveNotice10ApartTheLower18FromTheBottom) {
    using P = pills::Placement;
    struct Case {
        std::optional<Size> error, notice;
        P placed;
    };
    const Size area{1000, 800};
    const Case cases[] = {
        {Size{250, 52}, Size{180, 40}, P{Rect{375, 680, 250, 52}, Rect{410, 742, 180, 40}}},
        {Size{250, 52}, std::nullopt, P{Rect{375, 730, 250, 52}, std::nullopt}},
        {std::nullopt, Size{180, 40}, P{std::nullopt, Rect{410, 742, 180, 40}}},
        {std::nullopt, std::nullopt, P{}},
    };
    for (const auto& c : cases) EXPECT_EQ(P::place(area, c.error, c.notice), c.placed);
}

// The leave is the arrival run backwards on the same spring; a pill turning back on its way
// out goes on from where it is, at the speed it had; a pill whose place moves glides there.
TEST(PillMotion, LeavingMirrorsArrivingOnTheSameSpring) {
    for (const double response : {0.38, 0.4}) {
        pills::PillMotion arriving(response), leaving(response);
        arriving.appear();
        leaving.appear();
        leaving.settle();
        EXPECT_TRUE(leaving.leave());
        EXPECT_FALSE(leaving.leave());  // once
        EXPECT_TRUE(leaving.leaving());
        double t = 0;
        bool seenMidway = false;
        while (!leaving.hidden()) {
            EXPECT_NEAR(leaving.arrival(), 1 - arriving.arrival(), 1e-9) << response << " at " << t;
            EXPECT_NEAR(leaving.drop(), arriving.arrival() * pills::PillMotion::kRise, 1e-9);
            if (t > 0.1 && t < 0.2) {
                seenMidway = true;
                EXPECT_GT(leaving.opacity(), 0);
                EXPECT_LT(leaving.opacity(), 1);
                EXPECT_GT(leaving.drop(), 0);
                EXPECT_LT(leaving.drop(), pills::PillMotion::kRise);
            }
            leaving.step(1.0 / 120);
            arriving.step(1.0 / 120);
            t += 1.0 / 120;
            ASSERT_LT(t, 2);
        }
        EXPECT_TRUE(seenMidway);
        // Gone when its spring has come to rest, as the arrival has by then.
        EXPECT_TRUE(arriving.settled());
        EXPECT_EQ(leaving.opacity(), 0);
        EXPECT_FALSE(leaving.leave());
    }
}

TEST(PillMotion, TurningBackGoesOnFromWhereItIsAtItsSpeed) {
    pills::PillMotion m(0.4);
    m.appear();
    m.settle();
    m.leave();
    for (int i = 0; i < 12; ++i) m.step(1.0 / 120);  // a tenth of a second out
    const double out = m.arrival();
    ASSERT_GT(out, 0.1);
    ASSERT_LT(out, 0.9);
    m.appear();
    EXPECT_EQ(m.arrival(), out);
    EXPECT_TRUE(m.shown());
    // Still sinking for a moment: the speed it had is kept, not dropped to nothing.
    m.step(1.0 / 120);
    EXPECT_LT(m.arrival(), out);
    EXPECT_GT(m.arrival(), out - 0.1);
    for (int i = 0; i < 240 && !m.settled(); ++i) m.step(1.0 / 120);
    EXPECT_EQ(m.arrival(), 1);
}

TEST(PillMotion, AGlideStartsWhereThePillStandsAndEndsInItsPlace) {
    pills::PillMotion m(0.38);
    m.appear();
    m.settle();
    m.moveBy(50, 0.38);  // its place went 50 points down
    EXPECT_EQ(m.slide(), -50);
    m.step(0.1);
    const double midway = m.slide();
    EXPECT_GT(midway, -50);
    EXPECT_LT(midway, 0);
    m.moveBy(-50, 0.38);  // and back up before it got there: it turns from where it stands
    EXPECT_EQ(m.slide(), midway + 50);
    for (int i = 0; i < 240 && !m.settled(); ++i) m.step(1.0 / 120);
    EXPECT_EQ(m.slide(), 0);
}

// The pills over a plain view, timed on a clock the tests move by hand.
class PillsWidgetTest : public ::testing::Test {
protected:
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    QWidget host;
    PillColumn* column = new PillColumn(&host, clock);
    int hostPresses = 0;

    void SetUp() override {
        host.resize(1000, 800);
        host.setAutoFillBackground(true);
        QPalette pal = host.palette();
        pal.setColor(QPalette::Window, QColor(0xFA, 0xF7, 0xF0));
        host.setPalette(pal);
        host.installEventFilter(&presses);
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    }
    // Moves the clock on in frames of a sixtieth of a second, each pill taking every frame.
    void run(double seconds) {
        for (double t = 0; t < seconds - 1e-9; t += 1.0 / 60) {
            clock->advance(1.0 / 60);
            for (PillWidget* pill : {static_cast<PillWidget*>(column->error()), static_cast<PillWidget*>(column->notice())})
                if (!pill->isHidden()) pill->frame();
        }
    }
    static QPoint centre(const PillWidget*, const Rect& r) {
        return QPoint(qRound(PillWidget::kMargin + r.x + r.w / 2), qRound(PillWidget::kMargin + r.y + r.h / 2));
    }
    // A click where the pointer would be: the window finds the widget under it.
    void clickInWindow(QPoint inHost) { QTest::mouseClick(host.windowHandle(), Qt::LeftButton, {}, inHost); }
    QPoint noticeButtonInHost() const {
        const QRectF c = column->notice()->capsule();
        const Rect& r = column->notice()->art().actionRect;
        return QPoint(qRound(c.x() + r.x + r.w / 2), qRound(c.y() + r.y + r.h / 2));
    }
    void writePicture(const char* name) {
        const auto dir = std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()) / ".." / "screenshots";
        std::filesystem::create_directories(dir);
        EXPECT_TRUE(host.grab().save(QString::fromStdString((dir / name).string())));
    }

private:
    struct Presses : QObject {
        int* count;
        explicit Presses(int* c) : count(c) {}
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::MouseButtonPress) ++*count;
            return false;
        }
    } presses{&hostPresses};
};

TEST_F(PillsWidgetTest, BothShownStandInTheirPlacesAndFollowTheView) {
    column->error()->show(kLongError);
    column->notice()->show("Undone", "Redo");
    column->settle();  // the error glides up as the notice arrives beneath it
    for (QSize size : {QSize(1000, 800), QSize(760, 600)}) {
        host.resize(size);
        QCoreApplication::processEvents();
        const QRectF error = column->error()->capsule(), notice = column->notice()->capsule();
        EXPECT_NEAR(notice.bottom(), size.height() - 18, 1);
        EXPECT_NEAR(notice.top() - error.bottom(), 10, 1);
        EXPECT_NEAR(error.center().x(), size.width() / 2.0, 1);
        EXPECT_NEAR(notice.center().x(), size.width() / 2.0, 1);
        EXPECT_LE(error.width(), 270);
    }
}

TEST_F(PillsWidgetTest, AClearedNoticeSinksAndFadesTakingNoClicksThenIsGone) {
    int runs = 0;
    auto* notice = column->notice();
    notice->onAction = [&] { ++runs; };
    notice->show("Undone", "Redo");
    column->settle();
    const QRectF atRest = notice->capsule();
    const QPoint button = noticeButtonInHost();
    notice->leave();
    run(0.1);
    // Part way: still drawn where it stood, fainter and lower, its clicks going beneath it.
    EXPECT_TRUE(notice->isVisible());
    EXPECT_TRUE(notice->leaving());
    EXPECT_FALSE(notice->shown());
    EXPECT_EQ(notice->capsule(), atRest);
    EXPECT_GT(notice->motion().opacity(), 0.05);
    EXPECT_LT(notice->motion().opacity(), 0.95);
    EXPECT_GT(notice->motion().drop(), 0.5);
    EXPECT_LT(notice->motion().drop(), PillWidget::kRise);
    clickInWindow(button);
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(hostPresses, 1);
    run(1);
    EXPECT_TRUE(notice->isHidden());
    EXPECT_FALSE(notice->leaving());
}

TEST_F(PillsWidgetTest, TheNoticeButtonRunsItsActionOnceAndThePillLeaves) {
    int runs = 0;
    auto* notice = column->notice();
    notice->onAction = [&] { ++runs; };
    notice->show("Undone", "Redo");
    column->settle();
    // A click on the message itself does nothing.
    QTest::mouseClick(notice, Qt::LeftButton, {}, centre(notice, notice->art().textRect));
    EXPECT_EQ(runs, 0);
    EXPECT_TRUE(notice->shown());
    const QPoint button = noticeButtonInHost();
    clickInWindow(button);
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(notice->leaving());
    EXPECT_EQ(hostPresses, 0);
    clickInWindow(button);  // on its way out: the click reaches the view beneath
    EXPECT_EQ(hostPresses, 1);
    QTest::mouseClick(notice, Qt::LeftButton, {}, centre(notice, notice->art().actionRect));  // even sent to it
    EXPECT_EQ(runs, 1);
    run(1);
    EXPECT_TRUE(notice->isHidden());
    EXPECT_EQ(runs, 1);
}

TEST_F(PillsWidgetTest, RetryAndCloseRunTheirOwnCallbacks) {
    struct Case {
        bool retry;
        int retries, dismissals;
    };
    for (const Case c : {Case{true, 1, 0}, Case{false, 0, 1}}) {
        int retries = 0, dismissals = 0;
        auto* error = column->error();
        error->onRetry = [&] { ++retries; };
        error->onDismiss = [&] { ++dismissals; };
        error->show(kLongError);
        column->settle();
        const Rect target = c.retry ? error->art().retryRect : error->art().closeRect;
        QTest::mouseClick(error, Qt::LeftButton, {}, centre(error, target));
        EXPECT_EQ(retries, c.retries);
        EXPECT_EQ(dismissals, c.dismissals);
        EXPECT_TRUE(error->leaving());
        run(1);
        EXPECT_TRUE(error->isHidden());
    }
}

TEST_F(PillsWidgetTest, AnErrorBackWhileLeavingArrivesAgainFromWhereItIs) {
    auto* error = column->error();
    error->show(kLongError);
    column->settle();
    const QRectF place = error->capsule();
    error->leave();
    run(0.1);
    const double out = error->arrival();
    ASSERT_GT(out, 0.1);
    ASSERT_LT(out, 0.9);
    error->show(kLongError);
    // Drawn just where it was, and taking clicks again.
    EXPECT_TRUE(error->shown());
    EXPECT_EQ(error->arrival(), out);
    EXPECT_EQ(error->capsule(), place);
    EXPECT_FALSE(error->testAttribute(Qt::WA_TransparentForMouseEvents));
    // A frame on it is still a little lower, at the speed it had: no jump either way.
    run(1.0 / 60);
    EXPECT_LT(error->arrival(), out);
    EXPECT_GT(error->arrival(), out - 0.1);
    run(1);
    EXPECT_EQ(error->arrival(), 1);
    EXPECT_EQ(error->capsule(), place);
}

TEST_F(PillsWidgetTest, TheErrorGlidesDownAsTheNoticeBeneathItLeaves) {
    auto* error = column->error();
    auto* notice = column->notice();
    error->show(kLongError);
    notice->show("Note removed", "Undo");
    column->settle();
    const QRectF above = error->capsule(), noticeAtRest = notice->capsule();
    const double foot = host.height() - 18 - above.height();
    notice->leave();
    EXPECT_EQ(error->capsule(), above);  // no jump
    run(0.1);
    EXPECT_GT(error->capsule().top(), above.top() + 1);
    EXPECT_LT(error->capsule().top(), foot - 1);
    EXPECT_EQ(notice->capsule(), noticeAtRest);  // the leaving pill sinks from where it stood
    writePicture("pills-leaving.png");
    run(1);
    EXPECT_TRUE(notice->isHidden());
    EXPECT_NEAR(error->capsule().top(), foot, 0.5);
    // The error goes too, from above the notice: the notice stays at the foot.
    notice->show("Note removed", "Undo");
    run(1);
    EXPECT_EQ(error->capsule(), above);
    error->leave();
    run(0.2);
    EXPECT_EQ(notice->capsule(), noticeAtRest);
}

TEST_F(PillsWidgetTest, APillArrivesFromBelowAndComesToRest) {
    auto* notice = column->notice();
    notice->show("Undone", "Redo");
    EXPECT_DOUBLE_EQ(notice->arrival(), 0);
    EXPECT_DOUBLE_EQ(notice->motion().drop(), PillWidget::kRise);
    run(0.1);
    EXPECT_GT(notice->arrival(), 0.1);
    EXPECT_LT(notice->arrival(), 1);
    run(1);
    EXPECT_EQ(notice->arrival(), 1);
    // A new text on a pill already showing does not make it arrive again.
    notice->show("Note removed", "Undo");
    EXPECT_DOUBLE_EQ(notice->arrival(), 1);
    notice->hide();
    notice->show("Undone", "Redo");
    EXPECT_DOUBLE_EQ(notice->arrival(), 0);
    notice->settle();
    EXPECT_DOUBLE_EQ(notice->arrival(), 1);
}

// Both pills over a page-coloured view at 2x, written beside the build's bin/ folder in
// screenshots/ to look at.
TEST(PillPicture, BothPillsAtTheFootOfAPage) {
    const Size area{560, 260};
    const auto error = pills::ErrorArt::make(kLongError);
    const auto notice = pills::NoticeArt::make("Note removed", "Undo");
    const auto placed = pills::Placement::place(area, error.size, notice.size);
    Canvas canvas(area.width, area.height, 2);
    cairo_t* cr = canvas.cr();
    cairo_set_source_rgb(cr, 0.98, 0.965, 0.93);
    cairo_paint(cr);
    // A few ruled lines, so the panel's translucency shows.
    cairo_set_source_rgba(cr, 0.3, 0.45, 0.75, 0.35);
    for (double y = 30; y < area.height; y += 24) {
        cairo_move_to(cr, 0, y);
        cairo_line_to(cr, area.width, y);
    }
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    cairo_save(cr);
    cairo_translate(cr, placed.error->x, placed.error->y);
    error.draw(cr);
    cairo_restore(cr);
    cairo_save(cr);
    cairo_translate(cr, placed.notice->x, placed.notice->y);
    notice.draw(cr);
    cairo_restore(cr);
    const auto dir = std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()) / ".." / "screenshots";
    std::filesystem::create_directories(dir);
    EXPECT_TRUE(canvas.writePng((dir / "pills.png").string()));
}

}  // namespace
}  // namespace nolby
