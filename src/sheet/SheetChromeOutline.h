#pragma once
// The issue outline in the sheet's left margin: "IN THIS ISSUE" over one row per heading of
// the tutor's replies, question the learner typed and deep dive marked on a page (the first
// 40), the row the reader has reached set stronger. A row click stops following the pen and
// glides the sheet to the entry.
//
// Laid out `width` wide from its top-left corner; drawn and hit-tested in those coordinates.

#include "ink/mag/TextBlock.h"
#include "platform/Color.h"
#include "platform/Geometry.h"
#include "sheet/SheetState.h"

#include <cairo.h>

#include <optional>
#include <vector>

namespace nolby {

class Outline {
public:
    static constexpr size_t kMaxRows = 40;
    static constexpr const char* kHeading = "IN THIS ISSUE";
    // An entry is reached once its top passes this far down the visible part.
    static constexpr double kReached = 0.35;
    // A row's glide ends this far above the entry, so it does not stand under the fade.
    static constexpr double kGlideAbove = 96;

    // The row the reader has reached: the last entry whose y is at most scrollY + 35 % of
    // the visible height; none when no entry is that high.
    static std::optional<size_t> current(const std::vector<SheetState::Entry>& entries, double scrollY,
                                         double viewport);

    struct Row {
        size_t index = 0;  // in the entries
        bool current = false;
        Rect frame;        // the whole row: the click target
        chrome::Block text;
        Point textAt;      // the text's top-left corner
        Color color;
        std::optional<Point> icon;  // a dive's arrow, its centre
    };

    // `color` is the notebook's first palette ink (dive rows).
    Outline(const std::vector<SheetState::Entry>& entries, Color color, double width, double scrollY,
            double viewport);

    const chrome::Block& heading() const { return heading_; }
    const std::vector<Row>& rows() const { return rows_; }
    double width() const { return width_; }
    double height() const { return height_; }

    void draw(cairo_t* cr) const;
    // The entry whose row is under `p`; none between and outside the rows.
    std::optional<size_t> rowAt(Point p) const;

private:
    chrome::Block heading_;
    std::vector<Row> rows_;
    Color color_;
    double width_ = 0;
    double height_ = 0;
};

}  // namespace nolby
