#pragma once
// Where the sheet pane lays its chrome over the scrolling sheet, and the fade along its top
// edge. The pane reads the sheet's state (layout, selection, outline) and places, back to
// front: the paper, the sheet, the top fade, the outline in the left margin, the floating
// selection bar and the "Writing below" button.
//
// Pure placement and drawing: the Qt pane asks here and moves its child widgets.

#include "platform/Geometry.h"
#include "sheet/SheetState.h"

#include <cairo.h>

#include <optional>

namespace nolby::SheetChrome {

// The fade at the top edge: the sheet scrolls away under the paper there.
inline constexpr double kFadeHeight = 62;

// The outline needs more than this much room left of the page column.
inline constexpr double kOutlineRoom = 230;
// The outline's top-left corner in the pane.
inline constexpr Point kOutlineAt{34, 92};
inline constexpr double kOutlineMaxWidth = 240;

// The selection bar never starts further right than the pane's width less this.
inline constexpr double kBarRoom = 380;
// Lines further down than this have room for the bar above them.
inline constexpr double kBarAboveFrom = 120;

// Whether the outline shows: the pane may show it, the sheet has laid out with its page
// column more than 230 points from the left edge, and there are at least two entries.
bool outlineShown(bool allowed, const std::optional<SheetLayout>& layout, size_t entries);
// The outline's width for a page column starting at x: min(x − 76, 240).
double outlineWidth(double x);

// The selection bar's top-left corner for the first selected line `r` (viewport
// coordinates) in a pane W wide: above the words when they are lower than 120 points
// (44 above the line), below them otherwise (8 below); kept between 12 and W − 380.
Point barOrigin(const Rect& r, double W);

// The centre of the "Writing below" button in a pane W × H.
Point writingBelowCentre(double W, double H);

// Fills the top fade across a width: the paper colour, at 0.92 halfway down, gone at 62.
void drawFade(cairo_t* cr, double W);

}  // namespace nolby::SheetChrome
