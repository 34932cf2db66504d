#include "sheet/SheetTextInput.h"

#include "model/NotebookModel.h"
#include "platform/Unicode.h"

namespace nolby {

int64_t SheetTextInput::utf16Length(std::string_view s) {
    int64_t n = 0;
    for (char32_t c : unicode::toUtf32(s)) n += c > 0xFFFF ? 2 : 1;
    return n;
}

bool SheetTextInput::openNote(NotebookModel& model) {
    if (pointer_.selection()) pointer_.startNote();
    else model.writeHere();
    return model.editing.get().has_value();
}

void SheetTextInput::setNoteText(NotebookModel& model, std::string text) {
    model.editing.modify([&](std::optional<NotebookModel::Editing>& e) {
        if (e) e->text = std::move(text);
    });
}

std::optional<std::string> SheetTextInput::storedText(const NotebookModel& model) {
    const auto& e = model.editing.get();
    if (!e || e->isNew) return std::nullopt;
    for (const Page& page : model.nb->pages)
        for (const PageItem& item : page.items)
            if (item.id() == e->id && item.text()) return item.text()->text;
    return std::nullopt;
}

void SheetTextInput::type(std::string_view s, bool shift) {
    std::shared_ptr<NotebookModel> model = host_.model();
    if (!model || s.empty()) return;
    untyped_.reset();
    if (model->editing.get()) {
        setNoteText(*model, model->editing.get()->text + std::string(s));
        typing_.revealCaret = true;
        return;
    }
    if (!typing_.draft.empty()) {
        typing_.draft += s;
        return;
    }
    if (s == " ") {
        page(!shift);
        return;
    }
    // Text that is only white space (a line break, a pasted run of spaces) opens no note.
    if (NotebookModel::trimmed(s).empty()) return;
    if (!openNote(*model)) {
        typing_.draft = std::string(s);
        return;
    }
    host_.setFollowing(true);
    setNoteText(*model, model->editing.get()->text + std::string(s));
    typing_.revealCaret = true;
}

void SheetTextInput::paste() {
    if (std::optional<std::string> text = host_.clipboardText()) type(*text);
}

void SheetTextInput::insertText(std::string_view s) {
    if (!marked_.empty()) {
        if (std::shared_ptr<NotebookModel> model = host_.model(); model && model->editing.get())
            setNoteText(*model, unmarked_);
        marked_.clear();
    }
    type(s);
}

void SheetTextInput::setMarkedText(std::string_view s) {
    std::shared_ptr<NotebookModel> model = host_.model();
    if (!model) return;
    if (!model->editing.get()) {
        if (s.empty() || !openNote(*model)) return;
        marked_.clear();
    }
    if (marked_.empty()) unmarked_ = model->editing.get()->text;
    marked_ = std::string(s);
    setNoteText(*model, unmarked_ + marked_);
}

SheetTextInput::Range SheetTextInput::markedRange() const {
    if (marked_.empty()) return {};
    return {utf16Length(unmarked_), utf16Length(marked_)};
}

SheetTextInput::Range SheetTextInput::selectedRange() const {
    std::shared_ptr<NotebookModel> model = host_.model();
    const bool open = model && model->editing.get();
    return {open ? utf16Length(model->editing.get()->text) : 0, 0};
}

std::optional<Rect> SheetTextInput::caretRect() const {
    std::shared_ptr<NotebookModel> model = host_.model();
    const SheetLayout* layout = host_.layout();
    if (!model || !layout || !model->editing.get()) return std::nullopt;
    const NotebookModel::Editing& e = *model->editing.get();
    std::optional<Rect> r = layout->view(NotebookModel::caret(e), e.page);
    if (!r) return std::nullopt;
    return Rect{r->minX(), r->minY(), 1, r->height()};
}

void SheetTextInput::send() {
    std::shared_ptr<NotebookModel> model = host_.model();
    if (!model) return;
    if (!typing_.draft.empty() && !model->editing.get()) {
        // Text typed while no note could open is sent only once a note holds it; it is not
        // dropped for a turn that would never see it.
        if (!openNote(*model)) return;
    }
    const std::string note = model->editing.get() ? model->editing.get()->text : std::string();
    const std::string text = NotebookModel::trimmed(note + typing_.draft);
    if (!typing_.draft.empty() && model->editing.get()) setNoteText(*model, note + typing_.draft);
    typing_.draft.clear();
    host_.setFollowing(true);
    if (!text.empty() || model->hasNewInk()) {
        model->commitEditing();
        model->ask();
        host_.haptic();
        return;
    }
    const NotebookModel::Way way = model->way();
    if (way.kind != NotebookModel::Way::Kind::skip) model->follow(way);
}

void SheetTextInput::escape() {
    std::shared_ptr<NotebookModel> model = host_.model();
    if (!model) return;
    typing_.draft.clear();
    if (model->editing.get()) {
        marked_.clear();
        unmarked_.clear();
        // A reopened note goes back to what it said; only a new note is dropped.
        setNoteText(*model, storedText(*model).value_or(std::string()));
        model->commitEditing();
        return;
    }
    if (pointer_.selection()) {
        pointer_.clearSelection();
        return;
    }
    host_.close();
}

void SheetTextInput::erase(const std::function<std::string(std::string_view)>& f) {
    if (!typing_.draft.empty()) {
        typing_.draft = f(typing_.draft);
        return;
    }
    std::shared_ptr<NotebookModel> model = host_.model();
    if (!model || !model->editing.get() || model->editing.get()->text.empty()) return;
    untyped_.reset();
    setNoteText(*model, f(model->editing.get()->text));
}

void SheetTextInput::line(double dir) {
    std::shared_ptr<NotebookModel> model = host_.model();
    if (model && model->editing.get() && !model->editing.get()->text.empty()) return;  // the arrows are the note's
    if (dir < 0) host_.setFollowing(false);
    host_.scrollTo(host_.visibleRect().minY() + dir * 56, true);
}

void SheetTextInput::page(bool down) {
    if (!down) host_.setFollowing(false);
    const Rect v = host_.visibleRect();
    host_.scrollTo(v.minY() + (down ? 1 : -1) * (v.height() - 72), true);
}

void SheetTextInput::toStart() {
    host_.setFollowing(false);
    host_.scrollTo(0, true);
}

void SheetTextInput::toEnd() {
    host_.setFollowing(true);
    const SheetLayout* layout = host_.layout();
    host_.scrollTo(layout ? layout->height : host_.visibleRect().maxY(), true);
}

bool SheetTextInput::undoTyping() {
    std::shared_ptr<NotebookModel> model = host_.model();
    if (!model || !model->editing.get() || model->editing.get()->text.empty()) return false;
    untyped_ = Untyped{model->editing.get()->id, model->editing.get()->text};
    setNoteText(*model, std::string());
    return true;
}

bool SheetTextInput::redoTyping() {
    std::shared_ptr<NotebookModel> model = host_.model();
    if (!model || !untyped_ || !model->editing.get() || model->editing.get()->id != untyped_->id) return false;
    setNoteText(*model, untyped_->text);
    untyped_.reset();
    return true;
}

}  // namespace nolby
