#pragma once
// A notebook model on a store in a temporary data folder, with the manual clock and
// scheduler, a haptics recorder and a stand-in tutor the test can stage turns on; and page
// items whose ink is primed with rectangles of exact bounds, so page flow can be tested
// to the half point.

#include "../library/LibraryTestSupport.h"
#include "ink/ops/FillOp.h"
#include "model/NotebookModel.h"
#include "model/TutorLink.h"
#include "platform/Haptics.h"

#include <memory>

namespace nolby::test {

struct ModelRig {
    Store store;
    std::shared_ptr<HapticsRecorder> haptics = std::make_shared<HapticsRecorder>();
    std::shared_ptr<StandInTutor> tutor = std::make_shared<StandInTutor>();
    std::shared_ptr<NotebookModel> model;

    ModelRig() { store.open(); }

    NotebookModel& open(Notebook notebook) {
        NotebookModel::Services s;
        s.library = store.library;
        s.clock = store.scheduler->clock();
        s.scheduler = store.scheduler;
        s.haptics = haptics;
        auto t = tutor;
        s.tutor = [t](std::weak_ptr<NotebookModel>) { return t; };
        model = NotebookModel::make(std::move(notebook), std::move(s));
        return *model;
    }

    ManualScheduler& scheduler() { return *store.scheduler; }
    // Runs background work (file writes) and what it posts back, without moving the clock.
    void settle() { store.scheduler->drain(); }
};

// A filled rectangle: an operation whose bounds are exactly the rectangle.
inline InkOpRef box(Rect r) {
    Path p;
    p.addRect(r);
    return std::make_shared<FillOp>(std::move(p), Color::hex(0x1e1e1e));
}

// A tutor paragraph block at y; its ink is primed separately.
inline BlockItem paragraph(double y, std::string text = "words") {
    BlockItem b;
    b.json = R"({"t":"p","text":")" + text + R"("})";
    b.y = y;
    b.seed = 7;
    return b;
}

// The page-turn mark the tutor leaves on a page it turns away from.
inline BlockItem pageTurn(double y) {
    BlockItem b;
    b.json = R"({"t":"pto"})";
    b.y = y;
    b.h = 18;
    return b;
}

// A learner note at (x, y).
inline TextItem note(double y, std::string text = "a note", double x = 28) {
    TextItem t;
    t.x = x;
    t.y = y;
    t.width = 300;
    t.text = std::move(text);
    t.color = "learner";
    t.size = 17;
    return t;
}

// A notebook of the given page size with one page per list of items.
inline Notebook notebookOf(std::vector<std::vector<PageItem>> pages, double pageH = 869, double pageW = 400) {
    Notebook n;
    n.pageW = pageW;
    n.pageH = pageH;
    n.pages.clear();
    for (auto& items : pages) {
        Page p;
        p.items = std::move(items);
        n.pages.push_back(std::move(p));
    }
    return n;
}

// Primes a block whose ink covers exactly (x, top, w, bottom − top).
inline void primeInk(NotebookModel& m, const PageItem& item, double top, double bottom, double x = 24, double w = 200) {
    m.cache->prime(item, {box({x, top, w, bottom - top})}, m.geo());
}

}  // namespace nolby::test
