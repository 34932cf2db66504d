// What the desk costs while the learner only looks: with a notebook open in the active window
// and its sheet focused, once the caret has stopped blinking, no timer fires and nothing is
// painted. (The CPU time this saves is measured by bench/IdleBench.cpp.)

#include "AppTestSupport.h"
#include "app/DeskWindow.h"
#include "app/IssuePane.h"
#include "app/Router.h"

#include <QApplication>
#include <QTest>

#include <map>
#include <sstream>
#include <string>

using namespace nolby;

namespace {

// Counts, application-wide, the timer and paint events delivered while it lives, by the
// class of their receiver (and its parent's, for a timer).
class Wakes : public QObject {
public:
    Wakes() { qApp->installEventFilter(this); }
    ~Wakes() override { qApp->removeEventFilter(this); }

    std::map<std::string, int> seen;
    std::string text() const {
        std::ostringstream out;
        for (const auto& [what, count] : seen) out << what << " × " << count << "\n";
        return out.str();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::Timer && type != QEvent::Paint && type != QEvent::UpdateRequest) return false;
        std::string what = type == QEvent::Timer ? "timer " : "paint ";
        what += watched->metaObject()->className();
        if (const QObject* parent = watched->parent()) what += std::string(" in ") + parent->metaObject()->className();
        ++seen[what];
        return false;
    }
};

}  // namespace

TEST(Idle, AFocusedSheetAtRestFiresNoTimerAndPaintsNothing) {
    auto clock = std::make_shared<ManualClock>();
    test::TestApp app(clock);
    Router::shared().pendingQuestion.set(std::nullopt);
    DeskWindow window(app.context, [](const Uuid&) {});
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    Notebook notebook = app.context->library->create(1600, 600);
    window.deskView()->show(notebook);
    auto* pane = static_cast<IssuePane*>(window.deskView()->issueView()->pane(0));
    pane->scroll()->setFocus();
    // Half a minute of the app's time, in steps the event loop follows: the view has
    // appeared, the prompt faded in and the caret blinked its last.
    for (int i = 0; i < 60; ++i) {
        clock->advance(0.5);
        QTest::qWait(10);
    }
    ASSERT_TRUE(pane->scroll()->hasFocus());
    ASSERT_TRUE(window.focusedIssue()->focused.get());
    ASSERT_TRUE(window.isActiveWindow());

    Wakes wakes;
    QTest::qWait(600);  // a blink's several steps, a menu refresh's two, a pen watch's three
    EXPECT_TRUE(wakes.seen.empty()) << wakes.text();
}
