#pragma once
// Seeded randomness and stable hashing: the same content must draw the same wobble in
// every run and on every machine, so every seed comes from these two and nothing else.

#include <cstdint>
#include <string_view>

namespace nolby {

// SplitMix64. A value type: copying it copies its place in the sequence.
struct Rng {
    static constexpr uint64_t G = 0x9E3779B97F4A7C15ull;

    uint64_t state;

    // Seeding adds the increment once, so the first draw mixes seed + 2G.
    explicit constexpr Rng(uint64_t seed) : state(seed + G) {}

    constexpr uint64_t next() {
        state += G;
        uint64_t z = state;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // The top 53 bits as a fraction in [0, 1); never 1.
    double unit() { return static_cast<double>(next() >> 11) * 0x1p-53; }

    // A value in [lo, hi).
    double range(double lo, double hi) { return lo + (hi - lo) * unit(); }
    // A signed jitter of amplitude a, as u·2·a − a (rounded in that order).
    double jitter(double a) { return unit() * 2 * a - a; }

    bool operator==(const Rng&) const = default;
};

// FNV-1a 64 of the string's UTF-8 bytes.
constexpr uint64_t stableHash(std::string_view s) {
    uint64_t h = 0xcbf29ce484222325ull;
    for (char c : s) {
        h ^= static_cast<unsigned char>(c);
        h *= 0x100000001b3ull;
    }
    return h;
}

}  // namespace nolby
