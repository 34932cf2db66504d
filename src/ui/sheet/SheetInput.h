#pragma once
// Qt's side of the sheet's pointer and keyboard input: turns the events of the widget that
// shows the sheet into calls on the sheet's pointer and text input, and answers the input
// method. Presses count their own clicks (Qt reports double clicks, not triple ones); a drag
// past the visible part scrolls the sheet along; the cursor follows what lies under the
// pointer; the context menu offers the word actions; Copy and Select All also work on their
// standard keys; input-method preedit is the note's composing text and a commit its typed
// text. The widget forwards its events here and its input-method queries.

#include "sheet/SheetClicks.h"
#include "sheet/SheetPointer.h"
#include "sheet/SheetTextInput.h"

#include <QPointF>
#include <QVariant>

#include <functional>

class QContextMenuEvent;
class QInputMethodEvent;
class QKeyEvent;
class QMenu;
class QMouseEvent;
class QWidget;

namespace nolby {

class SheetInput {
public:
    // `widget` receives the events and shows the cursor; `pointer` and `text` are the sheet's
    // own input; `toSheet` maps the widget's points to sheet points, `fromSheet` the other way.
    SheetInput(QWidget& widget, SheetPointerHost& host, SheetPointer& pointer, SheetTextInput& text,
               std::function<Point(QPointF)> toSheet, std::function<QPointF(Point)> fromSheet);

    // Each answers whether it took the event.
    bool mousePress(QMouseEvent* e);  // presses and Qt's double clicks alike
    bool mouseMove(QMouseEvent* e);
    bool mouseRelease(QMouseEvent* e);
    bool contextMenu(QContextMenuEvent* e);
    bool keyPress(QKeyEvent* e);
    // A shortcut about to fire: Copy and Select All are the sheet's while it has focus.
    bool shortcutOverride(QKeyEvent* e);
    bool inputMethod(QInputMethodEvent* e);
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const;

    // The context menu for the current selection, its actions wired to the sheet; the caller
    // owns it.
    QMenu* menu(QWidget* parent);

    SheetPointer& pointer() { return pointer_; }
    SheetTextInput& text() { return text_; }

private:
    // Scrolls the sheet by how far a drag went past the visible part.
    void autoscroll(Point at);

    QWidget& widget_;
    SheetPointerHost& host_;
    SheetPointer& pointer_;
    SheetTextInput& text_;
    std::function<Point(QPointF)> toSheet_;
    std::function<QPointF(Point)> fromSheet_;
    SheetClicks clicks_;
};

}  // namespace nolby
