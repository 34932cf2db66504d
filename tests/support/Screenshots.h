#pragma once
// Pictures for a person to look at, written to screenshots/ in the build tree.

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QString>
#include <QWidget>

namespace nolby::test {

// Saves what `widget` shows as screenshots/<name>.png; false when it could not be written.
inline bool saveScreenshot(QWidget& widget, const QString& name) {
    const QString dir = QCoreApplication::applicationDirPath() + "/../screenshots";
    QDir().mkpath(dir);
    return widget.grab().toImage().save(dir + "/" + name + ".png");
}

}  // namespace nolby::test
