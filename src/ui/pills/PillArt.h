#pragma once
// The two pills at the foot of an issue view, measured and drawn by our own code (no Qt):
// the notice pill (a message and one button, "Undone" with "Redo") and the error pill (a
// failed turn's text with "Retry" and a close button). Both are capsules of a drawn
// translucent panel. The Qt widgets only show these pictures and route clicks to the
// rectangles measured here, so everything a learner sees is testable headless.

#include "ink/mag/TextBlock.h"
#include "platform/Geometry.h"

#include <cairo.h>

#include <optional>
#include <string>
#include <string_view>

namespace nolby::pills {

// A button of a pill as it is drawn at this moment.
enum class Press { none, first, second };  // first: the notice's button or Retry; second: close

struct NoticeArt {
    static constexpr double padX = 16, padY = 10, spacing = 14, textSize = 14;

    Size size;            // the capsule
    chrome::Block text;   // one line
    chrome::Block action;
    Rect textRect, actionRect;  // in the pill's own points, the top left at (0, 0)

    // At most `maxWidth` wide: a long message is cut short with "…", the button never is.
    static NoticeArt make(std::string_view text, std::string_view action, double maxWidth = 640);
    void draw(cairo_t* cr, Press pressed = Press::none) const;
};

struct ErrorArt {
    static constexpr double padX = 14, padY = 10, spacing = 8, maxWidth = 270;
    static constexpr double textSize = 13, retrySize = 13, closeSize = 12;
    static constexpr size_t maxLines = 2;
    // A message the learner must read whole (a save that fails: which notebook, why, and
    // that the writing is kept) takes a wider pill with a third line.
    static constexpr double wholeWidth = 440;
    static constexpr size_t wholeLines = 3;

    Size size;
    chrome::Block text;   // at most two lines (three when whole), the last cut short with "…"
    chrome::Block retry;  // "Retry"
    Rect iconRect, textRect, retryRect, closeRect;

    static ErrorArt make(std::string_view text, bool whole = false);
    void draw(cairo_t* cr, Press pressed = Press::none) const;
};

// Where the pills stand in an area: centred across it, the lower one 18 points above the
// bottom edge, the error pill above the notice pill with 10 points between them.
struct Placement {
    static constexpr double bottom = 18, gap = 10;
    std::optional<Rect> error, notice;
    bool operator==(const Placement&) const = default;

    static Placement place(Size area, std::optional<Size> error, std::optional<Size> notice);
};

}  // namespace nolby::pills
