#pragma once
// What the fuzz targets share: a hard stop on a broken promise, the finiteness test of a
// page rectangle, and a reader that turns bytes into choices.

#include "ink/ops/InkOp.h"
#include "platform/Geometry.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace nolby::fuzz {

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

// Reads the bytes in turn; past the end every read gives 0.
struct Bytes {
    const uint8_t* data;
    size_t size, at = 0;
    uint8_t next() { return at < size ? data[at++] : 0; }
    bool done() const { return at >= size; }
};

}  // namespace nolby::fuzz
