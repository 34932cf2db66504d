#include "app/Display.h"

#include <QGuiApplication>

namespace nolby::Display {

bool available() {
    const QString platform = QGuiApplication::platformName();
    return !platform.isEmpty() && platform != "offscreen" && platform != "minimal";
}

}  // namespace nolby::Display
