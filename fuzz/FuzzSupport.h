#pragma once
// What the fuzz targets share: the faces loaded once, identifiers that repeat, a hard stop on
// a broken promise, the finiteness tests of a page rectangle and of operations, a drawing
// test, and a reader that turns bytes into choices.

#include "ink/Faces.h"
#include "ink/ops/InkOp.h"
#include "platform/Geometry.h"
#include "platform/Uuid.h"

#include <cairo.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace nolby::fuzz {

// Loads the handwriting faces the first time a target asks; every later input reuses them.
inline void loadFaces() {
    static const bool loaded = (Faces::registerFrom(), true);
    (void)loaded;
}

// Called as an input starts: identifiers, and the seeds drawn from them, repeat with every
// run of the input, so a finding replays exactly and the layout caches meet the same keys.
inline void repeatIdentifiers() { Uuid::repeatable(0); }

inline void require(bool ok) {
    if (!ok) std::abort();
}

inline bool finite(const Rect& r) {
    return r.isNull() || (std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.w) && std::isfinite(r.h));
}

// Every operation present, with finite bounds, cost, pace and pause.
inline void requireFiniteOp(const InkOpRef& op) {
    require(op != nullptr);
    require(finite(op->bounds()));
    require(std::isfinite(op->cost()) && std::isfinite(op->pace()) && std::isfinite(op->pause));
}

inline void requireFiniteOps(const std::vector<InkOpRef>& ops) {
    for (const InkOpRef& op : ops) requireFiniteOp(op);
}

// Every operation drawn half and wholly revealed onto a small bitmap, made once for all
// inputs; the drawing must leave the cairo context sound.
inline void requireDrawable(const std::vector<InkOpRef>& ops) {
    static cairo_surface_t* const canvas = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 64, 64);
    cairo_t* cr = cairo_create(canvas);
    for (const InkOpRef& op : ops) {
        op->draw(cr, 0.5);
        op->draw(cr, 1);
    }
    require(cairo_status(cr) == CAIRO_STATUS_SUCCESS);
    cairo_destroy(cr);
}

// Reads the bytes in turn; past the end every read gives 0.
struct Bytes {
    const uint8_t* data;
    size_t size, at = 0;
    uint8_t next() { return at < size ? data[at++] : 0; }
    bool done() const { return at >= size; }
};

}  // namespace nolby::fuzz
