// Making a model: the page it opens on, its scale, its wiring and the quiet writes of its
// observed state.
#include "ModelTestSupport.h"

#include "ink/Ink.h"

#include <gtest/gtest.h>

using namespace nolby;
using namespace nolby::test;

namespace {

// Counts the notifications of one observed property.
template <class T>
struct Counter {
    int calls = 0;
    Subscription sub;
    explicit Counter(Observed<T>& o) : sub(o.observe([this] { ++calls; })) {}
};

Notebook pagesWithLast(size_t pages, int64_t lastPage) {
    Notebook n = notebookOf(std::vector<std::vector<PageItem>>(pages));
    n.lastPage = lastPage;
    return n;
}

}  // namespace

TEST(NotebookModel, OpensOnTheStoredPageWithinThePages) {
    struct Case {
        size_t pages;
        int64_t last;
        int opens;
    };
    const Case cases[] = {{3, 7, 2}, {3, 1, 1}, {3, -4, 0}, {1, 0, 0}, {0, 5, 0}};
    for (const Case& c : cases) {
        ModelRig rig;
        NotebookModel& m = rig.open(pagesWithLast(c.pages, c.last));
        EXPECT_EQ(m.pageIndex.get(), c.opens) << c.pages << " pages, last " << c.last;
        EXPECT_EQ(m.nb->pages.size(), std::max<size_t>(c.pages, 1));  // a page-less notebook gets one
    }
}

TEST(NotebookModel, ScaleFitsOnePageInTheView) {
    struct Case {
        double pageW, pageH;
        Size view;
        double scale;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {400, 869, {0, 0}, 1},
        {400, 869, {800, 600}, 600.0 / 869 * 1.08},
        {400, 869, {200, 2000}, 0.5},
        {0, 869, {800, 600}, 1},
        {400, -1, {800, 600}, 1},
        {nan, 869, {800, 600}, 1},
        {400, inf, {800, 600}, 1},
    };
    for (const Case& c : cases) {
        ModelRig rig;
        Notebook n;
        n.pageW = c.pageW;
        n.pageH = c.pageH;
        NotebookModel& m = rig.open(n);
        m.viewSize.set(c.view);
        EXPECT_DOUBLE_EQ(m.scale(), c.scale) << c.pageW << "x" << c.pageH;
    }
    EXPECT_NEAR(600.0 / 869 * 1.08, 0.7457, 5e-5);
}

TEST(NotebookModel, EqualWritesAreSilent) {
    ModelRig rig;
    NotebookModel& m = rig.open(pagesWithLast(3, 0));

    Counter page(m.pageIndex);
    m.pageIndex.set(0);
    EXPECT_EQ(page.calls, 0);
    m.pageIndex.set(1);
    EXPECT_EQ(page.calls, 1);

    // A reading compares by its start alone.
    NotebookModel::TutorStatus reading;
    reading.reading = NotebookModel::TutorStatus::Reading{0, {{10, 10, 100, 20}}, 5};
    m.tutor.set(reading);
    Counter tutor(m.tutor);
    reading.reading->lines = {{0, 0, 1, 1}, {2, 2, 3, 3}};
    reading.reading->page = 2;
    m.tutor.set(reading);
    EXPECT_EQ(tutor.calls, 0);
    reading.reading->start = 6;
    m.tutor.set(reading);
    EXPECT_EQ(tutor.calls, 1);

    // A notice is the same notice while its id is.
    NotebookModel::Notice shown{Uuid::random(), "Undone", "Redo"};
    m.notice.set(shown);
    Counter notice(m.notice);
    shown.text = "Redone";
    m.notice.set(shown);
    EXPECT_EQ(notice.calls, 0);

    // A notebook with the same id and date is stored silently, whatever its pages hold.
    Counter nb(m.nb);
    Notebook copy = m.nb.get();
    copy.pages.push_back(Page{});
    m.nb.set(copy);
    EXPECT_EQ(nb.calls, 0);
    EXPECT_EQ(m.nb->pages.size(), 4u);

    // Every write of the live stroke is news.
    Counter live(m.live);
    m.live.set(m.live.get());
    EXPECT_EQ(live.calls, 1);
}

TEST(NotebookModel, WriterMayKeepAStagePerPageWhileSpreadOrScrolling) {
    ModelRig rig;
    NotebookModel& m = rig.open(Notebook{});
    EXPECT_FALSE(m.scribe->spread);
    m.scroll.set(true);
    EXPECT_TRUE(m.scribe->spread);
    m.spread.set(true);
    m.spread.set(false);
    EXPECT_TRUE(m.scribe->spread);  // scroll still holds it
    m.scroll.set(false);
    EXPECT_FALSE(m.scribe->spread);
}

TEST(NotebookModel, PageVersions) {
    ModelRig rig;
    NotebookModel& m = rig.open(pagesWithLast(2, 0));
    EXPECT_EQ(m.version(-1), 0);
    EXPECT_EQ(m.version(2), 0);
    EXPECT_EQ(m.version(1), 0);  // never changed
    m.mutate(1, false, [](std::vector<PageItem>& items) { items.push_back(note(100)); });
    m.mutate(1, false, [](std::vector<PageItem>&) {});
    EXPECT_EQ(m.version(1), 2);
    EXPECT_EQ(m.version(0), 0);
}

TEST(NotebookModel, WritingStartsClearTheThinkingAndReadingMarks) {
    ModelRig rig;
    NotebookModel& m = rig.open(Notebook{});
    NotebookModel::TutorStatus t;
    t.thinking = true;
    t.reading = NotebookModel::TutorStatus::Reading{0, {}, 3};
    t.thinkingAt = NotebookModel::TutorStatus::Mark{0, {50, 60}};
    t.error = "late";
    m.tutor.set(t);
    m.scribe->started();
    EXPECT_FALSE(m.tutor->thinking);
    EXPECT_FALSE(m.tutor->reading);
    EXPECT_TRUE(m.tutor->thinkingAt);
    EXPECT_EQ(m.tutor->error, "late");
}

TEST(NotebookModel, CallbacksOutliveTheModelHarmlessly) {
    ModelRig rig;
    rig.open(Notebook{});
    auto scribe = rig.model->scribe;
    auto raster = rig.model->raster;
    rig.model.reset();
    scribe->started();
    scribe->finished(Uuid::random());
    raster->ready();
}

TEST(NotebookModel, ToolsByRawValue) {
    for (auto tool : {NotebookModel::Tool::pen, NotebookModel::Tool::marker, NotebookModel::Tool::eraser})
        EXPECT_EQ(NotebookModel::toolFromRawValue(NotebookModel::rawValue(tool)), tool);
    EXPECT_FALSE(NotebookModel::toolFromRawValue("Pen"));
    EXPECT_FALSE(NotebookModel::toolFromRawValue("brush"));
}

TEST(NotebookModel, AccentFallsBackToBlue) {
    ModelRig rig;
    Notebook n;
    n.color = "no such colour";
    EXPECT_EQ(rig.open(n).accent(), Ink::color(std::string("blue"), Ink::ink));
    n.color = "teal";
    EXPECT_EQ(rig.open(n).accent(), Ink::color(std::string("teal"), Ink::ink));
}
