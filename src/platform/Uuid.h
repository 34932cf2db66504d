#pragma once
// A 128-bit identifier: random version-4 values, written as 36 upper-case characters
// (8-4-4-4-12 hexadecimal groups); lower-case digits are read as well.

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nolby {

struct Uuid {
    std::array<uint8_t, 16> bytes{};

    // A fresh random identifier (version 4, variant 10).
    static Uuid random();
    // With a seed, random() on this thread draws from a generator started at that seed, so
    // restarting it repeats the same identifiers (and everything derived from them) exactly:
    // a fuzz target replays an input that way. Without one, the kernel's generator again.
    static void repeatable(std::optional<uint64_t> seed);
    // Nothing unless the text is exactly 36 characters of hex digits in 8-4-4-4-12 groups.
    static std::optional<Uuid> parse(std::string_view text);

    std::string string() const;

    bool operator==(const Uuid&) const = default;
    auto operator<=>(const Uuid&) const = default;
};

}  // namespace nolby
