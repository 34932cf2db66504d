#pragma once
// The pictures the tutor sees with every request: the page the reply is about as it looks
// now (paper, the tutor's and the learner's ink as far as it is written, the note being
// typed) and, when the learner drew with the pen, the new strokes alone, cut tight around
// them, enlarged and on white. Drawn headless from the model's operations into a cairo
// bitmap and encoded as PNG. Main thread: both read the model and its ink cache.

#include "model/NotebookModel.h"
#include "platform/Color.h"
#include "platform/Geometry.h"

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace nolby {

class Snapshot {
public:
    using Png = std::vector<uint8_t>;

    // The longer side of either picture, in pixels, at most.
    static constexpr double maxSide = 1560;
    // Pages taller than this are cut 200 points below their lowest ink.
    static constexpr double tallPage = 1000;

    // Draws `draw` (in points, y down from the top left) over `background` into a bitmap of
    // round(size × scale) pixels and encodes it. None for a size or scale that gives no
    // pixels, a bitmap too large to make, or a failed encoding.
    static std::optional<Png> render(Size size, double scale, Color background,
                                     const std::function<void(cairo_t*)>& draw);

    // An opaque bitmap as an RGB PNG.
    static std::optional<Png> encode(cairo_surface_t* surface);

    // The page at up to `scale` pixels a point (never more than maxSide pixels on its longer
    // side): paper, its settled ink, and the note being typed when it is on this page.
    static std::optional<Png> page(NotebookModel& model, int page, double scale);
    // The height of the page picture in points: the page's, or on a tall page 200 below its
    // lowest ink.
    static double pictureHeight(NotebookModel& model, int page);

    // The pen strokes among `items`, each in its own page coordinates (strokes from two pages
    // overlap), on white, in the cut of their ink grown by 12 points, at `scale` (smaller when
    // the picture's longer side would pass maxSide). Pen strokes are drawn in the standard ink,
    // highlighter strokes in their own colour. None when none of them has ink.
    static std::optional<Png> newInk(NotebookModel& model, const std::vector<Notebook::Unread>& items, double scale);
};

}  // namespace nolby
