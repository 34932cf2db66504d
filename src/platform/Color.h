#pragma once
// An sRGB colour with straight (not premultiplied) alpha, components in 0...1.

#include <cstdint>
#include <string>

namespace nolby {

struct Color {
    double r = 0, g = 0, b = 0, a = 1;

    // 0xRRGGBB at the given alpha.
    static constexpr Color hex(uint32_t rgb, double alpha = 1) {
        return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, alpha};
    }
    static constexpr Color rgba8(int r, int g, int b, int a = 255) {
        return {r / 255.0, g / 255.0, b / 255.0, a / 255.0};
    }
    constexpr Color withAlpha(double alpha) const { return {r, g, b, alpha}; }

    // "#rrggbbaa", each component rounded to 8 bits.
    std::string hexString() const;

    bool operator==(const Color&) const = default;
};

}  // namespace nolby
