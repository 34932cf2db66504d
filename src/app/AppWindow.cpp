#include "app/AppWindow.h"

#include <QApplication>

namespace nolby {

AppWindow* AppWindow::active() { return qobject_cast<AppWindow*>(QApplication::activeWindow()); }

}  // namespace nolby
