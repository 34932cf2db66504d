#pragma once
// The sheet: a notebook read as one long column. A head on top, then every page that holds
// something, each cropped to the band that holds its ink, stacked at one common scale and
// centred across the sheet. SheetLayout is the pure computation of that column from the
// model, the sheet's width, the visible height and the head's height, with the two mappings
// between sheet points and page points.
//
// A layout is never edited: each relayout computes a new one from scratch. Reading the
// model changes nothing in it (bounds come from the model's ink cache). Main thread only.

#include "platform/Geometry.h"

#include <optional>
#include <vector>

namespace nolby {

class NotebookModel;

struct SheetLayout {
    // One band of one page.
    struct Slice {
        int page = 0;       // index of the page in the notebook
        double top = 0;     // first page y shown, in page points
        double height = 0;  // height of the band shown, in page points
        double y = 0;       // sheet y of the slice's top edge
        bool operator==(const Slice&) const = default;
    };

    double width = 0;   // width of the sheet
    double scale = 1;   // sheet points per page point
    double x = 0;       // sheet x of the page column's left edge, whole points
    double pageW = 0;   // the notebook's page width, page points
    double head = 0;    // height of the head; the first slice begins here
    std::vector<Slice> slices;  // top to bottom
    double height = 0;  // the bottom of the last slice, never less than the visible height

    SheetLayout() = default;
    // The column for a sheet `width` wide showing `viewport` points of height under a head
    // `head` tall. Never fails: a notebook without pages gives no slices.
    SheetLayout(NotebookModel& model, double width, double viewport, double head);

    // The page scale for a sheet width: the side margins (72 below 900 points, 144 from
    // there) taken off, at least 0.55, at most 1.15 for pages narrower than 560 and 1.1 for
    // wider ones. The head is measured with the same rule before any layout exists.
    static double scaleFor(double width, double pageW);

    // The page under a sheet point and the point in that page's coordinates: the last slice
    // starting at or above it (the first slice for points above every slice). Points left of
    // the column or below the last slice still map, outside the page. None without slices.
    struct PagePoint {
        int index = 0;
        Point pt;
        bool operator==(const PagePoint&) const = default;
    };
    std::optional<PagePoint> page(Point at) const;

    // The slice that truly holds a sheet y: none above the head, below the last slice's
    // bottom edge, or without slices. Presses and cursors use it; page() above keeps mapping
    // such points for dragging.
    std::optional<PagePoint> pageInside(Point at) const;

    // A page rectangle in sheet points, through the first slice of page `page`; none when
    // the page has no slice.
    std::optional<Rect> view(const Rect& r, int page) const;

    // The sheet y of page y `pageY` as slice `slice` shows it.
    double sheetY(const Slice& slice, double pageY) const { return slice.y + scale * (pageY - slice.top); }

    // The first slice of a page; none when the page has no slice.
    const Slice* sliceOf(int page) const;
    // The sheet y just below a slice (its top plus its rounded height).
    double bottom(const Slice& slice) const;
    // The page column's width on the sheet, whole points.
    double columnWidth() const;

    bool operator==(const SheetLayout&) const = default;
};

}  // namespace nolby
