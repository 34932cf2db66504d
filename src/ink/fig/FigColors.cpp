// Colour-name lookups of figures: an outline colour's name, the pale wash of fills and the
// highlighter colour of cells and nodes.
#include "ink/fig/Fig.h"
#include "platform/Unicode.h"

namespace nolby {

std::string Fig::colorName(Color c) {
    for (const std::string& name : Ink::names())
        if (Ink::color(name, Ink::ink) == c) return name;
    return "yellow";
}

Color Fig::washColor(const std::string& name) {
    if (!name.empty() && name[0] == '#') return Ink::color(name, Ink::ink).withAlpha(0.2);
    const std::string lower = unicode::lowercased(name);
    if (Ink::isStrokeName(lower)) return Ink::wash(name);
    return Ink::wash("grey");
}

Color Fig::markerColor(const std::string& name) {
    const std::string lower = unicode::lowercased(name);
    if (lower == "grey" || lower == "gray" || lower == "ink" || lower == "black") return Color::hex(0xdcd8d0);
    if (lower == "purple") return Ink::marker("violet");
    if (lower == "magenta") return Ink::marker("pink");
    if (lower == "cyan") return Ink::marker("teal");
    if (lower == "gold") return Ink::marker("yellow");
    if (lower == "brown") return Ink::marker("orange");
    if (!lower.empty() && lower[0] == '#') return Ink::color(name, Ink::ink).withAlpha(0.3);
    return Ink::marker(lower);
}

}  // namespace nolby
