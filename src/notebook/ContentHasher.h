#pragma once
// A deterministic 64-bit hash over a canonical encoding of values, for content keys of page
// items. Same fields, same key, in every run and on every machine: integers are fed as 8
// little-endian bytes, floating values by their bits with -0 folded into 0 (and every NaN
// into one pattern), strings as their length and bytes, optionals as a presence mark
// (0, or 1 then the value), lists as their length then their elements, rectangles in their
// standardized form. FNV-1a over those bytes, finished with a SplitMix64 mix so that keys
// that differ only in their last bytes still spread over all 64 bits.

#include "platform/Date.h"
#include "platform/Geometry.h"
#include "platform/Uuid.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace nolby {

class ContentHasher {
public:
    explicit ContentHasher(uint64_t seed = 0) { combine(seed); }

    void combine(uint64_t v) {
        for (int i = 0; i < 8; ++i) byte(static_cast<uint8_t>(v >> (8 * i)));
    }
    void combine(int64_t v) { combine(static_cast<uint64_t>(v)); }
    void combine(bool v) { byte(v ? 1 : 0); }
    void combine(double v) {
        if (v == 0) v = 0;  // -0 and 0 are equal values, so they must hash alike
        if (std::isnan(v)) v = std::numeric_limits<double>::quiet_NaN();
        combine(std::bit_cast<uint64_t>(v));
    }
    void combine(float v) {
        if (v == 0) v = 0;
        if (std::isnan(v)) v = std::numeric_limits<float>::quiet_NaN();
        uint32_t bits = std::bit_cast<uint32_t>(v);
        for (int i = 0; i < 4; ++i) byte(static_cast<uint8_t>(bits >> (8 * i)));
    }
    void combine(std::string_view s) {
        combine(static_cast<uint64_t>(s.size()));
        for (char c : s) byte(static_cast<uint8_t>(c));
    }
    void combine(const Uuid& u) {
        for (uint8_t b : u.bytes) byte(b);
    }
    void combine(Date d) { combine(referenceSeconds(d)); }
    void combine(const Rect& r) {
        Rect s = r.standardized();
        combine(s.x);
        combine(s.y);
        combine(s.w);
        combine(s.h);
    }
    template <class T>
    void combine(const std::optional<T>& v) {
        combine(v.has_value());
        if (v) combine(*v);
    }
    template <class T>
    void combine(const std::vector<T>& list) {
        combine(static_cast<uint64_t>(list.size()));
        for (const T& e : list) combine(e);
    }

    uint64_t finalize() const {
        uint64_t z = state_ + 0x9E3779B97F4A7C15ull;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

private:
    void byte(uint8_t b) {
        state_ ^= b;
        state_ *= 0x100000001b3ull;
    }

    uint64_t state_ = 0xcbf29ce484222325ull;
};

}  // namespace nolby
