#pragma once
// "-quit-after-shelf": the application ends as soon as the shelf has been painted once, so a
// benchmark can time a launch from process start to the first drawn shelf.

class QWidget;

namespace nolby::ShelfDrawn {
// Quits the application once `shelf` has finished its first paint.
void quitAfter(QWidget* shelf);
}  // namespace nolby::ShelfDrawn
