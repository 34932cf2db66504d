// An issue open while the cover press works through the library offline: every other
// notebook's painting fails, one after another, and the open issue's sheet and outline (real
// widgets, the sheet laid out with its head and two headings) are not painted once.

#include "TempFolder.h"
#include "support/Paints.h"
#include "app/IssuePane.h"
#include "app/IssueView.h"
#include "library/Library.h"
#include "press/Press.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <sstream>
#include <string>

using namespace nolby;

namespace {

BlockItem heading(const std::string& text, double y) {
    BlockItem b;
    b.json = R"({"t":"h","text":")" + text + R"("})";
    b.y = y;
    b.seed = 3;
    return b;
}

}  // namespace

TEST(PressQuiet, AnOpenIssueIsNotRepaintedWhileThePressFailsTheOthers) {
    test::TempFolder folder;
    auto scheduler = std::make_shared<ManualScheduler>();
    int asked = 0;
    // Offline: every painting fails as soon as it is asked for.
    auto press = Press::make(folder.path, scheduler,
                             [&](const std::string&, const std::string&, const std::string&,
                                 const std::optional<std::string>&, Press::Reply reply) {
                                 ++asked;
                                 reply(std::nullopt);
                             });
    auto library = Library::make(folder.path, scheduler, press, nullptr);
    Notebook open = library->create(1600, 600);
    open.title = "Why the tides turn";
    open.pages[0].items.emplace_back(heading("The moon pulls", 140));
    open.pages[0].items.emplace_back(heading("The sun pulls too", 600));
    library->save(open, true);
    std::vector<Notebook> others;
    for (int i = 0; i < 40; ++i) {
        Notebook n = library->create(1600, 600);
        n.title = "Issue " + std::to_string(i);
        library->save(n, true);
        others.push_back(n);
    }

    IssueServices services{library, scheduler, press, {}, nullptr, {}};
    std::unique_ptr<IssueView> view(IssueView::open(services, open.id, [] {}));
    view->resize(1400, 800);
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    auto rest = [&] {
        for (int i = 0; i < 4; ++i) {
            scheduler->drain();
            view->settle();
            QApplication::processEvents();
        }
    };
    rest();
    auto* pane = static_cast<IssuePane*>(view->pane(0));
    SheetPane::Chrome* outline = pane->outline();
    ASSERT_TRUE(outline->isVisible()) << "the outline shows the two headings";
    ASSERT_EQ(pane->outlineLaid()->rows().size(), 2u);
    QTest::qWait(800);  // its fade in has ended
    rest();
    const int draws = outline->draws();
    const int before = asked;

    test::Paints paints;
    for (const Notebook& n : others) press->ensure(n);
    rest();
    EXPECT_EQ(asked - before, 40);
    EXPECT_EQ(press->failed().size(), 41u);  // the open one was asked for when it appeared
    EXPECT_EQ(paints.of(pane->scroll()->viewport()), 0);
    EXPECT_EQ(paints.of(outline), 0);
    EXPECT_EQ(outline->draws(), draws);

    view->closeModels();
    view.reset();
    library->flush();
}
