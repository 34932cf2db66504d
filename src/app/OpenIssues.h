#pragma once
// Which window shows each open notebook, so that opening a notebook that already has a
// window of its own brings that window forward instead of showing it twice. A window that
// has gone away reads as none. Main thread only; one for the process.

#include "platform/Uuid.h"

#include <QPointer>
#include <QWidget>

#include <map>

namespace nolby {

class OpenIssues {
public:
    static OpenIssues& shared();

    // The live window registered for the notebook, or none.
    QWidget* window(const Uuid& notebook) const;
    void add(const Uuid& notebook, QWidget* window);
    // Removes the entry only while it still names this window: a notebook opened again in
    // another window keeps its newer entry.
    void remove(const Uuid& notebook, QWidget* window);

    // Brings the notebook's window to the front; false when it has none.
    bool raise(const Uuid& notebook) const;

private:
    std::map<Uuid, QPointer<QWidget>> windows_;
};

}  // namespace nolby
