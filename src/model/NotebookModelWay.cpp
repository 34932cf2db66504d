// The one next step a notebook offers (write the rest, wait while the tutor reads, ask,
// skip the open question, turn the page, go on), what it is decided from, the review list
// and the prompts of the place where the learner types.
#include "model/NotebookModel.h"

#include "ink/J.h"
#include "model/TutorLink.h"
#include "platform/Unicode.h"

#include <algorithm>

namespace nolby {

namespace {

// Without spaces and tabs at either end; line breaks stay.
std::string_view trimSpacesAndTabs(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return s.substr(b, e - b);
}

}  // namespace

NotebookModel::Way NotebookModel::way() {
    if (scribe->busy.get()) return Way::of(Way::Kind::writing);
    if (tutor->thinking) {
        if (hasNewInk()) return Way::of(Way::Kind::reading);
        return Way::of(turnCue() ? Way::Kind::turn : Way::Kind::reading);
    }
    if (hasNewInk()) return Way::of(Way::Kind::ask);
    if (openAsk()) return Way::of(Way::Kind::skip);
    if (turnCue() || laterInk()) return Way::of(Way::Kind::turn);
    return Way::next(nextLabel());
}

void NotebookModel::follow(const Way& w) {
    switch (w.kind) {
        case Way::Kind::skip:
            skip();
            haptic();
            return;
        case Way::Kind::turn:
            // A flip or curl plays its own feedback.
            if (std::optional<int> next = nextPageIndex()) go(*next, true, false);
            return;
        case Way::Kind::writing:
            for (int i : inView())
                if (i >= 0 && i < static_cast<int>(nb->pages.size())) scribe->finishPage(nb->pages[i].id);
            haptic();
            return;
        case Way::Kind::reading:
            return;
        case Way::Kind::ask:
        case Way::Kind::next:
            ask();
            haptic();
            return;
    }
}

std::optional<NotebookModel::Ask> NotebookModel::openAsk() {
    const int page = readingPage();
    if (page < 0 || page >= static_cast<int>(nb->pages.size())) return std::nullopt;
    const std::vector<PageItem>& items = nb->pages[page].items;
    // The lowest content block; on equal tops the first in page order.
    const BlockItem* lowest = nullptr;
    std::string lowestKind;
    for (const PageItem& item : items) {
        const BlockItem* block = item.block();
        if (!block || (lowest && !(block->y > lowest->y))) continue;
        std::string k = kind(*block);
        if (overlays().count(k)) continue;
        lowest = block;
        lowestKind = std::move(k);
    }
    if (!lowest || lowestKind != "ask") return std::nullopt;
    const std::optional<Rect> room = NotebookModel::room(*lowest, geo());
    if (!room) return std::nullopt;
    // Any learner writing in the room, or within 6 points above or below it, answers it.
    const Rect near{room->x, room->y - 6, room->w, room->h + 12};
    for (const PageItem& item : items)
        if ((item.text() || item.stroke()) && bounds(item).intersects(near)) return std::nullopt;
    return Ask{*lowest, *room};
}

bool NotebookModel::missed() const {
    const auto& v = nb->verdict;
    return v && (*v == "wrong" || *v == "partly");
}

void NotebookModel::skip() {
    if (std::optional<Ask> question = openAsk()) {
        const std::string text = J::parse(question->block.json).value_or(J()).str("text", "");
        if (!text.empty()) remember(text);
    }
    nb.modify([](Notebook& n) {
        n.misses = 0;
        n.verdict.reset();
    });
    ask();
}

void NotebookModel::remember(const std::string& idea) {
    std::vector<std::string> list = nb->review.value_or(std::vector<std::string>{});
    std::erase(list, idea);
    list.push_back(idea);
    if (list.size() > 6) list.erase(list.begin(), list.end() - 6);
    nb.modify([&](Notebook& n) { n.review = std::move(list); });
    save(false);
}

bool NotebookModel::hasNewInk() const {
    if (const auto& e = editing.get(); e && !trimSpacesAndTabs(e->text).empty()) return true;
    for (const Page& p : nb->pages)
        for (const PageItem& item : p.items) {
            if (const TextItem* t = item.text(); t && !t->turn) return true;
            if (const StrokeItem* s = item.stroke(); s && !s->turn) return true;
        }
    return false;
}

bool NotebookModel::laterInk() const {
    if (turning()) return false;
    const std::vector<int> view = inView();
    const int last = view.empty() ? pageIndex.get() : view.back();
    const int count = static_cast<int>(nb->pages.size());
    for (int i = std::max(last + 1, 0); i < count; ++i)
        if (!nb->pages[i].items.empty()) return true;
    return false;
}

bool NotebookModel::turnCue() const {
    if (turning()) return false;
    const int count = static_cast<int>(nb->pages.size());
    if (pageIndex.get() < 0 || pageIndex.get() >= count) return false;
    const std::set<Uuid>& waiting = scribe->waiting.get();
    const std::vector<int> view = inView();
    for (int i : view)
        if (i >= 0 && i < count && waiting.count(nb->pages[i].id)) return false;
    const int last = view.empty() ? pageIndex.get() : view.back();
    for (int i = std::max(last + 1, 0); i < count; ++i)
        if (waiting.count(nb->pages[i].id)) return true;
    return session && session->task() && session->composingPage() > last;
}

std::optional<std::string> NotebookModel::nextLabel() const {
    if (nb->next) {
        const std::string_view label = trimSpacesAndTabs(*nb->next);
        if (!label.empty()) return std::string(label);
    }
    if (!nb->plan) return std::nullopt;
    const std::vector<std::string> titles = J::parse(*nb->plan).value_or(J()).strs("steps");
    // `step` counts from 1: as an index from 0 it names the step after the one reached.
    const int64_t step = nb->step;
    if (step < 0 || step >= static_cast<int64_t>(titles.size())) return std::nullopt;
    return unicode::lowercased(titles[static_cast<size_t>(step)]);
}

std::vector<std::string> NotebookModel::fieldPrompts() {
    if (openAsk()) return missed() ? std::vector<std::string>{"Try again"} : std::vector<std::string>{"Your answer", "Answer"};
    if (isEmptyNotebook()) return {"What do you want to learn?", "Learn anything"};
    return {"Ask about anything", "Ask anything", "Ask"};
}

}  // namespace nolby
