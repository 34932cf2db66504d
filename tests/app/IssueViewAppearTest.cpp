// How the issue view comes on screen: a fade and a scale-in from 0.985 about the centre over
// 0.28 s, eased out, on Qt's animation clock (driven here by hand), then the live view at full
// size and the launch hooks once. Input during the appear reaches the live view.
#include "app/IssueViewRig.h"

#include "AppTestSupport.h"
#include "app/AppearEffect.h"
#include "app/IssueWindow.h"
#include "app/Router.h"

#include <QAbstractAnimation>
#include <QAnimationDriver>
#include <QCoreApplication>
#include <QDir>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

namespace nolby::test {
namespace {

// Qt's animations run on this clock while it is installed: time moves only when told.
class HandClock final : public QAnimationDriver {
public:
    HandClock() { install(); }
    ~HandClock() override { uninstall(); }
    qint64 elapsed() const override { return ms_; }
    void to(qint64 ms) {
        ms_ = ms;
        advance();
        QApplication::processEvents();
    }

private:
    qint64 ms_ = 0;
};

// Shows the view, hosted in a window as the desk and the issue windows do, with its appear
// just begun (the clock at 0).
struct Appearing {
    HandClock clock;
    IssueViewRig rig;
    QWidget host;
    int shown = 0;
    std::shared_ptr<NotebookModel> shownWith;

    Appearing() {
        rig.view->onShown = [this](const std::shared_ptr<NotebookModel>& m) {
            ++shown;
            shownWith = m;
        };
        rig.view->setParent(&host);
        rig.view->setGeometry(0, 0, 1000, 700);
        host.resize(1000, 700);
        host.show();
        host.activateWindow();
        (void)QTest::qWaitForWindowActive(&host);
        QApplication::processEvents();
    }
    ~Appearing() {
        if (rig.view) rig.view->setParent(nullptr);  // the rig owns it
    }
    AppearEffect* effect() const { return qobject_cast<AppearEffect*>(rig.view->graphicsEffect()); }
    int running() const {
        int n = 0;
        for (QAbstractAnimation* a : rig.view->findChildren<QAbstractAnimation*>())
            n += a->state() == QAbstractAnimation::Running;
        return n;
    }
};

// A frame of the window in device pixels (compared pixel by pixel whatever the scale factor).
QImage frame(QWidget& w) {
    QImage image = w.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    image.setDevicePixelRatio(1);
    return image;
}

// `picture` as the appear draws it: over the paper, faded to `opacity`, scaled about the centre.
QImage drawn(const QImage& picture, double scale, double opacity) {
    QImage out(picture.size(), QImage::Format_ARGB32);
    out.fill(QColor(0xFA, 0xF7, 0xF0));
    QPainter p(&out);
    const QPointF c(picture.width() / 2.0, picture.height() / 2.0);
    p.translate(c);
    p.scale(scale, scale);
    p.translate(-c);
    p.setOpacity(opacity);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(0, 0, picture);
    return out;
}

// Mean difference per channel, 0-255, over a part of the pictures.
double difference(const QImage& a, const QImage& b, QRect part) {
    double sum = 0;
    for (int y = part.top(); y <= part.bottom(); ++y) {
        const auto* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* pb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = part.left(); x <= part.right(); ++x)
            sum += std::abs(qRed(pa[x]) - qRed(pb[x])) + std::abs(qGreen(pa[x]) - qGreen(pb[x])) +
                   std::abs(qBlue(pa[x]) - qBlue(pb[x]));
    }
    return sum / (3.0 * part.width() * part.height());
}

TEST(IssueViewAppear, FadesAndScalesInEasedOutThenShowsTheLiveViewAndRunsTheHooksOnce) {
    Appearing a;
    AppearEffect* effect = a.effect();
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(a.shown, 0);
    // Ease-out (cubic) of t / 0.28: at 0.14 s, 1 - 0.5³ = 0.875 of the way.
    struct Case { qint64 ms; double eased; };
    std::vector<std::tuple<QImage, double, double>> shots;  // frame, scale, opacity
    for (const Case c : {Case{0, 0}, Case{40, 1 - std::pow(1 - 40 / 280.0, 3)}, Case{70, 1 - std::pow(0.75, 3)},
                         Case{140, 0.875}}) {
        a.clock.to(c.ms);
        EXPECT_NEAR(effect->opacity(), c.eased, 1e-6) << c.ms << " ms";
        EXPECT_NEAR(effect->scale(), 0.985 + 0.015 * c.eased, 1e-6) << c.ms << " ms";
        if (c.ms > 0) shots.emplace_back(frame(a.host), effect->scale(), effect->opacity());
    }
    EXPECT_NEAR(effect->scale(), 0.998125, 1e-6);
    // A mid-appear picture for a person to look at (40 ms in: scale 0.9906, opacity 0.37).
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots";
    QDir().mkpath(dir);
    EXPECT_TRUE(std::get<0>(shots[0]).save(dir + "/issue-appearing.png"));
    // The content was pictured once for all these frames.
    EXPECT_EQ(effect->pictures(), 1);
    EXPECT_EQ(a.shown, 0);

    a.clock.to(280);
    EXPECT_EQ(a.rig.view->graphicsEffect(), nullptr);
    EXPECT_EQ(a.running(), 0);
    EXPECT_EQ(a.shown, 1);
    EXPECT_EQ(a.shownWith, a.rig.view->model());
    a.clock.to(1000);
    EXPECT_EQ(a.shown, 1);

    // The frames drawn on the way are the live view's picture scaled about the centre: far
    // closer to that than to the same picture unscaled. Compared where the view has sharp
    // edges, at the toolbar's corners, which the scale moves furthest (4 points at 40 ms).
    const QImage live = frame(a.host);
    for (const auto& [shot, scale, opacity] : shots)
        for (const QRect part : {QRect(0, 0, 120, 60), QRect(860, 0, 140, 60)}) {
            const qreal dpr = a.host.devicePixelRatio();
            const QRect pixels(part.topLeft() * dpr, part.size() * dpr);
            const QImage scaled = drawn(live, scale, opacity), flat = drawn(live, 1, opacity);
            EXPECT_LT(difference(shot, scaled, pixels) * 4, difference(shot, flat, pixels)) << scale;
        }
}

TEST(IssueViewAppear, AnIssueWindowRunsTheLaunchHooksOnceWhenTheAppearEnds) {
    HandClock clock;
    TestApp app;
    const Notebook notebook = app.context->library->create(1600, 600);
    Router::shared().pendingQuestion.set(Router::Pending{notebook.id, "Why is the sky blue?"});
    auto window = std::make_unique<IssueWindow>(app.context, notebook.id);
    window->show();
    (void)QTest::qWaitForWindowExposed(window.get());
    QApplication::processEvents();
    auto questions = [&] {
        int count = 0;
        for (const Page& p : window->model()->nb->pages)
            for (const PageItem& item : p.items) count += item.text() && item.text()->text == "Why is the sky blue?";
        return count;
    };
    clock.to(270);
    EXPECT_TRUE(Router::shared().pendingQuestion.get());
    EXPECT_EQ(questions(), 0);
    clock.to(280);
    EXPECT_FALSE(Router::shared().pendingQuestion.get());
    EXPECT_EQ(questions(), 1);
    EXPECT_EQ(window->issueView()->graphicsEffect(), nullptr);
    clock.to(1000);
    EXPECT_EQ(questions(), 1);
    window.reset();
    Router::shared().pendingQuestion.set(std::nullopt);
}

TEST(IssueViewAppear, ClicksAndKeysDuringTheAppearReachTheLiveView) {
    Appearing a;
    a.clock.to(100);
    // A dive opened mid-appear takes the keyboard; a click into the notebook focuses level 0;
    // Escape in the dive closes it.
    a.rig.dive(0, "ratio");
    a.clock.to(120);
    EXPECT_EQ(a.rig.view->focus(), 1);
    // Through the window, as a real click: found under the pointer as if at full size.
    QTest::mouseClick(a.host.windowHandle(), Qt::LeftButton, {}, QPoint(100, 300));
    EXPECT_EQ(a.rig.view->focus(), 0);
    QTest::keyClick(a.rig.sheet(1), Qt::Key_Escape);
    EXPECT_TRUE(a.rig.view->dives().empty());
    ASSERT_NE(a.effect(), nullptr);  // still appearing
    a.clock.to(2000);
    EXPECT_EQ(a.rig.view->graphicsEffect(), nullptr);
    EXPECT_EQ(a.shown, 1);
}

TEST(IssueViewAppear, TheKeyboardStaysWhereItWasWhenTheAppearEnds) {
    Appearing a;
    QWidget* before = QApplication::focusWidget();
    a.clock.to(280);
    EXPECT_EQ(a.shown, 1);
    EXPECT_EQ(QApplication::focusWidget(), before);
}

TEST(IssueViewAppear, AResizeMidAppearPicturesTheContentAgainAtItsNewSize) {
    Appearing a;
    a.clock.to(100);
    (void)frame(a.host);
    a.host.resize(1200, 800);
    a.rig.view->resize(1200, 800);
    QApplication::processEvents();
    const QImage shot = frame(a.host);
    EXPECT_EQ(shot.size(), QSize(1200, 800) * a.host.devicePixelRatio());
    ASSERT_NE(a.effect(), nullptr);
    EXPECT_EQ(a.effect()->pictures(), 2);
}

TEST(IssueViewAppear, AViewEndedOrDeletedMidAppearLeavesNothingRunningAndNoHooks) {
    {
        Appearing a;
        a.clock.to(100);
        a.rig.view->closeModels();
        EXPECT_EQ(a.rig.view->graphicsEffect(), nullptr);
        EXPECT_EQ(a.running(), 0);
        a.clock.to(1000);
        EXPECT_EQ(a.shown, 0);
    }
    {
        Appearing a;
        a.clock.to(100);
        QPointer<QGraphicsEffect> effect = a.rig.view->graphicsEffect();
        QPointer<QAbstractAnimation> animation = a.rig.view->findChild<QAbstractAnimation*>();
        ASSERT_TRUE(effect && animation);
        a.rig.view.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(effect);
        EXPECT_FALSE(animation);
        a.clock.to(1000);
        EXPECT_EQ(a.shown, 0);
    }
}

}  // namespace
}  // namespace nolby::test
