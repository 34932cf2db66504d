#pragma once
// The magazine's design tokens.

#include <cstdint>
#include <string_view>

namespace nolby::Mag {

// Packs a font axis tag ("wght") into its OpenType number, first letter in the top byte;
// bytes shifted past 32 bits are dropped.
constexpr uint32_t tag(std::string_view t) {
    uint32_t v = 0;
    for (char c : t) v = (v << 8) | static_cast<unsigned char>(c);
    return v;
}

}  // namespace nolby::Mag
