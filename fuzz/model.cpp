// An open notebook driven by arbitrary input: the first byte says how long the script is,
// the script's bytes choose learner and tutor actions (clicks, typing, commits, undo, redo,
// page flow, navigation, words, dive marks, the next step), and what follows is read as a
// notebook file (a small notebook of every kind of item when it does not read). No crash,
// the current page always a page, and every page's ink finite after every step.
#include "FuzzSupport.h"
#include "model/NotebookModel.h"
#include "model/TutorLink.h"
#include "notebook/NotebookFile.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

using namespace nolby;
using namespace nolby::fuzz;

namespace {

const char* const kTyped[] = {"a", " ", "\n", "half", "$\\frac{1}{2}$", "{red:x}", "*it*", "\xC3\xA9", "\xE2\x86\x92",
                              "\t", "((ring))", "`code`", "{", "}", "$", "\xF0\x9F\x98\x80"};

const char* const kBlocks[] = {R"({"t":"p","text":"Energy is never lost, only moved."})",
                               R"({"t":"ask","text":"What is half of 8?","space":20})",
                               R"({"t":"pto"})",
                               R"({"t":"mark","kind":"tick"})",
                               R"({"t":"h","text":"Halves"})",
                               "not json"};

BlockItem blockOf(int which, double y, std::optional<double> h = std::nullopt) {
    BlockItem b;
    b.json = kBlocks[which];
    b.y = y;
    b.h = h;
    b.seed = uint64_t(which) + 3;
    return b;
}

// Used when the bytes are no notebook: two pages with a note, a stroke, a paragraph, a
// question and a page-turn mark.
Notebook sample() {
    Notebook n;
    Page first, second;
    TextItem note;
    note.x = 28;
    note.y = 300;
    note.width = 300;
    note.text = "why halves?";
    note.color = "learner";
    note.size = 17;
    first.items.emplace_back(blockOf(0, 104));
    first.items.emplace_back(note);
    StrokeItem stroke{{40, 420, 0.5f, 60, 424, 0.6f, 80, 421, 0.5f}, "learner", 2.5, "pen"};
    first.items.emplace_back(stroke);
    first.items.emplace_back(blockOf(1, 480, 160));
    first.items.emplace_back(blockOf(2, 740, 18));
    second.items.emplace_back(blockOf(4, 104));
    n.pages = {first, second};
    return n;
}

bool finiteRect(const std::optional<Rect>& r) { return !r || finite(*r); }

// The whole notebook as the model holds it: numbers finite, ink finite.
void checkPages(NotebookModel& m, int from, int to) {
    const int count = static_cast<int>(m.nb->pages.size());
    require(count > 0);
    require(m.pageIndex.get() >= 0 && m.pageIndex.get() < count);
    for (int p = std::max(from, 0); p < std::min(to, count); ++p) {
        for (const PageItem& it : m.nb->pages[p].items) {
            if (auto t = it.text()) require(std::isfinite(t->y) && finiteRect(t->anchor));
            if (auto s = it.stroke())
                for (float v : s->pts) require(std::isfinite(v));
            if (auto b = it.block()) require(std::isfinite(b->y) && finiteRect(b->box));
            require(finite(m.bounds(it)));
        }
        requireFiniteOps(m.settledOps(p));
    }
    if (const auto& e = m.editing.get()) require(std::isfinite(e->x) && std::isfinite(e->y) && std::isfinite(e->width));
    if (m.gap) require(std::isfinite(m.gap->applied) && m.gap->applied >= 0);
}

struct Driver {
    NotebookModel& m;
    std::shared_ptr<StandInTutor> tutor;
    std::shared_ptr<ManualScheduler> scheduler;
    Bytes& in;

    int pages() const { return static_cast<int>(m.nb->pages.size()); }
    // A page index, now and then one that is not there.
    int page() { return int(in.next() % (pages() + 2)) - 1; }
    double x() { return in.next() / 255.0 * (m.nb->pageW + 40) - 20; }
    double y() { return in.next() / 255.0 * (m.nb->pageH + 40) - 20; }
    Point point() {
        const double px = x();
        return {px, y()};
    }

    void type(const std::string& text) {
        if (!m.editing.get()) return;
        m.editing.modify([&](std::optional<NotebookModel::Editing>& e) { e->text += text; });
    }
    void backspace() {
        if (!m.editing.get() || m.editing.get()->text.empty()) return;
        m.editing.modify([](std::optional<NotebookModel::Editing>& e) {
            std::string& t = e->text;
            do t.pop_back();
            while (!t.empty() && (static_cast<unsigned char>(t.back()) & 0xC0) == 0x80);
        });
    }

    void step() {
        switch (in.next() % 24) {
            case 0: case 1: m.click(point(), page()); break;
            case 2: case 3: case 4: type(kTyped[in.next() % std::size(kTyped)]); break;
            case 5: backspace(); break;
            case 6: m.commitEditing(); break;
            case 7: m.undo(); break;
            case 8: m.redo(); break;
            case 9: m.writeHere(); break;
            case 10: m.go(page(), in.next() & 1, in.next() & 1); break;
            case 11: scheduler->advance(in.next() / 100.0); break;
            case 12: {
                const int p = page();
                const double from = y(), by = in.next() * 2.0;
                m.push(p, from, by);
                break;
            }
            case 13: m.carry(page()); break;
            case 14: m.closeUp(page()); break;
            case 15: m.follow(m.way()); break;
            case 16: {
                const int p = page();
                const Point at = point();
                m.markDive(p, {{at.x, at.y, in.next() / 2.0, in.next() / 8.0}}, Uuid::random(), "words");
                break;
            }
            case 17: {
                const Point at = point();
                if (auto hit = m.blockHit(at)) {
                    (void)m.wordAt(at, hit->block);
                    for (const auto& w : m.words(hit->block)) require(finite(w.rect));
                }
                for (const auto& w : m.words(m.pageIndex.get())) require(finite(w.rect));
                (void)m.dives(m.pageIndex.get());
                (void)m.point("energy");
                (void)m.typingSpot();
                (void)m.fieldPrompts();
                break;
            }
            case 18: {
                const uint8_t mode = in.next();
                m.scroll.set(mode & 1);
                m.spread.set(mode & 2);
                m.viewSize.set(mode & 4 ? Size{800, 600} : Size{});
                break;
            }
            case 19: {
                // The tutor's turn: running or not, its placer somewhere, a block placed.
                tutor->running = in.next() & 1;
                tutor->turn = tutor->running ? std::make_shared<TurnState>() : nullptr;
                if (tutor->turn) tutor->turn->placer = Placer{page(), y()};
                tutor->composing = page();
                const int p = page();
                BlockItem b = blockOf(in.next() % std::size(kBlocks), y(), in.next() / 2.0);
                m.mutate(p, false, [&](std::vector<PageItem>& items) { items.emplace_back(b); });
                break;
            }
            case 20: m.ask(); break;
            case 21: m.skip(); break;
            case 22: m.beginNote(point(), in.next() & 1); break;
            case 23:
                if (m.editing.get()) m.editing.modify([](std::optional<NotebookModel::Editing>& e) { e->text.clear(); });
                break;
        }
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    loadFaces();
    repeatIdentifiers();
    if (size == 0) return 0;
    const size_t scriptSize = std::min<size_t>(data[0], size - 1);
    Bytes script{data + 1, scriptSize};
    const std::string_view file(reinterpret_cast<const char*>(data + 1 + scriptSize), size - 1 - scriptSize);
    NotebookFile::Decoded decoded = NotebookFile::decode(file);
    Notebook notebook = decoded.notebook ? std::move(*decoded.notebook) : sample();
    // Bounded work: a long file's later pages add nothing the first ones do not.
    if (notebook.pages.size() > 12) notebook.pages.resize(12);

    auto scheduler = std::make_shared<ManualScheduler>();
    auto tutor = std::make_shared<StandInTutor>();
    NotebookModel::Services services;
    services.clock = scheduler->clock();
    services.scheduler = scheduler;
    services.tutor = [tutor](std::weak_ptr<NotebookModel>) { return tutor; };
    auto model = NotebookModel::make(std::move(notebook), services);

    Driver drive{*model, tutor, scheduler, script};
    while (!script.done()) {
        drive.step();
        const int shown = model->pageIndex.get();
        checkPages(*model, shown - 1, shown + 2);
    }
    model->commitEditing();
    scheduler->advance(2);
    checkPages(*model, 0, 40);
    return 0;
}
