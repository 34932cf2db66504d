// The notice and error pills: their measures and place at the foot of a view, their buttons
// under real clicks, and a picture of both to look at.
#include "ui/pills/PillArt.h"
#include "ui/pills/Pills.h"

#include "platform/Canvas.h"

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

class PillsWidgetTest : public ::testing::Test {
protected:
    QWidget host;
    PillColumn* column = new PillColumn(&host);
    void SetUp() override {
        host.resize(1000, 800);
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    }
    static QPoint centre(const PillWidget* pill, const Rect& r) {
        return QPoint(qRound(PillWidget::kMargin + r.x + r.w / 2), qRound(PillWidget::kMargin + r.y + r.h / 2));
    }
};

TEST_F(PillsWidgetTest, BothShownStandInTheirPlacesAndFollowTheView) {
    column->error()->show(kLongError);
    column->notice()->show("Undone", "Redo");
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
    // The notice goes: the error pill comes down to the foot.
    column->notice()->hide();
    QCoreApplication::processEvents();
    EXPECT_NEAR(column->error()->capsule().bottom(), host.height() - 18, 1);
}

TEST_F(PillsWidgetTest, TheNoticeButtonRunsItsActionOnceAndThePillGoes) {
    int runs = 0;
    auto* notice = column->notice();
    notice->onAction = [&] { ++runs; };
    notice->show("Undone", "Redo");
    QCoreApplication::processEvents();
    const QPoint button = centre(notice, notice->art().actionRect);
    QTest::mouseClick(notice, Qt::LeftButton, {}, button);
    QTest::mouseClick(notice, Qt::LeftButton, {}, button);  // the pill is gone: nothing more
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(notice->isVisible());
    // A click on the message itself does nothing.
    notice->show("Undone", "Redo");
    QTest::mouseClick(notice, Qt::LeftButton, {}, centre(notice, notice->art().textRect));
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(notice->isVisible());
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
        QCoreApplication::processEvents();
        const Rect target = c.retry ? error->art().retryRect : error->art().closeRect;
        QTest::mouseClick(error, Qt::LeftButton, {}, centre(error, target));
        EXPECT_EQ(retries, c.retries);
        EXPECT_EQ(dismissals, c.dismissals);
        EXPECT_FALSE(error->isVisible());
    }
}

TEST_F(PillsWidgetTest, APillArrivesFromBelowAndComesToRest) {
    auto* notice = column->notice();
    notice->show("Undone", "Redo");
    EXPECT_DOUBLE_EQ(notice->arrival(), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return notice->arrival() == 1; }, 5000));
    // A new text on a pill already showing does not make it arrive again.
    notice->show("Note removed", "Undo");
    EXPECT_DOUBLE_EQ(notice->arrival(), 1);
    notice->hide();
    notice->show("Undone", "Redo");
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
