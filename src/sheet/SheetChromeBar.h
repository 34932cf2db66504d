#pragma once
// The buttons that float over the sheet: the selection bar's two actions ("Explain", "Go
// Deeper") and the "Writing below" button. Each is a label (a pictogram and a title in the
// interface font at 12.5 points, semibold) on glass; sizes are their ideal sizes, drawing
// happens in the button's own coordinates (origin at its top-left corner).

#include "ink/mag/ChromeText.h"
#include "ink/mag/Symbols.h"
#include "platform/Geometry.h"

#include <cairo.h>

#include <functional>
#include <optional>
#include <string>

namespace nolby {

// The label of a chrome button: a pictogram, 6 points, a title, on one baseline.
struct ChromeLabel {
    static constexpr double kSize = 12.5;
    static constexpr double kGap = 6;

    symbols::Symbol symbol = symbols::Symbol::textBubble;
    chrome::Line title;

    ChromeLabel() = default;
    ChromeLabel(const std::string& title, symbols::Symbol symbol);
    Size size() const;
    // Draws the label with its top-left corner at `at`.
    void draw(cairo_t* cr, Point at, Color color) const;
};

// One of the selection bar's buttons: the label padded 10 across and 6 down, over a capsule
// tinted while the pointer is over it; the whole capsule takes clicks. The label is shaped
// once, when the button is made.
struct BarButton {
    ChromeLabel label;
    std::function<void()> action;
    std::string help;
    bool over = false;  // the pointer is over the button

    Size size() const;
    void draw(cairo_t* cr, const Rect& frame) const;
};

// The bar over selected words: "Explain", a divider, "Go Deeper" and the hint "or type a
// question", in a row on a glass capsule.
class SelectionBar {
public:
    static constexpr const char* kExplainHelp = "The tutor explains these words, right here";
    static constexpr const char* kDeeperHelp = "A deep dive into these words, on a sheet of its own";
    static constexpr const char* kHint = "or type a question";

    SelectionBar(std::function<void()> explain, std::function<void()> deeper);

    // The bar's ideal size, and its parts in its own coordinates.
    Size size() const { return size_; }
    Rect explainFrame() const { return explainFrame_; }
    Rect deeperFrame() const { return deeperFrame_; }
    Rect dividerFrame() const { return dividerFrame_; }
    Rect hintFrame() const { return hintFrame_; }
    const BarButton& explainButton() const { return explain_; }

    void draw(cairo_t* cr) const;

    // The pointer moved to `p` (none: it left the bar); true when a button's hover changed.
    bool hover(std::optional<Point> p);
    // A click at `p`: runs the button under it; false when it hit none.
    bool click(Point p);
    // The help text of what lies under `p`; empty off the buttons.
    std::string help(Point p) const;

private:
    BarButton explain_, deeper_;
    chrome::Line hint_;
    Size size_;
    Rect explainFrame_, deeperFrame_, dividerFrame_, hintFrame_;
};

// "Writing below": shown while the tutor writes out of sight; its action catches up.
struct WritingBelowButton {
    static constexpr const char* kTitle = "Writing below";

    std::function<void()> action;
    bool pressed = false;

    WritingBelowButton();
    Size size() const;
    // The frame centred on a point.
    Rect frameAround(Point centre) const;
    void draw(cairo_t* cr, const Rect& frame) const;

private:
    ChromeLabel label_;
};

}  // namespace nolby
