#pragma once
// The magazine's design tokens: the print colours, the issue palettes, the variable print
// faces, the quarter dateline and the paper grain that every magazine surface shares.

#include "platform/Color.h"
#include "platform/Font.h"
#include "platform/Image.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace nolby::Mag {

// Packs a font axis tag ("wght") into its OpenType number, first letter in the top byte;
// bytes shifted past 32 bits are dropped.
constexpr uint32_t tag(std::string_view t) {
    uint32_t v = 0;
    for (char c : t) v = (v << 8) | static_cast<unsigned char>(c);
    return v;
}

// Print colours.
inline constexpr Color night = Color::hex(0x0C0B10);
inline constexpr Color black = Color::hex(0x0A0A0C);
inline constexpr Color white = Color::hex(0xFAF8F2);
inline constexpr Color table = Color::hex(0xEDEAE4);
inline constexpr Color red = Color::hex(0xE22C38);
inline constexpr Color blue = Color::hex(0x1C4CD6);
inline constexpr Color yellow = Color::hex(0xF7C81E);
inline constexpr Color cyan = Color::hex(0x78E2F0);
inline constexpr Color magenta = Color::hex(0xFF2FB3);

// An issue's palette: three inks and a paper tone, each 0xRRGGBB, and the inks in words.
struct Inks {
    uint32_t a = 0, b = 0, c = 0;
    uint32_t paper = 0;
    std::string names;

    bool operator==(const Inks&) const = default;
};

// The palette of a notebook colour name, compared exactly; any other name (and "blue")
// gets the ultramarine palette.
Inks inks(std::string_view name);

// The dateline of an issue: "Q3 2026" for a date in August 2026, month and year taken in
// the user's local calendar.
std::string quarter(std::chrono::system_clock::time_point date);
// The same from a calendar month; a month that is not valid counts as 1, a year that is
// not valid as 2026.
std::string quarter(std::chrono::year_month date);

// The variable print faces, served by "Fraunces.ttf", "Newsreader.ttf" and
// "Newsreader-Italic.ttf" in the resource folder's "Fonts/".
enum class Face { fraunces, news, newsItalic };

// Loads the print faces from the folder's "Fonts/" subfolder (without a folder, the
// resource folder's). Does nothing once a face is registered; a missing folder or file
// leaves its faces out.
void registerFrom(const std::optional<std::filesystem::path>& folder = std::nullopt);

// Axis tag ("wght", "SOFT", "opsz", "WONK") to value.
using Axes = std::map<std::string, double>;

// The face at a size with the axes set; Fraunces's own default instance is black and wonky,
// so its users set every axis. An axis value that is not a number is left out. A face that
// is not registered gives the system interface font at the size, without axes.
std::shared_ptr<const Font> ct(Face face, double size, const Axes& axes);

// The news face (upright or italic) at a size and weight, its optical size following the
// size within 6...72.
std::shared_ptr<const Font> newsCT(double size, double weight, bool italic);

// System families that stand in for the desktop fonts the magazine chrome names. League
// Spartan is a geometric sans in Futura's mould; fontconfig reaches its weights by family
// name only for those that carry one of their own, so bold is its semibold cut.
inline constexpr const char* kSystemStandIn = "DejaVu Sans";
inline constexpr const char* kFuturaBoldStandIn = "League Spartan SemiBold";
inline constexpr const char* kFuturaMediumStandIn = "League Spartan Medium";

// The system family at a size; the system interface font when the family is not
// installed, and the bare system fallback when that is missing too.
std::shared_ptr<const Font> systemFont(const std::string& family, double size);

// The 192 × 192 grain tile: light and dark specks over mid grey, the same on every run;
// made once per thread, which alone may draw from it.
// Made once, on first use; null only if the bitmap cannot be made.
std::shared_ptr<const Image> grain();

}  // namespace nolby::Mag
