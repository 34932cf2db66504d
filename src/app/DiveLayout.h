#pragma once
// Where the panes of an issue view stand: the notebook's own pane filling the view, and the
// deep dives stacked over it from the right edge, each lower dive showing a little further
// left. Plain arithmetic on the view's width, so the stack's geometry is tested without a
// window.

namespace nolby {

struct DiveLayout {
    // How far each lower dive shows to the left of the one above it.
    static constexpr double step = 48;
    // The room the notebook's page keeps on its left while dives are stacked.
    static constexpr double keep = 28;

    // The width of a dive pane in a view `w` wide: six tenths of the view, kept between 520
    // and 820, and never wider than the view less 140, so the notebook always shows beside it.
    static double width(double w);
    // The left edge of the dive at list index `index` (level index + 1) of `count` dives: the
    // topmost is flush with the right edge.
    static double x(double w, int index, int count);
    // How far the notebook's pane slides left while dives are stacked: the left margin of its
    // page in the sheet (a page `pageW` wide at the sheet's own scale) less `keep`, never below 0.
    static double lean(double w, double pageW);
};

}  // namespace nolby
