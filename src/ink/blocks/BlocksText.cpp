// Headings, lists and quotes: handwriting with a little drawn furniture in the accent.
#include "ink/Hand.h"
#include "ink/Ink.h"
#include "ink/blocks/Blocks.h"
#include "ink/ops/StrokeOp.h"
#include "ink/ops/TextOp.h"

namespace nolby {

namespace {

Rough furniture(uint64_t seed, double roughness) { return Rough(seed, roughness, 1.054, 2, 0.62); }

void appendAll(std::vector<InkOpRef>& ops, const std::vector<InkOpRef>& more) {
    ops.insert(ops.end(), more.begin(), more.end());
}

}  // namespace

Laid Blocks::heading(const std::string& text, uint64_t seed, Color color) const {
    Hand hand(seed);
    Hand::Result r = hand.write(text, kMargin, 2, columnWidth(), 25, color, Faces::Face::hand, 30.0);
    Laid laid;
    laid.ops = r.ops;

    // A double stroke under the last line, a little longer than the words.
    const Hand::Line& last = r.lines.back();
    const double x0 = last.left - 3, x1 = last.right + 10, y = last.y + 7.5, d = x1 - x0;
    Rough rough = furniture(seed + 5, 1.1);
    Path path;
    rough.curve(path, {{x0, y + 2}, {x0 + d * 0.35, y - 1}, {x0 + d * 0.75, y + 1.5}, {x1, y - 2.5}}, 1, 0.5);
    rough.curve(path, {{x0 + 12, y + 5.5}, {x0 + d * 0.5, y + 3.5}, {x1 - 14, y + 4.5}}, 1, 0.6);
    appendStroke(laid.ops, std::move(path), Pen::usual(accent, 2), 1, 1.5, 0.2);
    laid.height = r.height + 14;
    return laid;
}

Laid Blocks::list(const J& o, uint64_t seed) const {
    const std::vector<std::string> items = o.strs("items");
    if (items.empty()) return Laid::empty();
    Laid laid;
    double y = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        Hand hand(seed + i);
        Hand::Result r = hand.write(items[i], 46, y, columnWidth() - 22, kBodySize);
        const double b = r.lines.front().y;
        Rough rough = furniture(seed + 40 + i, 0.6);
        Path dash;
        rough.lineOnce(dash, 29, b - 5.1, 37, b - 5.61, false);
        appendStroke(laid.ops, std::move(dash), Pen::usual(accent, 1.8), 1, 1);
        appendAll(laid.ops, r.ops);
        y = y + r.height + 3;
    }
    laid.height = y;
    return laid;
}

Laid Blocks::quote(const J& o, uint64_t seed) const {
    Hand hand(seed);
    Hand::Result r = hand.write(o.str("text", ""), 50, 8, geo.pageW - 82, 17.51, Ink::ink, Faces::Face::hand, 25.5);
    Laid laid;
    laid.ops.push_back(std::make_shared<TextOp>("\u201c", 20, 42, *Faces::font(Faces::Face::hand, 56), accent));
    Rough rough = furniture(seed + 2, 1);
    Path bar;
    rough.lineOnce(bar, 37, 22, 36, r.height + 10, false);
    rough.lineOnce(bar, 37, 22, 36, r.height + 10, true);
    appendStroke(laid.ops, std::move(bar), Pen::usual(accent, 1.6), 2, 1);
    appendAll(laid.ops, r.ops);

    double y = r.height + 12;
    const std::string by = o.str("by", "");
    if (!by.empty()) {
        Hand byHand(seed + 1);
        Hand::Result b = byHand.write("\u2014 " + by, 50, y - 2, geo.pageW - 82, kSecondarySize, Ink::grey,
                                      Faces::Face::hand, std::nullopt, Hand::Align::right);
        appendAll(laid.ops, b.ops);
        y = y + b.height;
    }
    laid.height = y + 4;
    return laid;
}

}  // namespace nolby
