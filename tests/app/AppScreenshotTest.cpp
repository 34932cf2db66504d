// The desk as a learner sees it, written to screenshots/ in the build tree for a person to
// look at: a lesson written by the local gateway's demo tutor, then the shelf holding it.

#include "AppTestSupport.h"
#include "app/DeskWindow.h"
#include "app/LessonShot.h"
#include "app/Router.h"

#include <QCoreApplication>
#include <QDir>
#include <QTest>

using namespace nolby;

TEST(AppScreenshots, ALessonAndTheShelf) {
    test::TestApp app;
    Router::shared().pendingQuestion.set(std::nullopt);
    DeskWindow window(app.context, [](const Uuid&) {});
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.deskView()->begin("What is a fraction?");
    auto model = window.focusedIssue();
    ASSERT_NE(model, nullptr);
    model->scribe->speed.set(8);  // the picture is of the written page, not the pace
    QTRY_VERIFY_WITH_TIMEOUT(LessonShot::replyWritten(*model), 120000);
    QTest::qWait(500);  // the last frames land

    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots";
    QDir().mkpath(dir);
    const QImage lesson = window.grab().toImage();
    EXPECT_TRUE(lesson.save(dir + "/app-lesson.png"));
    window.deskView()->close();
    QTest::qWait(500);
    EXPECT_TRUE(window.grab().toImage().save(dir + "/app-shelf.png"));
}
