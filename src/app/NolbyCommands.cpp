#include "app/NolbyCommands.h"

#include "app/IssueToolbar.h"
#include "sheet/SheetView.h"
#include "ui/sheet/SheetScrollView.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace nolby {

namespace {

// A text field takes Ctrl+Z for itself even when it is empty, so the notebook's undo would
// never be reached from the shelf's fields: let the menu have the undo keys and decide.
class UndoKeys final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ShortcutOverride) {
            auto* key = static_cast<QKeyEvent*>(event);
            if ((key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
                 (key->modifiers() == Qt::ControlModifier && key->key() == Qt::Key_Y)) &&
                (qobject_cast<QLineEdit*>(watched) || qobject_cast<QTextEdit*>(watched) ||
                 qobject_cast<QPlainTextEdit*>(watched))) {
                event->ignore();
                return true;
            }
        }
        return false;
    }
};

void installUndoKeys() {
    static UndoKeys* keys = nullptr;
    if (keys || !qApp) return;
    keys = new UndoKeys;
    keys->setParent(qApp);
    qApp->installEventFilter(keys);
}

// The focused text field: whether it has text, what it can do with the Edit menu's items,
// and those items' actions.
struct Field {
    bool has = false;
    bool empty = true;
    bool canUndo = false, canRedo = false;
    std::function<void()> undo, redo;
    bool canCut = false, canCopy = false, canPaste = false;
    std::function<void()> cut, copy, paste, selectAll;
};

// Whether the clipboard holds text, read again only when it changes: reading it asks the
// window system, and the menus are refreshed a few times a second.
class ClipboardText final : public QObject {
public:
    static bool has() {
        static ClipboardText* shared = nullptr;
        if (!shared && qApp) {
            shared = new ClipboardText;
            shared->setParent(qApp);
        }
        return shared && shared->has_;
    }

private:
    ClipboardText() {
        if (QClipboard* clip = QGuiApplication::clipboard()) {
            connect(clip, &QClipboard::dataChanged, this, [this, clip] { has_ = !clip->text().isEmpty(); });
            has_ = !clip->text().isEmpty();
        }
    }
    bool has_ = false;
};

bool clipboardHasText() { return ClipboardText::has(); }

// A field over Qt's text edits: a line, rich or plain text.
template <class Edit>
void editing(Field& field, Edit* edit, bool selected) {
    const bool writable = !edit->isReadOnly();
    field.canCut = selected && writable;
    field.canCopy = selected;
    field.canPaste = writable && clipboardHasText();
    field.cut = [edit] { edit->cut(); };
    field.copy = [edit] { edit->copy(); };
    field.paste = [edit] { edit->paste(); };
    field.selectAll = [edit] { edit->selectAll(); };
}

Field focusedField() {
    Field field;
    QWidget* focus = QApplication::focusWidget();
    if (auto* line = qobject_cast<QLineEdit*>(focus)) {
        field = {true, line->text().isEmpty(), line->isUndoAvailable(), line->isRedoAvailable(), [line] { line->undo(); },
                 [line] { line->redo(); }};
        // A password's characters are never copied out of it.
        editing(field, line, line->hasSelectedText() && line->echoMode() == QLineEdit::Normal);
    } else if (auto* text = qobject_cast<QTextEdit*>(focus)) {
        auto* doc = text->document();
        field = {true, doc->isEmpty(), doc->isUndoAvailable(), doc->isRedoAvailable(), [text] { text->undo(); },
                 [text] { text->redo(); }};
        editing(field, text, text->textCursor().hasSelection());
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(focus)) {
        auto* doc = plain->document();
        field = {true, doc->isEmpty(), doc->isUndoAvailable(), doc->isRedoAvailable(), [plain] { plain->undo(); },
                 [plain] { plain->redo(); }};
        editing(field, plain, plain->textCursor().hasSelection());
    }
    return field;
}

// The sheet that has keyboard focus, if any.
SheetView* focusedSheet() {
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget())
        if (auto* scroll = dynamic_cast<SheetScrollView*>(w)) return &scroll->sheet();
    return nullptr;
}

// What the Edit menu's Cut, Copy, Paste and Select All do now: in the focused text field, or
// on the focused sheet (its selected words copied, pasted text typed into its note; its
// words are the tutor's, never cut); nothing elsewhere.
struct EditTarget {
    bool canCut = false, canCopy = false, canPaste = false, canSelectAll = false;
    std::function<void()> cut, copy, paste, selectAll;
};

EditTarget editTarget() {
    EditTarget t;
    if (Field f = focusedField(); f.has) {
        t = {f.canCut, f.canCopy, f.canPaste, !f.empty, f.cut, f.copy, f.paste, f.selectAll};
    } else if (SheetView* sheet = focusedSheet()) {
        std::weak_ptr<SheetView> weak = sheet->weak_from_this();
        const auto on = [weak](void (*act)(SheetView&)) {
            return [weak, act] {
                if (auto s = weak.lock()) act(*s);
            };
        };
        t.canCopy = !sheet->pointer().selectedText().empty();
        t.canPaste = clipboardHasText() && sheet->model();
        t.canSelectAll = sheet->pointer().allWords().has_value();
        t.copy = on([](SheetView& s) { s.pointer().copy(); });
        t.paste = on([](SheetView& s) { s.input().paste(); });
        t.selectAll = on([](SheetView& s) { s.pointer().selectAll(); });
    }
    return t;
}

void setMode(AppWindow* window, const char* mode) {
    auto model = window ? window->focusedIssue() : nullptr;
    if (!model) return;
    model->nb.modify([&](Notebook& notebook) { notebook.mode = mode; });
    model->save(false);
}

// The focused notebook's own undo (`back`) or redo, announced with a notice whose action
// steps the other way.
void stepNotebook(AppWindow* window, bool back) {
    auto model = window ? window->focusedIssue() : nullptr;
    if (!model || !(back ? model->undo() : model->redo())) return;
    std::weak_ptr<NotebookModel> weak = model;
    model->notify(back ? "Undone" : "Redone", back ? "Redo" : "Undo", [weak, back] {
        auto m = weak.lock();
        if (!m) return;
        if (back) m->redo();
        else m->undo();
    });
}

}  // namespace

NolbyCommands::NolbyCommands(QMenuBar* bar, AppWindow* window) : QObject(bar), window_(window) {
    installUndoKeys();
    QMenu* file = bar->addMenu("File");
    newIssue_ = file->addAction("New Issue");
    newIssue_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    connect(newIssue_, &QAction::triggered, this, [this] {
        if (auto* w = this->window(); w && w->desk()) w->desk()->newIssue();
    });
    file->addSeparator();
    QAction* quit = file->addAction("Quit");
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit->setMenuRole(QAction::QuitRole);
    connect(quit, &QAction::triggered, qApp, &QApplication::closeAllWindows);

    QMenu* edit = bar->addMenu("Edit");
    undo_ = edit->addAction("Undo");
    undo_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    connect(undo_, &QAction::triggered, this, [this] { undo(this->window()); });
    redo_ = edit->addAction("Redo");
    redo_->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    connect(redo_, &QAction::triggered, this, [this] { redo(this->window()); });
    edit->addSeparator();
    struct Item {
        QAction** action;
        const char* title;
        QKeySequence::StandardKey key;
        std::function<void()> EditTarget::*act;
    };
    for (const Item& item : {Item{&cut_, "Cut", QKeySequence::Cut, &EditTarget::cut},
                             Item{&copy_, "Copy", QKeySequence::Copy, &EditTarget::copy},
                             Item{&paste_, "Paste", QKeySequence::Paste, &EditTarget::paste},
                             Item{&selectAll_, "Select All", QKeySequence::SelectAll, &EditTarget::selectAll}}) {
        *item.action = edit->addAction(item.title);
        (*item.action)->setShortcuts(item.key);
        const auto act = item.act;
        connect(*item.action, &QAction::triggered, this, [act] {
            // Read again when chosen: the focus or the clipboard may have changed since.
            const EditTarget target = editTarget();
            if (target.*act) (target.*act)();
        });
    }

    QMenu* go = bar->addMenu("Go");
    back_ = go->addAction("Back from Deep Dive");
    back_->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_BracketLeft), QKeySequence(Qt::ALT | Qt::Key_Left)});
    connect(back_, &QAction::triggered, this, [this] {
        auto* w = this->window();
        auto dives = w ? w->dives() : std::nullopt;
        if (dives && dives->count > 0 && dives->back) dives->back();
    });

    QMenu* issue = bar->addMenu("Issue");
    next_ = issue->addAction("Next Part");
    next_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return));
    connect(next_, &QAction::triggered, this, [this] {
        auto* w = this->window();
        auto model = w ? w->focusedIssue() : nullptr;
        if (!model) return;
        const auto way = model->way();
        if (way.kind != NotebookModel::Way::Kind::reading) model->follow(way);
    });
    rest_ = issue->addAction("Write the Rest Now");
    rest_->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Period), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Return)});
    connect(rest_, &QAction::triggered, this, [this] {
        auto* w = this->window();
        auto model = w ? w->focusedIssue() : nullptr;
        if (!model) return;
        const auto& pages = model->nb->pages;
        for (int index : model->inView())
            if (index >= 0 && index < int(pages.size())) model->scribe->finishPage(pages[size_t(index)].id);
    });
    issue->addSeparator();
    const char* titles[3] = {"Nolby Leads", "You Lead", "You Work It Out"};
    for (int i = 0; i < 3; ++i) {
        modes_[i] = issue->addAction(titles[i]);
        modes_[i]->setShortcut(QKeySequence(Qt::CTRL | (Qt::Key_1 + i)));
        const char* mode = IssueToolbar::modeTable[i].value;  // the toolbar's menu order
        connect(modes_[i], &QAction::triggered, this, [this, mode] { setMode(this->window(), mode); });
    }

    for (QMenu* menu : {file, edit, go, issue}) connect(menu, &QMenu::aboutToShow, this, &NolbyCommands::refresh);
    connect(qApp, &QApplication::focusChanged, this, &NolbyCommands::refresh);
    // Queued: the clipboard's own watcher has taken the change by then.
    if (QClipboard* clip = QGuiApplication::clipboard())
        connect(clip, &QClipboard::dataChanged, this, &NolbyCommands::refresh, Qt::QueuedConnection);
    // Before a key is matched against the shortcuts: they are enabled as the lesson stands
    // now, with no clock polling the windows in between.
    qApp->installEventFilter(this);
    refresh();
}

bool NolbyCommands::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) refresh();
    return false;
}

AppWindow* NolbyCommands::window() const { return window_ && window_->isActiveWindow() ? window_ : AppWindow::active(); }

std::string NolbyCommands::nextStepTitle(const std::optional<NotebookModel::Way>& way) {
    if (!way) return "Next Part";
    using Kind = NotebookModel::Way::Kind;
    switch (way->kind) {
    case Kind::skip: return "Skip Question";
    case Kind::turn: return "Next Page";
    case Kind::writing: return "Write the Rest Now";
    case Kind::ask: return "Ask";
    case Kind::reading:
    case Kind::next: return "Next Part";
    }
    return "Next Part";
}

void NolbyCommands::refresh() {
    AppWindow* w = window();
    auto model = w ? w->focusedIssue() : nullptr;
    std::optional<NotebookModel::Way> way;
    if (model) way = model->way();
    next_->setText(QString::fromStdString(nextStepTitle(way)));
    next_->setEnabled(way && way->kind != NotebookModel::Way::Kind::reading);
    rest_->setEnabled(model && model->scribe->busy.get());
    auto dives = w ? w->dives() : std::nullopt;
    back_->setEnabled(dives && dives->count > 0);
    const EditTarget edit = editTarget();
    cut_->setEnabled(edit.canCut);
    copy_->setEnabled(edit.canCopy);
    paste_->setEnabled(edit.canPaste);
    selectAll_->setEnabled(edit.canSelectAll);
}

void NolbyCommands::undo(AppWindow* window) {
    Field field = focusedField();
    if (field.has && !field.empty && field.canUndo) return field.undo();
    if (SheetView* sheet = focusedSheet(); sheet && sheet->input().undoTyping()) return;
    stepNotebook(window, true);
}

void NolbyCommands::redo(AppWindow* window) {
    Field field = focusedField();
    if (field.has && field.canRedo) return field.redo();
    if (SheetView* sheet = focusedSheet(); sheet && sheet->input().redoTyping()) return;
    stepNotebook(window, false);
}

}  // namespace nolby
