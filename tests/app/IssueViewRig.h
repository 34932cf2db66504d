#pragma once
// An issue view on a store in a temporary data folder, on the manual scheduler, with models
// whose tutor runs no turns (the stand-in counts what it is asked).

#include "TempFolder.h"
#include "app/IssuePane.h"
#include "app/IssueView.h"
#include "library/Library.h"
#include "model/TutorLink.h"

#include <QApplication>
#include <QTest>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace nolby::test {

struct IssueViewRig {
    TempFolder folder;
    std::shared_ptr<ManualScheduler> scheduler = std::make_shared<ManualScheduler>();
    std::shared_ptr<Library> library = Library::make(folder.path, scheduler, nullptr, nullptr);
    IssueServices services{library, scheduler, nullptr, {}, nullptr, {}};
    int closes = 0;
    std::unique_ptr<IssueView> view;

    explicit IssueViewRig(double pageW = 600, double pageH = 1600, std::string color = "blue") {
        Notebook n = library->create(pageH, pageW);
        n.color = std::move(color);
        library->save(n, true);
        view.reset(IssueView::open(services, n.id, [this] { ++closes; }));
    }
    ~IssueViewRig() {
        if (view) view->closeModels();
        view.reset();
        library->flush();
    }

    NotebookModel& model() { return *view->model(); }

    // Shows the view at a size, active, with its fade ended.
    void show(int w = 1000, int h = 700) {
        view->resize(w, h);
        view->show();
        view->activateWindow();
        (void)QTest::qWaitForWindowActive(view.get());
        view->settle();
        QApplication::processEvents();
    }
    // Lets posted work run and slides end.
    void rest() {
        QApplication::processEvents();
        view->settle();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }

    // Opens a dive from words on the focused level's first page.
    void dive(int level, const std::string& words) {
        view->actions(level).dive(words, "a passage about " + words, 0, {Rect{40, 200, 120, 24}});
    }

    // Shows the view and stacks a dive on each word, each over the one before.
    void stack(const std::vector<std::string>& words, int w = 1000) {
        show(w, 700);
        for (size_t i = 0; i < words.size(); ++i) dive(static_cast<int>(i), words[i]);
        rest();
    }

    static StandInTutor& tutor(NotebookModel& m) { return dynamic_cast<StandInTutor&>(*m.session); }

    // The texts of a stored notebook's typed notes, page by page.
    std::vector<std::string> storedNotes(const Uuid& id) const {
        std::vector<std::string> texts;
        if (std::optional<Notebook> n = library->notebook(id))
            for (const Page& p : n->pages)
                for (const PageItem& item : p.items)
                    if (const auto* t = std::get_if<TextItem>(&item.value)) texts.push_back(t->text);
        return texts;
    }

    static void type(NotebookModel& m, const std::string& text) {
        m.startWriting(Point{60, 300}, false);
        m.editing.modify([&](std::optional<NotebookModel::Editing>& e) {
            if (e) e->text = text;
        });
    }
    // Where a level's sheet takes clicks and keys.
    QWidget* sheet(int level) const { return static_cast<IssuePane*>(view->pane(level))->scroll()->viewport(); }
    SheetScrollView* scroll(int level) const { return static_cast<IssuePane*>(view->pane(level))->scroll(); }

    // Writes a paragraph of the tutor's on the notebook's first page, laid out as in the app.
    void writeParagraph(const std::string& text, double y = 140) { writeBlock(R"({"t":"p","text":")" + text + R"("})", y); }
    // Writes a block of the tutor's (its JSON) on the notebook's first page at `y`.
    void writeBlock(const std::string& json, double y) {
        BlockItem b;
        b.json = json;
        b.y = y;
        b.seed = 3;
        model().mutate(0, false, [&](std::vector<PageItem>& items) { items.emplace_back(b); });
        rest();
    }
    // The middle of a word on page 0 of a level's sheet, in the window's coordinates; none
    // when the word is not written there or not in view.
    std::optional<QPoint> onWord(int level, const std::string& word) {
        SheetScrollView* s = scroll(level);
        s->sheet().relayout();
        const SheetLayout* layout = s->sheet().layout();
        if (!layout) return std::nullopt;
        NotebookModel& m = level == 0 ? model() : *view->dives()[level - 1];
        for (const NotebookModel::Word& w : m.words(0)) {
            if (w.text != word) continue;
            const std::optional<Rect> r = layout->view(w.rect, 0);
            if (!r) return std::nullopt;
            const QPoint inViewport(static_cast<int>(r->midX()), static_cast<int>(r->midY() - s->scrollPosition()));
            return s->viewport()->mapTo(view.get(), inViewport);
        }
        return std::nullopt;
    }
};

}  // namespace nolby::test
