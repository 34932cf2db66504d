// The one change path of page items, undo and redo, notices, saving and closing.
#include "model/NotebookModel.h"

#include "library/Library.h"
#include "model/TutorLink.h"

#include <algorithm>
#include <limits>
#include <set>

namespace nolby {

void NotebookModel::mutate(int page, bool undoable, const Change& change) {
    if (page < 0 || page >= static_cast<int>(nb->pages.size())) return;
    const Page& p = nb->pages[page];
    if (undoable) {
        pushUndo({p.id, p.items});
        redoStack.clear();
    }
    const Uuid id = p.id;
    // The edit and its date are one change of the notebook: observers hear of it once.
    nb.modify([&](Notebook& n) {
        change(n.pages[page].items);
        n.updated = ReferenceClock::now();
    });
    raiseVersion(id);
    save(false);
}

void NotebookModel::pushUndo(Snapshot snapshot) {
    undoStack.push_back(std::move(snapshot));
    // Every path that pushes keeps the bound, not only the undoable change.
    while (undoStack.size() > maxUndo) undoStack.erase(undoStack.begin());
}

namespace {

constexpr double kBetween = 12;  // room the tutor leaves below a block

template <class T>
void keepTurnStamp(T& restored, const T& now) {
    if (now.turn) restored.turn = now.turn;
}

}  // namespace

std::vector<PageItem> NotebookModel::learnerChange(const std::vector<PageItem>& snapshot,
                                                   const std::vector<PageItem>& current) {
    std::map<Uuid, const PageItem*> now;
    for (const PageItem& item : current) now.emplace(item.id(), &item);

    std::vector<PageItem> out;
    out.reserve(snapshot.size() + current.size());
    std::set<Uuid> kept;
    for (const PageItem& item : snapshot) {
        kept.insert(item.id());
        PageItem restored = item;
        auto found = now.find(item.id());
        if (found != now.end()) {
            const PageItem& was = *found->second;
            // What the tutor did meanwhile stays: the turn that read learner ink, and a
            // painting that arrived for a sketch block. Only the learner's change goes back.
            if (TextItem* t = std::get_if<TextItem>(&restored.value); t && was.text()) keepTurnStamp(*t, *was.text());
            if (StrokeItem* s = std::get_if<StrokeItem>(&restored.value); s && was.stroke())
                keepTurnStamp(*s, *was.stroke());
            if (BlockItem* b = std::get_if<BlockItem>(&restored.value); b && was.block() && was.block()->image)
                b->image = was.block()->image;
        }
        out.push_back(std::move(restored));
    }
    for (const PageItem& item : current)
        if (item.block() && !kept.count(item.id())) out.push_back(item);
    return out;
}

bool NotebookModel::restore(std::vector<Snapshot>& from, std::vector<Snapshot>& to, bool isUndo) {
    if (from.empty()) return false;
    Snapshot entry = std::move(from.back());
    from.pop_back();
    int i = pageIndexOf(entry.page);
    if (i < 0) return false;  // its page is gone: the entry is used up

    Snapshot now{entry.page, nb->pages[i].items, {}};
    if (isUndo) redoStack.push_back(now);
    else pushUndo(now);
    // Copies that page flow had carried off this page go back to where flow put them, not
    // onto this page where the undo had brought them back.
    std::set<Uuid> elsewhere;
    for (const Displaced& d : entry.displaced)
        for (const PageItem& item : d.items) elsewhere.insert(item.id());
    std::vector<PageItem> items = learnerChange(entry.items, now.items);
    std::erase_if(items, [&](const PageItem& item) { return elsewhere.count(item.id()) > 0; });
    const bool pushed = keepTutorWritingClear(items, now.items, entry.items);
    nb.modify([&](Notebook& n) { n.pages[i].items = std::move(items); });
    raiseVersion(entry.page);
    std::vector<Displaced> taken = tidy(entry.page);
    if (isUndo) redoStack.back().displaced = std::move(taken);
    else reinstate(entry.displaced);

    i = pageIndexOf(entry.page);
    if (isUndo) {
        // What the tutor's writing held down may now run past the bottom margin.
        if (i >= 0 && pushed) carry(i);
        if (i >= 0 && i != pageIndex.get()) go(i, true, false);
    } else if (i >= 0) {
        carry(i);
    }
    save(false);
    haptic();
    return true;
}

bool NotebookModel::keepTutorWritingClear(std::vector<PageItem>& items, const std::vector<PageItem>& current,
                                          const std::vector<PageItem>& snapshot) {
    std::set<Uuid> before;
    for (const PageItem& item : snapshot) before.insert(item.id());
    std::map<Uuid, const PageItem*> now;
    for (const PageItem& item : current) now.emplace(item.id(), &item);
    const auto isMark = [](const PageItem& item) { return item.block() && item.block()->box; };

    // Every item that stands on the page now and stays, by where it stands now: how far the
    // restore moves it (kept writing: not at all), and how far it finally moves.
    struct Standing {
        size_t index;
        double top, bottom;  // ink, as it stands now
        double restored, moved;
        bool kept;
    };
    std::vector<Standing> standing;
    std::vector<size_t> away;  // restored from other pages, where page flow had carried them
    bool anyKept = false;
    for (size_t k = 0; k < items.size(); ++k) {
        const PageItem& item = items[k];
        if (isMark(item) || isPageTurn(item)) continue;
        auto found = now.find(item.id());
        if (found == now.end()) {
            if (!bounds(item).isNull()) away.push_back(k);
            continue;
        }
        const Rect ink = bounds(*found->second);
        if (ink.isNull()) continue;
        const bool kept = !before.count(item.id());
        const double top = inkTop(*found->second);
        const double restored = kept ? 0 : inkTop(item) - top;
        standing.push_back({k, top, ink.maxY(), restored, restored, kept});
        anyKept = anyKept || kept;
    }

    // Down the page as it stands: an item never comes up past the tutor's writing above it
    // (nor the writing past what it stood below), nor past what had to stay below it.
    std::stable_sort(standing.begin(), standing.end(), [](const Standing& a, const Standing& b) { return a.top < b.top; });
    bool pushed = false;
    const auto push = [&](size_t index, double by) {
        PageItem& item = items[index];
        // A ring around words above the note stays on them.
        item = item.shifted(by, inkTop(item));
        pushed = pushed || by > 0.5;
    };
    for (size_t i = 0; anyKept && i < standing.size(); ++i) {
        Standing& s = standing[i];
        for (size_t j = 0; j < i; ++j) {
            const Standing& above = standing[j];
            const bool holds = above.kept || s.kept || above.moved > above.restored + 0.01;
            if (holds && above.bottom <= s.top + 0.5) s.moved = std::max(s.moved, above.moved);
        }
        if (s.moved > s.restored + 0.01) push(s.index, s.moved - s.restored);
    }
    // What comes back from other pages had been carried from the foot of this one, below
    // everything on it: it moves down with the restored items pushed down, and keeps clear
    // of the tutor's writing.
    if (anyKept && !away.empty()) {
        double top = kInf;
        for (size_t k : away) top = std::min(top, inkTop(items[k]));
        double by = 0;
        for (const Standing& s : standing) {
            if (!s.kept) by = std::max(by, s.moved - s.restored);
            else by = std::max(by, s.bottom + s.moved + kBetween - top);
        }
        if (by > 0.01)
            for (size_t k : away) push(k, by);
    }

    // A mark stays on the words it marks: one made since moves from where it stands as the
    // item under it moves; a restored one follows that item's push.
    for (PageItem& item : items) {
        if (!isMark(item)) continue;
        auto found = now.find(item.id());
        if (found == now.end()) continue;
        const Rect box = *found->second->block()->box;
        for (const Standing& s : standing) {
            if (!bounds(*now.at(items[s.index].id())).contains({box.midX(), box.midY()})) continue;
            BlockItem placed = *item.block();
            if (before.count(item.id())) placed.box = placed.box->offsetBy(0, s.moved - s.restored);
            else placed.box = box.offsetBy(0, s.moved);
            item = PageItem(std::move(placed));
            break;
        }
    }
    return pushed;
}

bool NotebookModel::undo() {
    commitEditing();
    return restore(undoStack, redoStack, true);
}

bool NotebookModel::redo() { return restore(redoStack, undoStack, false); }

void NotebookModel::notify(std::string text, std::string action, std::function<void()> act) {
    Notice shown;
    shown.text = std::move(text);
    shown.action = std::move(action);
    notice.set(shown);
    noticeAction = std::move(act);
    std::weak_ptr<NotebookModel> weak = weak_from_this();
    const Uuid id = shown.id;
    services_.scheduler->after(noticeSeconds, [weak, id] {
        auto self = weak.lock();
        // A newer notice keeps its own full time.
        if (self && self->notice.get() && self->notice.get()->id == id) self->notice.set(std::nullopt);
    });
}

void NotebookModel::save(bool now) {
    nb.modify([&](Notebook& n) { n.lastPage = pageIndex.get(); });
    if (services_.library) services_.library->save(nb.get(), now);
}

void NotebookModel::close() {
    // The note being typed is kept: closing must not lose what the learner wrote.
    commitEditing();
    scribe->flush();
    if (session) session->cancel();
    if (isEmptyNotebook() && nb->turns.empty()) {
        if (services_.library) services_.library->remove(nb->id);
        return;
    }
    const auto trailingEmpty = [](const Notebook& n) { return n.pages.size() >= 2 && n.pages.back().items.empty(); };
    if (trailingEmpty(nb.get()))
        nb.modify([&](Notebook& n) {
            while (trailingEmpty(n)) n.pages.pop_back();
        });
    const int last = static_cast<int>(nb->pages.size()) - 1;
    if (pageIndex.get() > last) pageIndex.set(last);
    save(true);
}

bool NotebookModel::isEmptyNotebook() const {
    for (const Page& p : nb->pages)
        if (!p.items.empty()) return false;
    return !editing.get();
}

}  // namespace nolby
