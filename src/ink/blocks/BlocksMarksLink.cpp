// The link: a pencil arrow from a question to a reply that landed far from it, or a short
// pencil note at the question when the reply went on to another page. It takes no room
// in the flow of the page.
#include "ink/Hand.h"
#include "ink/Ink.h"
#include "ink/Rough.h"
#include "ink/blocks/Blocks.h"
#include "ink/ops/StrokeOp.h"

#include <algorithm>
#include <cmath>

namespace nolby {

namespace {

// A point of exactly two numbers within reach of the page; others are no point at all.
bool usable(const std::vector<double>& p) {
    return p.size() == 2 && std::fabs(p[0]) <= Blocks::kMaxReach && std::fabs(p[1]) <= Blocks::kMaxReach;
}

}  // namespace

Laid Blocks::link(const J& o, uint64_t seed) const {
    const std::vector<double> from = o.nums("from");
    if (!usable(from)) return Laid::empty();
    const std::vector<double> to = o.nums("to");
    Laid laid;
    if (usable(to)) {
        // The arrow bows out to the right of both ends.
        const Point a{from[0], from[1]}, b{to[0], to[1]};
        const Point mid{std::max(a.x, b.x) + 26, (a.y + b.y) / 2};
        Rough rough(seed, 0.8, 1.054, 2, 0.62);
        Path path;
        rough.curve(path, {a, mid, b}, 1, 0.4);
        rough.arrowhead(path, b.x, b.y, b.x - mid.x, b.y - mid.y, 7);
        appendStroke(laid.ops, std::move(path), Pen::usual(Ink::pencil, 1.2), 1, 1.6, 0.15);
        return laid;
    }
    const std::string text = o.str("text", "");
    if (!text.empty()) {
        Hand hand(seed);
        laid.ops = hand.write(text, from[0], from[1] - 11.6, 140, kSecondarySize, Ink::pencil).ops;
    }
    return laid;
}

}  // namespace nolby
