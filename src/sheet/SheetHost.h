#pragma once
// What the sheet view needs of the widget that hosts it, and what the window gives it.
//
// The sheet view (SheetView) holds all of the sheet's behaviour and drawing without a
// toolkit; its host is the scroll area on screen (SheetScrollView) or a recording stand-in
// in tests. The host owns the scroll position and the visible area; the sheet tells it how
// tall the document is, where to scroll and when to paint, and asks it for the clipboard,
// keyboard focus and the window's key state (the pointer's cursor is the input's to set).

#include "platform/Color.h"
#include "platform/Geometry.h"
#include "platform/Uuid.h"

#include <cairo.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace nolby {

class Haptics;

// The closures the issue window gives each sheet.
struct SheetActions {
    // Go deeper into selected words: (words, passage, page, rectangles in page points).
    std::function<void(const std::string&, const std::string&, int, const std::vector<Rect>&)> dive;
    // A deep-dive mark was clicked: open the stored dive notebook with this id.
    std::function<void(const Uuid&)> open;
    // Present only on a deep dive's sheet: Escape, the rightward swipe and the head's close
    // button close the dive.
    std::function<void()> close;
    // The sheet took keyboard focus.
    std::function<void()> focused;
};

class SheetHost {
public:
    virtual ~SheetHost() = default;

    // The visible part of the sheet: its width (the sheet's width) and height, in points.
    virtual Size viewportSize() const = 0;
    // Sheet y of the visible part's top edge.
    virtual double scrollPosition() const = 0;
    // Scrolls so that sheet y `y` is at the top (already clamped by the sheet) and updates
    // the scroll bar. The host tells the sheet through SheetView::scrolled() when the
    // position really changed, as for any other scroll.
    virtual void setScrollPosition(double y) = 0;
    // The whole sheet's height: the scrollable range is [0, height − visible height].
    virtual void setDocumentHeight(double height) = 0;
    // Paint a new frame soon (the sheet draws itself in SheetView::paint()).
    virtual void repaint() = 0;

    // The window shows as active (key); the highlight and the caret depend on it.
    virtual bool windowActive() const = 0;
    // Make the sheet the keyboard focus of its window.
    virtual void focus() = 0;

    // Plain text on the clipboard: set, and read (empty when it holds no text).
    virtual void setClipboard(const std::string& text) = 0;
    virtual std::string clipboard() const = 0;

    // The selection's highlight, drawn multiplied onto the page: the platform's selected-text
    // colour while the sheet is focused in the active window, its unemphasised one otherwise.
    // Without a platform colour: a 0.8 grey either way.
    virtual Color selectionColor(bool) const { return Color{0.8, 0.8, 0.8, 1}; }

    // Haptic feedback: none by default.
    virtual std::shared_ptr<Haptics> haptics() const { return nullptr; }
    // Shows the dictionary's entry for a phrase, its text set at `size` with its baseline at
    // `at` (viewport points). Nothing by default.
    virtual void lookUp(const std::string& phrase, Point at, double size) {
        (void)phrase, (void)at, (void)size;
    }
};

class SheetView;

// A host without a window, for tools, benchmarks and tests: a fixed visible size, a scroll
// position kept within the document that tells the sheet of every move as a scroll area
// would, an active window, and nothing on screen.
class HeadlessSheetHost : public SheetHost {
public:
    explicit HeadlessSheetHost(Size size) : size(size) {}
    Size size;
    std::weak_ptr<SheetView> sheet;  // told of every move

    Size viewportSize() const override { return size; }
    double scrollPosition() const override { return y_; }
    void setScrollPosition(double y) override;
    void setDocumentHeight(double height) override;
    void repaint() override {}
    bool windowActive() const override { return true; }
    void focus() override {}
    void setClipboard(const std::string& text) override { clip_ = text; }
    std::string clipboard() const override { return clip_; }
    double document() const { return document_; }

private:
    double y_ = 0, document_ = 0;
    std::string clip_;
};

// What draws the head above the first page (the masthead or a dive's header). The
// sheet reserves its height and draws it first, in the same pass as the pages.
class SheetHeadSource {
public:
    virtual ~SheetHeadSource() = default;
    // Lays the head out `width` points wide at the sheet's scale; answers its height.
    virtual double layout(double width, double scale) = 0;
    // Draws the head as last laid out, origin at its top-left corner, in points.
    virtual void paint(cairo_t* cr, double now) = 0;
    // Whether the head's picture still changes after `now`.
    virtual bool animating(double) const { return false; }
    // `changed` runs when the head's look or height changed (a cover arrived, the plan
    // moved on): the sheet measures it again and paints.
    virtual void onChange(std::function<void()> changed) { (void)changed; }
    // A press at a point of the head (its own coordinates); true when a control of the head
    // took it.
    virtual bool press(Point at) { (void)at; return false; }
};

}  // namespace nolby
