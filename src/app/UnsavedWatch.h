#pragma once
// While some notebook cannot be saved, the app watches the "Notebooks" folder: a change
// there (room made, permissions given back, the folder made again) tells the store, which
// tries the waiting saves at once if the change may let them land. Nothing is watched while
// every save lands.

#include "library/Library.h"

#include <QFileSystemWatcher>
#include <QObject>

#include <memory>

namespace nolby {

class UnsavedWatch : public QObject {
    Q_OBJECT
public:
    explicit UnsavedWatch(std::shared_ptr<Library> library, QObject* parent = nullptr);

    bool watching() const { return !watcher_.directories().isEmpty(); }

private:
    void follow();

    std::shared_ptr<Library> library_;
    QFileSystemWatcher watcher_;
    Subscription unsavedWatch_;
};

}  // namespace nolby
