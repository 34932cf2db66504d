#pragma once
// What the sheet's pointer and keyboard input need from the view that hosts them: the model
// and layout shown, the visible part of the sheet and a way to scroll it, the following
// flag, redrawing and publishing the selection, a relayout, the clipboard, a haptic tap, the
// dictionary, and the window's actions for deep dives. The sheet view implements it; tests
// pass a recorder. Main thread only.

#include "platform/Geometry.h"
#include "platform/Uuid.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace nolby {

class NotebookModel;
struct SheetLayout;

class SheetPointerHost {
public:
    virtual ~SheetPointerHost() = default;

    // The notebook shown; none once it is gone (every operation then does nothing).
    virtual std::shared_ptr<NotebookModel> model() = 0;
    // The current layout; none before the first relayout.
    virtual const SheetLayout* layout() = 0;
    // The visible part of the sheet, in sheet points.
    virtual Rect visibleRect() = 0;
    // Moves the sheet so that its visible part starts at y (clamped by the view).
    virtual void scrollTo(double y, bool animated) = 0;
    // Whether the sheet keeps the writing pen in view.
    virtual void setFollowing(bool on) = 0;
    // The selection changed: redraw the highlight and publish it.
    virtual void selectionChanged() = 0;
    // Publish the selection to the chrome (the selection bar), without redrawing.
    virtual void publishSelection() = 0;
    // Lay the sheet out again on the next turn of the main loop.
    virtual void setNeedsRelayout() = 0;
    // The clipboard's plain text; none when it holds no text.
    virtual std::optional<std::string> clipboardText() = 0;
    virtual void setClipboardText(const std::string& text) = 0;
    // A short generic tap.
    virtual void haptic() = 0;
    // Shows the dictionary's entry for the phrase, its text set at `size` on the baseline at
    // `at` (sheet points).
    virtual void lookUp(const std::string& phrase, Point at, double size) = 0;
    // Creates and opens a deep dive into the words (page rectangles in page points).
    virtual void dive(const std::string& words, const std::string& passage, int page, const std::vector<Rect>& rects) = 0;
    // Opens the stored deep dive with this id.
    virtual void open(const Uuid& dive) = 0;
    // Closes this sheet's deep dive; false on a notebook's own sheet, which has no close.
    virtual bool close() = 0;
    // A press (sheet coordinates) on the head's own controls (the dive header's close
    // button); true when the head took it.
    virtual bool pressHead(Point at) { (void)at; return false; }
};

}  // namespace nolby
