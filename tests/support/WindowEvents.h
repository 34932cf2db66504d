#pragma once
// Pointer events handed to Qt the way a window system hands them over, each with its own
// time: Qt itself then makes the second press of a quick pair a double-click event, as it
// does under X. (QTest's own clicks space themselves a double-click interval apart.)

#include <QCoreApplication>
#include <QTest>
#include <QWindow>

namespace nolby::test {

// A left click at a point of the window, at a time in milliseconds.
inline void windowClick(QWindow* window, QPoint at, int ms, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        const bool down = type == QEvent::MouseButtonPress;
        qt_handleMouseEvent(window, at, window->mapToGlobal(at), down ? Qt::LeftButton : Qt::NoButton, Qt::LeftButton,
                            type, mods, ms);
    }
    QCoreApplication::processEvents();
}

// A double click: two clicks 150 ms apart, starting at `ms`.
inline void windowDoubleClick(QWindow* window, QPoint at, int ms) {
    windowClick(window, at, ms);
    windowClick(window, at, ms + 150);
}

}  // namespace nolby::test
