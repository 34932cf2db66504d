#pragma once
// Pixel probes for layer tests: the premultiplied bytes of one pixel of a snapshot.

#include "platform/Image.h"

#include <cairo.h>

#include <cstdint>
#include <ostream>

namespace nolby::test {

struct Px {
    int a = 0, r = 0, g = 0, b = 0;
    bool operator==(const Px&) const = default;
};

inline const Px blackPx{255, 0, 0, 0};

inline std::ostream& operator<<(std::ostream& o, const Px& p) {
    return o << "(a " << p.a << ", r " << p.r << ", g " << p.g << ", b " << p.b << ")";
}

inline Px px(const Image& image, int x, int y) {
    cairo_surface_flush(image.surface());
    const unsigned char* row =
        cairo_image_surface_get_data(image.surface()) + y * cairo_image_surface_get_stride(image.surface());
    uint32_t v = reinterpret_cast<const uint32_t*>(row)[x];
    return {int(v >> 24), int((v >> 16) & 0xFF), int((v >> 8) & 0xFF), int(v & 0xFF)};
}

// Whether two pixels differ by at most `tolerance` in every byte.
inline bool near(const Px& p, const Px& q, int tolerance) {
    auto close = [tolerance](int u, int v) { return u - v <= tolerance && v - u <= tolerance; };
    return close(p.a, q.a) && close(p.r, q.r) && close(p.g, q.g) && close(p.b, q.b);
}

}  // namespace nolby::test
