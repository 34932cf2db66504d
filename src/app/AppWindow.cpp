#include "app/AppWindow.h"

#include "app/IssueView.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPointer>

namespace nolby {

void AppWindow::closeEvent(QCloseEvent* event) {
    shut();
    QMainWindow::closeEvent(event);
}

AppWindow* AppWindow::active() { return qobject_cast<AppWindow*>(QApplication::activeWindow()); }

Dives diveStack(IssueView* view) {
    QPointer<IssueView> held = view;
    return Dives{int(view->dives().size()), [held] {
                     if (held && !held->dives().empty()) held->closeDive(int(held->dives().size()));
                 }};
}

}  // namespace nolby
