#pragma once
// What the fuzz targets share: a hard stop on a broken promise, the finiteness test of a
// page rectangle, and a reader that turns bytes into choices.

#include "platform/Geometry.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace nolby::fuzz {

inline void require(bool ok) {
    if (!ok) std::abort();
}

inline bool finite(const Rect& r) {
    return r.isNull() || (std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.w) && std::isfinite(r.h));
}

// Reads the bytes in turn; past the end every read gives 0.
struct Bytes {
    const uint8_t* data;
    size_t size, at = 0;
    uint8_t next() { return at < size ? data[at++] : 0; }
    bool done() const { return at >= size; }
};

}  // namespace nolby::fuzz
