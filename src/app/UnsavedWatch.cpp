#include "app/UnsavedWatch.h"

namespace nolby {

UnsavedWatch::UnsavedWatch(std::shared_ptr<Library> library, QObject* parent)
    : QObject(parent), library_(std::move(library)) {
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] {
        library_->folderChanged();
        follow();  // a folder removed and made again is watched afresh
    });
    unsavedWatch_ = library_->unsaved.observe([this] { follow(); });
    follow();
}

void UnsavedWatch::follow() {
    const QString dir = QString::fromStdString(library_->dir.string());
    const bool wanted = !library_->unsaved->empty();
    if (!watcher_.directories().isEmpty() && (!wanted || !watcher_.directories().contains(dir)))
        watcher_.removePaths(watcher_.directories());
    if (wanted && watcher_.directories().isEmpty()) watcher_.addPath(dir);
}

}  // namespace nolby
