#include "ink/blocks/Blocks.h"

#include "ink/Hand.h"
#include "ink/Ink.h"

#include <array>
#include <string>

namespace nolby {

bool Blocks::isBlock(std::string_view kind) {
    static constexpr std::array<std::string_view, 11> kinds{"h",    "p",   "math", "list", "quote", "note",
                                                            "fig",  "code", "ask", "aside", "sketch"};
    for (std::string_view k : kinds)
        if (k == kind) return true;
    return false;
}

Laid Blocks::lay(const J& o, uint64_t seed, const std::shared_ptr<const Image>& image) const {
    const std::string kind = o.str("t", "");
    if (kind == "h") return heading(o.str("text", ""), seed, Ink::color(o.optStr("c"), Ink::ink));
    if (kind == "p") return paragraph(o, seed);
    if (kind == "math") return math(o, seed);
    if (kind == "list") return list(o, seed);
    if (kind == "quote") return quote(o, seed);
    if (kind == "note") return note(o, seed);
    if (kind == "fig") return fig(o, seed);
    if (kind == "code") return code(o, seed);
    if (kind == "ask") return ask(o, seed);
    if (kind == "aside") return aside(o, seed);
    if (kind == "sketch") return sketch(o, seed, image);
    if (kind == "pto") return pageTurn(seed);
    if (kind == "link") return link(o, seed);
    return Laid::empty();
}

namespace {

Laid fromHand(const Hand::Result& r) {
    Laid laid;
    laid.ops = r.ops;
    laid.height = r.height;
    return laid;
}

}  // namespace

Laid Blocks::paragraph(const J& o, uint64_t seed) const {
    Hand hand(seed);
    return fromHand(hand.write(o.str("text", ""), kMargin, 0, columnWidth(), kBodySize));
}

Laid Blocks::pageTurn(uint64_t seed) const {
    Hand hand(seed);
    return fromHand(hand.write("over \u2192", geo.pageW - kMargin - 70, 0, 70, kSecondarySize, Ink::pencil,
                               Faces::Face::hand, std::nullopt, Hand::Align::right));
}

}  // namespace nolby
