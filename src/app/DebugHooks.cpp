#include "app/DebugHooks.h"

#include "app/LaunchArguments.h"
#include "app/Router.h"
#include "platform/Unicode.h"

#include <chrono>
#include <cmath>
#include <fstream>
#include <iterator>
#include <numbers>

namespace nolby::DebugHooks {

namespace {

std::optional<std::vector<std::string>>& given() {
    static std::optional<std::vector<std::string>> args;
    return args;
}

void busyWait(double seconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < until) {
    }
}

// Writes the text as a typed note opened by `open` and commits it.
void writeNote(NotebookModel& model, const std::string& text, const std::function<void()>& open) {
    open();
    if (model.editing.get())
        model.editing.modify([&](std::optional<NotebookModel::Editing>& e) { e->text = text; });
    model.commitEditing();
}

void askLater(const std::shared_ptr<NotebookModel>& model, Scheduler& scheduler, double seconds) {
    scheduler.after(seconds, [weak = std::weak_ptr<NotebookModel>(model)] {
        if (auto m = weak.lock()) m->ask();
    });
}

// The question begun for this very notebook, when it is still empty: taken and delivered.
bool deliverQuestion(const std::shared_ptr<NotebookModel>& model, Scheduler& scheduler) {
    auto& pending = Router::shared().pendingQuestion;
    if (!pending.get() || pending.get()->notebook != model->nb->id || !model->isEmptyNotebook()) return false;
    const std::string question = pending.get()->question;
    pending.set(std::nullopt);
    NotebookModel& m = *model;
    writeNote(m, question, [&] { m.startWriting({28, m.firstLine()}, false); });
    askLater(model, scheduler, 0.5);
    return true;
}

void replay(NotebookModel& m) {
    const int index = m.pageIndex.get();
    if (index < 0 || index >= static_cast<int>(m.nb->pages.size())) return;
    const Page page = m.nb->pages[static_cast<size_t>(index)];
    for (const PageItem& item : page.items)
        if (item.block()) m.scribe->enqueue(page.id, item.id(), m.entry(item).ops, 0, false);
    // The whole reply is there: the writer need not wait for more of it.
    m.scribe->complete.insert(page.id);
    m.scribe->pump();
}

void write(NotebookModel& m, const std::string& text, const std::optional<std::string>& writeAtText,
           const std::optional<std::string>& about) {
    Point at{28, m.firstLine()};
    const int index = m.pageIndex.get();
    const bool onPage = index >= 0 && index < static_cast<int>(m.nb->pages.size());
    if (writeAtText) {
        if (auto p = LaunchArguments::parseWriteAt(*writeAtText)) at = *p;
    } else if (onPage && !m.nb->pages[static_cast<size_t>(index)].items.empty()) {
        at.y = m.lowestInk(index) + 30;
    }
    std::optional<Point> word;
    if (about) word = m.point(*about);
    writeNote(m, text, [&] {
        if (word) m.beginNote(*word, false);
        else m.startWriting(at, false);
    });
}

void leaf(NotebookModel& m, double p) {
    if (!m.spread.get()) return;
    auto next = m.nextPageIndex();
    if (!next) return;
    int from = m.pageIndex.get(), to = *next;
    if (from % 2 == 0) --from;
    if (to % 2 == 0) --to;
    m.leaf.set(NotebookModel::Leaf{true, from, to, p});
}

void curl(NotebookModel& m, double p) {
    const Size view = m.viewSize.get();
    if (!(view.width > 0)) return;
    auto next = m.nextPageIndex();
    if (!next) return;
    const double w = view.width, h = view.height;
    const Point finger{w - 2.35 * p * w, h - 0.04 * p * h - 0.18 * h * std::sin(std::numbers::pi * p)};
    m.curl.set(NotebookModel::Curl{true, m.pageIndex.get(), *next, {w, h}, finger});
}

void applyHooks(const std::shared_ptr<NotebookModel>& model, Scheduler& scheduler) {
    const auto args = LaunchArguments::parse(arguments());
    NotebookModel& m = *model;
    if (args.page && *args.page >= 1 && *args.page <= static_cast<int>(m.nb->pages.size()))
        m.pageIndex.set(*args.page - 1);
    if (args.speed) m.scribe->speed.set(*args.speed);
    if (args.stall && !staller.active()) {
        const double seconds = *args.stall / 1000;
        staller = scheduler.every(0.5, [seconds] {
            if (stallFor) stallFor(seconds);
        });
    }
    if (args.replay) replay(m);
    if (args.write) write(m, *args.write, value("-writeAt"), args.about);
    if (args.ask) askLater(model, scheduler, 0.6);
    if (args.leaf) leaf(m, *args.leaf);
    if (args.curl) curl(m, *args.curl);
}

}  // namespace

bool spent = false;
Timer staller;
bool openedForTesting = false;
std::function<void(double)> stallFor = busyWait;

std::vector<std::string> arguments() {
    if (given()) return *given();
    // NUL-separated, as the kernel holds them.
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> args;
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find('\0', start);
        if (end == std::string::npos) end = all.size();
        args.emplace_back(all.substr(start, end - start));
        start = end + 1;
    }
    return args;
}

void setArguments(std::optional<std::vector<std::string>> args) { given() = std::move(args); }

std::optional<std::string> value(std::string_view key) { return LaunchArguments::value(arguments(), key); }

void apply(const std::shared_ptr<NotebookModel>& model, const std::shared_ptr<Scheduler>& scheduler) {
    if (!model || !scheduler) return;
    if (deliverQuestion(model, *scheduler)) return;
    if (spent) return;
    spent = true;
    applyHooks(model, *scheduler);
}

std::optional<Notebook> autoOpenForTesting(Library& library) {
    if (openedForTesting) return std::nullopt;
    openedForTesting = true;
    const auto open = value("-open");
    if (!open) return std::nullopt;
    return named(library, *open);
}

std::optional<Notebook> named(Library& library, const std::string& open) {
    if (open == "new") return library.create(1600, 600);
    if (open == "newest") {
        for (const NotebookHead& n : library.notebooks.get())
            if (!n.parent) return Library::whole(n);
        return std::nullopt;
    }
    if (open.starts_with("title:")) {
        const std::string query = unicode::lowercased(std::string_view(open).substr(6));
        if (query.empty()) return std::nullopt;  // an empty query is contained in nothing
        for (const NotebookHead& n : library.notebooks.get())
            if (!n.parent && unicode::lowercased(n.title).find(query) != std::string::npos) return Library::whole(n);
        return std::nullopt;
    }
    if (auto id = Uuid::parse(open)) return library.notebook(*id);
    return std::nullopt;
}

void reset() {
    spent = false;
    staller.cancel();
    staller = Timer();
    openedForTesting = false;
    setArguments(std::nullopt);
}

}  // namespace nolby::DebugHooks
