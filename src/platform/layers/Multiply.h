#pragma once
// Multiply compositing of premultiplied ARGB32 pixels: how ink darkens the paper beneath
// it. Cairo's own multiply runs pixman's generic C combiner, one pixel at a time; this does
// the same arithmetic, rounding included, several pixels at once. For each channel c of
// source s (first scaled by the paint's alpha) and destination d:
//   c = s·(1 − d.alpha) + d·(1 − s.alpha) + s·d
// each product rounded to 8 bits as pixman rounds it, the sums saturating at 255.

#include <cstddef>
#include <cstdint>

namespace nolby::multiply {

// One pixel, written plainly: the reference the fast path is checked against.
uint32_t reference(uint32_t dst, uint32_t src, uint8_t alpha = 255);

// Multiplies a block of `width` × `height` source pixels onto the destination. Strides are
// in bytes.
void composite(uint32_t* dst, ptrdiff_t dstStride, const uint32_t* src, ptrdiff_t srcStride, int width, int height,
               uint8_t alpha = 255);

// The 8-bit coverage cairo hands to pixman for a paint at `opacity` (0...1).
uint8_t alpha8(double opacity);

}  // namespace nolby::multiply
