#pragma once
// The ink colours: six fixed colours of paper and pencil, and the name tables that turn a
// colour word from the tutor, a figure or a notebook into a stroke colour, a fill tone, a
// pale wash or a highlighter colour.

#include "platform/Color.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nolby::Ink {

inline constexpr Color paper = Color::hex(0xfbf8f1);
inline constexpr Color ink = Color::hex(0x1e1e1e);
inline constexpr Color grey = Color::hex(0x7a766f);
inline constexpr Color faint = Color::hex(0xbdb8ae);
inline constexpr Color pencil = Color::hex(0x5e5a55);
inline constexpr Color learner = Color::hex(0x2a4b9b);

// A stroke colour by name ("Teal", " blue ") or by "#rrggbb"; otherwise the fallback.
Color color(const std::optional<std::string>& name, Color fallback);
// A highlighter colour; the yellow marker for nil or an unknown name.
Color marker(const std::optional<std::string>& name);
// A pale wash; the yellow wash for nil or an unknown name.
Color wash(const std::optional<std::string>& name);
// A mid fill tone; else the stroke colour of the name, else light grey.
Color fill(const std::optional<std::string>& name);

// Whether a lower-case name is one of the colour words the stroke table knows.
bool isStrokeName(std::string_view lower);

// The notebook colour names, in the order new notebooks take them.
const std::vector<std::string>& names();

}  // namespace nolby::Ink
