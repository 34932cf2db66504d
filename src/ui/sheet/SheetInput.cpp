#include "ui/sheet/SheetInput.h"

#include "model/NotebookModel.h"
#include "sheet/SheetKeys.h"
#include "sheet/SheetMenu.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QStyleHints>
#include <QWidget>

namespace nolby {

namespace {

SheetKeys::Key keyOf(int key) {
    using K = SheetKeys::Key;
    switch (key) {
        case Qt::Key_Return: return K::returnKey;
        case Qt::Key_Enter: return K::enter;
        case Qt::Key_Escape: return K::escape;
        case Qt::Key_Backspace: return K::backspace;
        case Qt::Key_Delete: return K::del;
        case Qt::Key_Left: return K::left;
        case Qt::Key_Right: return K::right;
        case Qt::Key_Up: return K::up;
        case Qt::Key_Down: return K::down;
        case Qt::Key_PageUp: return K::pageUp;
        case Qt::Key_PageDown: return K::pageDown;
        case Qt::Key_Home: return K::home;
        case Qt::Key_End: return K::end;
        default: return K::other;
    }
}

Qt::CursorShape shapeOf(SheetPointer::Cursor c) {
    switch (c) {
        case SheetPointer::Cursor::iBeam: return Qt::IBeamCursor;
        case SheetPointer::Cursor::pointingHand: return Qt::PointingHandCursor;
        case SheetPointer::Cursor::arrow: break;
    }
    return Qt::ArrowCursor;
}

}  // namespace

SheetInput::SheetInput(QWidget& widget, SheetPointerHost& host, SheetPointer& pointer, SheetTextInput& text,
                       std::function<Point(QPointF)> toSheet, std::function<QPointF(Point)> fromSheet)
    : widget_(widget),
      host_(host),
      pointer_(pointer),
      text_(text),
      toSheet_(std::move(toSheet)),
      fromSheet_(std::move(fromSheet)) {
    widget_.setAttribute(Qt::WA_InputMethodEnabled);
    widget_.setFocusPolicy(Qt::StrongFocus);
    widget_.setMouseTracking(true);
    const QStyleHints* hints = QGuiApplication::styleHints();
    clicks_.setInterval(hints->mouseDoubleClickInterval() / 1000.0);
    clicks_.setDistance(hints->mouseDoubleClickDistance());
}

bool SheetInput::mousePress(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return false;
    widget_.setFocus(Qt::MouseFocusReason);
    const QPointF at = e->position();
    const int count = clicks_.press({at.x(), at.y()}, e->timestamp() / 1000.0);
    pointer_.down(toSheet_(at), count, e->modifiers().testFlag(Qt::ShiftModifier));
    return true;
}

bool SheetInput::mouseMove(QMouseEvent* e) {
    const Point at = toSheet_(e->position());
    if (e->buttons().testFlag(Qt::LeftButton)) {
        autoscroll(at);
        pointer_.dragged(toSheet_(e->position()));
    }
    widget_.setCursor(shapeOf(pointer_.cursor(toSheet_(e->position()))));
    return true;
}

void SheetInput::autoscroll(Point at) {
    if (!pointer_.dragging()) return;
    const Rect v = host_.visibleRect();
    if (at.y < v.minY()) host_.scrollTo(at.y, false);
    else if (at.y > v.maxY()) host_.scrollTo(v.minY() + (at.y - v.maxY()), false);
}

bool SheetInput::mouseRelease(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return false;
    pointer_.up();
    return true;
}

QMenu* SheetInput::menu(QWidget* parent) {
    auto* m = new QMenu(parent);
    const bool selected = pointer_.selection().has_value();
    for (const SheetMenu::Item& item : SheetMenu::items(pointer_.phrase())) {
        if (!item.action) {
            m->addSeparator();
            continue;
        }
        QAction* a = m->addAction(QString::fromStdString(item.title));
        a->setEnabled(SheetMenu::enabled(*item.action, selected));
        const SheetMenu::Action which = *item.action;
        QObject::connect(a, &QAction::triggered, m, [this, which] {
            switch (which) {
                case SheetMenu::Action::askAbout: pointer_.askAbout(); break;
                case SheetMenu::Action::explain: pointer_.explain(); break;
                case SheetMenu::Action::goDeeper: pointer_.goDeeper(); break;
                case SheetMenu::Action::copy: pointer_.copy(); break;
                case SheetMenu::Action::lookUp: pointer_.lookUp(); break;
                case SheetMenu::Action::selectAll: pointer_.selectAll(); break;
            }
        });
    }
    return m;
}

bool SheetInput::contextMenu(QContextMenuEvent* e) {
    pointer_.menuAt(toSheet_(e->pos()));
    QMenu* m = menu(&widget_);
    m->setAttribute(Qt::WA_DeleteOnClose);
    m->popup(e->globalPos());
    return true;
}

bool SheetInput::shortcutOverride(QKeyEvent* e) {
    if (e->matches(QKeySequence::Copy) || e->matches(QKeySequence::SelectAll)) {
        e->accept();
        return true;
    }
    return false;
}

bool SheetInput::keyPress(QKeyEvent* e) {
    if (e->matches(QKeySequence::Copy)) {
        pointer_.copy();
        return true;
    }
    if (e->matches(QKeySequence::SelectAll)) {
        pointer_.selectAll();
        return true;
    }
    if (e->matches(QKeySequence::Paste)) {
        text_.paste();
        return true;
    }
    const Qt::KeyboardModifiers m = e->modifiers();
    const SheetKeys::Modifiers mods{m.testFlag(Qt::ShiftModifier), m.testFlag(Qt::ControlModifier),
                                    m.testFlag(Qt::AltModifier), m.testFlag(Qt::MetaModifier)};
    const SheetKeys::Key key = keyOf(e->key());
    if (key != SheetKeys::Key::other) {
        const std::optional<SheetKeys::Command> c = SheetKeys::command(key, mods);
        if (!c) return false;
        SheetKeys::perform(*c, mods.shift, text_);
        return true;
    }
    const QString typed = e->text();
    if (typed.isEmpty() || mods.control || mods.meta) return false;
    // Control characters (Tab, and what other keys type) are not text for a note.
    for (QChar ch : typed)
        if (ch.category() == QChar::Other_Control) return false;
    text_.type(typed.toStdString(), mods.shift);
    return true;
}

bool SheetInput::inputMethod(QInputMethodEvent* e) {
    const QString commit = e->commitString();
    const QString preedit = e->preeditString();
    if (!commit.isEmpty()) text_.insertText(commit.toStdString());
    if (!preedit.isEmpty() || text_.hasMarkedText()) text_.setMarkedText(preedit.toStdString());
    if (preedit.isEmpty()) text_.unmarkText();
    return true;
}

QVariant SheetInput::inputMethodQuery(Qt::InputMethodQuery query) const {
    switch (query) {
        case Qt::ImEnabled: return true;
        case Qt::ImCursorRectangle: {
            const std::optional<Rect> caret = text_.caretRect();
            if (!caret) return QRectF();
            const QPointF top = fromSheet_({caret->minX(), caret->minY()});
            return QRectF(top.x(), top.y(), caret->width(), caret->height());
        }
        case Qt::ImCursorPosition:
        case Qt::ImAnchorPosition: return QVariant::fromValue<qlonglong>(text_.selectedRange().location);
        case Qt::ImCurrentSelection: return QString();
        case Qt::ImHints: return QVariant::fromValue<int>(Qt::ImhMultiLine);
        default: return {};
    }
}

}  // namespace nolby
