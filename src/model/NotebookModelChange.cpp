// The one change path of page items, undo and redo, notices, saving and closing.
#include "model/NotebookModel.h"

#include "model/Library.h"
#include "model/TutorLink.h"

#include <algorithm>
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
    if (isUndo) redoStack.push_back(std::move(now));
    else pushUndo(std::move(now));
    // Copies that page flow had carried off this page go back to where flow put them, not
    // onto this page where the undo had brought them back.
    std::set<Uuid> elsewhere;
    for (const Displaced& d : entry.displaced)
        for (const PageItem& item : d.items) elsewhere.insert(item.id());
    nb.modify([&](Notebook& n) {
        std::vector<PageItem> items = learnerChange(entry.items, n.pages[i].items);
        std::erase_if(items, [&](const PageItem& item) { return elsewhere.count(item.id()) > 0; });
        n.pages[i].items = std::move(items);
    });
    raiseVersion(entry.page);
    std::vector<Displaced> taken = tidy(entry.page);
    if (isUndo) redoStack.back().displaced = std::move(taken);
    else reinstate(entry.displaced);

    i = pageIndexOf(entry.page);
    if (isUndo) {
        if (i >= 0 && i != pageIndex.get()) go(i, true, false);
    } else if (i >= 0) {
        carry(i);
    }
    save(false);
    haptic();
    return true;
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
