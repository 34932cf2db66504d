// Typed notes: a free note, an answer in a question's room or a margin note about a word,
// opened by a click or by starting to type; reopening a stored note; committing; asking.
#include "model/NotebookModel.h"

#include "model/TutorLink.h"

#include <algorithm>

namespace nolby {

namespace {

// Where a learner note stands among the pages: page and item index, or page -1.
struct Found {
    int page = -1;
    size_t index = 0;
};

Found findText(const Notebook& n, const Uuid& id, int preferred) {
    auto look = [&](int p) -> std::optional<size_t> {
        const auto& items = n.pages[p].items;
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i].id() == id) return items[i].text() ? std::optional<size_t>(i) : std::nullopt;
        return std::nullopt;
    };
    const int count = static_cast<int>(n.pages.size());
    if (preferred >= 0 && preferred < count)
        if (auto i = look(preferred)) return {preferred, *i};
    // Page flow may have carried the stored note on while it was open.
    for (int p = 0; p < count; ++p)
        if (p != preferred)
            if (auto i = look(p)) return {p, *i};
    return {};
}

}  // namespace

double NotebookModel::firstLine() const { return nb->pageH < 700 ? 90 : 118; }

NotebookModel::Editing NotebookModel::newNote(double x, double y, double width, bool spoken) const {
    Editing e;
    e.page = pageIndex.get();
    e.id = Uuid::random();
    e.x = x;
    e.y = y;
    e.width = width;
    e.isNew = true;
    e.spoken = spoken;
    return e;
}

void NotebookModel::startWriting(Point at, bool spoken) {
    const double pageW = nb->pageW, pageH = nb->pageH;
    double x = std::min(pageW - 10, std::max(at.x - 3, 10.0));
    double width = pageW - 18 - x;
    if (width < 170) {
        // Near the right edge the box moves left until it is 170 wide.
        x = std::max(pageW - 18 - 170, 10.0);
        width = pageW - 18 - x;
    }
    const double y = std::min(pageH - 34, std::max(at.y - 12.24, 14.0));
    editing.set(newNote(x, y, width, spoken));
    openGap();
}

void NotebookModel::beginNote(Point at, bool spoken) {
    std::optional<Hit> hit = blockHit(at);
    if (!hit) {
        startWriting(at, spoken);
        return;
    }
    if (kind(hit->block) == "ask")
        if (std::optional<Rect> room = NotebookModel::room(hit->block, geo()); room && at.y >= room->minY() - 12) {
            editing.set(newNote(room->minX() + 2, room->minY() + 1, room->width() - 4, spoken));
            openGap();
            return;
        }
    // A margin note about the word clicked, or about the spot when no word is there.
    Editing e = newNote(38, hit->bounds.maxY() + 12, nb->pageW - 62, spoken);
    if (std::optional<WordBox> word = wordAt(at, hit->block)) {
        e.anchor = word->rect;
        e.about = word->text;
    } else {
        e.anchor = Rect{at.x - 24, at.y - 17, 48, 34};
        e.about = std::string();
    }
    e.below = hit->bounds.maxY() - 6;
    editing.set(e);
    openGap();
}

void NotebookModel::write(Point at) {
    const int page = pageIndex.get();
    if (page < 0 || page >= static_cast<int>(nb->pages.size())) return;
    const std::vector<PageItem>& items = nb->pages[page].items;
    for (size_t k = items.size(); k-- > 0;) {
        const TextItem* t = items[k].text();
        if (!t) continue;
        Rect area = bounds(items[k]);
        // A margin note answers to its own text box: its ring is around someone else's words.
        if (t->anchor && !area.isEmpty())
            area = Rect{t->x - 2, t->y - 4, t->width + 4, std::max(area.maxY() - t->y + 4, 17.0)};
        if (!area.insetBy(-8, -6).contains(at)) continue;
        Editing e;
        e.page = page;
        e.id = t->id;
        e.x = t->x;
        e.y = t->y;
        e.width = t->width;
        e.text = t->text;
        e.isNew = false;
        e.spoken = t->spoken;
        e.anchor = t->anchor;
        e.about = t->about;
        const Uuid pageId = nb->pages[page].id;
        editing.set(e);
        raiseVersion(pageId);  // the page redraws without the stored note
        openGap();
        return;
    }
    beginNote(at, false);
}

void NotebookModel::click(Point at, int page) {
    if (turning() || page < 0 || page >= static_cast<int>(nb->pages.size())) return;
    if (const auto& e = editing.get(); e && e->page == page) {
        if (editingBox(*e).contains(at)) return;
    }
    // Committing may insert a carry page before the clicked one: find it again by its id.
    const Uuid clicked = nb->pages[page].id;
    commitEditing();
    const int now = pageIndexOf(clicked);
    if (now < 0) return;
    if (now != pageIndex.get()) pageIndex.set(now);
    write(at);
}

void NotebookModel::commitEditing() {
    if (!editing.get()) return;
    const Editing e = *editing.get();
    editing.set(std::nullopt);
    std::optional<Gap> g = std::move(gap);
    gap.reset();
    const std::string text = trimmed(e.text);
    keyboardLift.set(0);

    const int count = static_cast<int>(nb->pages.size());
    int page = e.page;
    if (page < 0 || page >= count) {
        // Its page went: a note with text is kept on the nearest page rather than lost.
        if (text.empty() || count == 0) return;
        page = std::clamp(page, 0, count - 1);
    }
    // With a gap, the whole note (moves included) becomes one undo step when it closes.
    const bool undoable = !g;
    std::optional<TextItem> removed;

    auto storeNew = [&](int onPage) {
        TextItem item;
        item.x = e.x;
        item.y = e.y;
        item.width = e.width;
        item.text = text;
        item.color = pen.get();
        item.size = noteSize;
        item.spoken = e.spoken;
        item.anchor = e.anchor;
        item.about = e.about;
        mutate(onPage, undoable, [&](std::vector<PageItem>& items) { items.emplace_back(std::move(item)); });
    };

    if (e.isNew) {
        if (!text.empty()) storeNew(page);
    } else if (Found f = findText(nb.get(), e.id, page); f.page < 0) {
        // Its item went meanwhile (undone, or replaced): the edited text stays as a new note.
        if (!text.empty()) storeNew(page);
    } else {
        const TextItem stored = *nb->pages[f.page].items[f.index].text();
        if (text.empty()) {
            removed = stored;
            mutate(f.page, undoable, [&](std::vector<PageItem>& items) {
                std::erase_if(items, [&](const PageItem& it) { return it.id() == e.id; });
            });
        } else if (text == stored.text) {
            raiseVersion(nb->pages[f.page].id);  // shown again, unchanged
        } else {
            mutate(f.page, undoable, [&](std::vector<PageItem>& items) {
                for (PageItem& it : items)
                    if (it.id() == e.id && it.text()) {
                        TextItem edited = *it.text();
                        edited.text = text;
                        edited.turn.reset();  // new writing for the tutor again
                        it = PageItem(std::move(edited));
                        break;
                    }
            });
        }
    }

    if (g) closeGap(std::move(*g), text, removed);
    if (removed) {
        std::weak_ptr<NotebookModel> weak = weak_from_this();
        notify("Note removed", "Undo", [weak] {
            if (auto self = weak.lock()) self->undo();
        });
    }
}

void NotebookModel::ask() {
    commitEditing();
    if (scroll.get() && nb->newItems().empty()) {
        const int reading = readingPage();
        if (reading != pageIndex.get()) pageIndex.set(reading);
    }
    if (session) session->ask();
}

// ---- The did-set step of `editing` and its page ----

std::optional<Uuid> NotebookModel::editingPageId() const { return editingPage_; }

void NotebookModel::editingChanged() {
    const std::optional<Editing>& now = editing.get();
    const bool refit = now && lastEditing_ && lastEditing_->id == now->id && lastEditing_->text != now->text;
    if (!now) {
        editingPage_.reset();
    } else if (!lastEditing_ || lastEditing_->id != now->id || lastEditing_->page != now->page || !editingPage_) {
        const bool valid = now->page >= 0 && now->page < static_cast<int>(nb->pages.size());
        editingPage_ = valid ? std::optional<Uuid>(nb->pages[now->page].id) : std::nullopt;
    }
    lastEditing_ = now;
    if (refit) fitGap();
}

void NotebookModel::followEditingPage() {
    const std::optional<Editing>& e = editing.get();
    if (!e || !editingPage_) return;
    const auto& pages = nb->pages;
    if (e->page >= 0 && e->page < static_cast<int>(pages.size()) && pages[e->page].id == *editingPage_) return;
    const int found = pageIndexOf(*editingPage_);
    // A page that went altogether leaves the index as it is; the commit keeps the text.
    if (found >= 0) editing.modify([&](std::optional<Editing>& note) { note->page = found; });
}

}  // namespace nolby
