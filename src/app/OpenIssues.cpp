#include "app/OpenIssues.h"

namespace nolby {

OpenIssues& OpenIssues::shared() {
    static OpenIssues* issues = new OpenIssues;  // lives as long as the process
    return *issues;
}

QWidget* OpenIssues::window(const Uuid& notebook) const {
    const auto found = windows_.find(notebook);
    return found == windows_.end() ? nullptr : found->second.data();
}

void OpenIssues::add(const Uuid& notebook, QWidget* window) { windows_[notebook] = window; }

void OpenIssues::remove(const Uuid& notebook, QWidget* window) {
    const auto found = windows_.find(notebook);
    if (found != windows_.end() && (found->second.isNull() || found->second.data() == window)) windows_.erase(found);
}

bool OpenIssues::raise(const Uuid& notebook) const {
    QWidget* shown = window(notebook);
    if (!shown) return false;
    shown->showNormal();
    shown->raise();
    shown->activateWindow();
    return true;
}

}  // namespace nolby
