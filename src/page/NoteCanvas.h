#pragma once
// The note the learner is typing on this page, drawn as it will be written: faint while it
// is empty, in the learner's ink once a letter is typed, with its ring for a margin note.
// It is laid out exactly as the ink cache lays out the stored note, so committing it
// changes nothing on the page.

#include "ink/ops/InkOp.h"
#include "model/NotebookModel.h"

#include <cairo.h>

#include <vector>

namespace nolby {

struct NoteCanvas {
    NotebookModel::Editing editing;

    static constexpr double kSize = 17;

    Color color() const;
    std::vector<InkOpRef> ops() const;
    // Draws the note's operations whole, page point (0, 0) at (ox, 0), s view points a point.
    void draw(cairo_t* cr, double ox, double s) const;
    // Draws operations laid out before (ops()) the same way.
    static void draw(cairo_t* cr, const std::vector<InkOpRef>& ops, double ox, double s);

    bool operator==(const NoteCanvas&) const = default;
};

}  // namespace nolby
