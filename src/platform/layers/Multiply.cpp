#include "platform/layers/Multiply.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace nolby::multiply {

namespace {

// a·b / 255, rounded the way pixman rounds it.
inline uint32_t mul8(uint32_t a, uint32_t b) {
    uint32_t t = a * b + 0x80;
    return (t + (t >> 8)) >> 8;
}

inline uint32_t scaled(uint32_t s, uint32_t alpha) {
    uint32_t r = 0;
    for (int shift = 0; shift < 32; shift += 8) r |= mul8((s >> shift) & 0xFF, alpha) << shift;
    return r;
}

}  // namespace

uint32_t reference(uint32_t dst, uint32_t src, uint8_t alpha) {
    if (alpha == 0) return dst;
    const uint32_t s = alpha == 255 ? src : scaled(src, alpha);
    const uint32_t isa = 255 - (s >> 24), ida = 255 - (dst >> 24);
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t sc = (s >> shift) & 0xFF, dc = (dst >> shift) & 0xFF;
        const uint32_t sides = std::min(mul8(sc, ida) + mul8(dc, isa), 255u);
        out |= std::min(sides + mul8(dc, sc), 255u) << shift;
    }
    return out;
}

uint8_t alpha8(double opacity) {
    if (!(opacity > 0)) return 0;
    if (opacity >= 1) return 255;
    // Cairo hands the paint's alpha to pixman as a 16-bit value, rounded; pixman takes its
    // top 8 bits.
    const auto wide = static_cast<uint32_t>(std::lround(opacity * 65535));
    return static_cast<uint8_t>(wide >> 8);
}

#if defined(__SSE2__)
namespace {

// Eight 16-bit lanes: a·b / 255 rounded, per lane.
inline __m128i mul16(__m128i a, __m128i b) {
    const __m128i half = _mm_set1_epi16(0x80);
    __m128i t = _mm_add_epi16(_mm_mullo_epi16(a, b), half);
    return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
}

// Two pixels unpacked to 16-bit lanes (B, G, R, A each): their alpha in every lane.
inline __m128i alphas(__m128i p) {
    return _mm_shufflehi_epi16(_mm_shufflelo_epi16(p, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
}

inline __m128i blend16(__m128i s, __m128i d) {
    const __m128i full = _mm_set1_epi16(255);
    const __m128i isa = _mm_sub_epi16(full, alphas(s)), ida = _mm_sub_epi16(full, alphas(d));
    __m128i sides = _mm_min_epi16(_mm_add_epi16(mul16(s, ida), mul16(d, isa)), full);
    return _mm_min_epi16(_mm_add_epi16(sides, mul16(d, s)), full);
}

void row(uint32_t* dst, const uint32_t* src, int width, uint8_t alpha) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i a16 = _mm_set1_epi16(alpha);
    int x = 0;
    for (; x + 4 <= width; x += 4) {
        __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x));
        // A transparent source leaves the destination as it is.
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(s, zero)) == 0xFFFF) continue;
        __m128i sl = _mm_unpacklo_epi8(s, zero), sh = _mm_unpackhi_epi8(s, zero);
        if (alpha != 255) {
            sl = mul16(sl, a16);
            sh = mul16(sh, a16);
        }
        __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + x));
        __m128i dl = _mm_unpacklo_epi8(d, zero), dh = _mm_unpackhi_epi8(d, zero);
        __m128i out = _mm_packus_epi16(blend16(sl, dl), blend16(sh, dh));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x), out);
    }
    for (; x < width; ++x)
        if (src[x]) dst[x] = reference(dst[x], src[x], alpha);
}

}  // namespace
#else
namespace {
void row(uint32_t* dst, const uint32_t* src, int width, uint8_t alpha) {
    for (int x = 0; x < width; ++x)
        if (src[x]) dst[x] = reference(dst[x], src[x], alpha);
}
}  // namespace
#endif

void composite(uint32_t* dst, ptrdiff_t dstStride, const uint32_t* src, ptrdiff_t srcStride, int width, int height,
               uint8_t alpha) {
    if (alpha == 0 || width <= 0) return;
    for (int y = 0; y < height; ++y) {
        row(reinterpret_cast<uint32_t*>(reinterpret_cast<unsigned char*>(dst) + y * dstStride),
            reinterpret_cast<const uint32_t*>(reinterpret_cast<const unsigned char*>(src) + y * srcStride), width, alpha);
    }
}

}  // namespace nolby::multiply
