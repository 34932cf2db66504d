// Ending the note being typed and moving between pages: the plain forms that the change
// path, undo and page flow call. Typed notes, spreads and page curls build on these.
#include "model/NotebookModel.h"

namespace nolby {

void NotebookModel::commitEditing() {
    // Notes cannot be typed yet, so there is never one to end.
}

void NotebookModel::go(int to, bool animated, bool slow, std::function<void()> then) {
    const bool valid = to >= 0 && to < static_cast<int>(nb->pages.size());
    if (valid && to != pageIndex.get()) {
        commitEditing();
        pageIndex.set(to);
        save(false);
    }
    if (then) then();
}

}  // namespace nolby
