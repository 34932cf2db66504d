// Big operators and accents, for now set from the maths font: the operator sign as a
// glyph with its limits as scripts, and the accent mark as a glyph centred over its body.
#include "ink/math/MathInk.h"

#include <map>

namespace nolby {

MathInk::BoxRef MathInk::big(const std::string& name, const MRef& sub, const MRef& sup, double size, Color color,
                             bool display) {
    static const std::map<std::string, std::string> signs{
        {"int", "\u222b"}, {"iint", "\u222c"}, {"oint", "\u222e"}, {"sum", "\u2211"}, {"prod", "\u220f"}};
    auto sign = signs.find(name);
    BoxRef base = glyphBox(sign != signs.end() ? sign->second : name, size, color);
    base->tall = sign != signs.end();
    return script(base, sup, sub, size, color);
}

MathInk::BoxRef MathInk::accent(const std::string& name, const MRef& bodyNode, double size, Color color,
                                bool display) {
    static const std::map<std::string, std::string> marks{
        {"hat", "^"},   {"widehat", "^"},   {"bar", "\u00af"},     {"overline", "\u00af"}, {"vec", "\u2192"},
        {"dot", "\u02d9"}, {"ddot", "\u00a8"}, {"tilde", "~"},    {"widetilde", "~"},     {"not", "/"},
        {"underline", "_"}, {"overrightarrow", "\u2192"}};
    BoxRef body = layout(bodyNode, size, color, display);
    auto it = marks.find(name);
    if (it == marks.end()) return body;
    BoxRef mark = glyphBox(it->second, size * 0.8, color);
    auto box = std::make_shared<Box>(*body);
    box->pieces.clear();
    box->add(Kid{body, 0, 0}, 0.0);
    double centre = (body->inkL + body->inkR) / 2;
    double y = name == "not" ? 0 : -body->a - 0.05 * size;
    box->add(Kid{mark, centre - mark->w / 2, y}, 1.0);
    box->note.reset();
    box->fit();
    return box;
}

}  // namespace nolby
