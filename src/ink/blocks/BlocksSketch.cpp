// Sketches (a painting made for the block, shown as a wet placeholder until it arrives)
// and figure blocks (a list of figure items handed to the figure interpreter), each with
// an optional pencil caption. The tutor turn may squeeze either with "_scale" to fit the
// room left on a page.
#include "ink/Hand.h"
#include "ink/Ink.h"
#include "ink/blocks/Blocks.h"
#include "ink/fig/Fig.h"
#include "ink/ops/ImageOp.h"
#include "ink/ops/WetOp.h"

#include <algorithm>
#include <cmath>

namespace nolby {

namespace {

// The squeeze the tutor turn stores; never below 0.6 of the natural size.
double squeeze(const J& o) { return std::clamp(o.num("_scale", 1), 0.6, 1.0); }

// A caption in pencil, centred under the picture.
Hand::Result caption(const std::string& text, uint64_t seed, double top, double width) {
    Hand hand(seed + 77);
    return hand.write(text, Blocks::kMargin, top, width, Blocks::kSecondarySize, Ink::pencil, Faces::Face::hand,
                      std::nullopt, Hand::Align::center);
}

}  // namespace

Laid Blocks::sketch(const J& o, uint64_t seed, const std::shared_ptr<const Image>& image) const {
    const double W = columnWidth();
    const double h = std::clamp(o.num("h", 46), 20.0, 90.0);
    const double H = W / 100 * h * squeeze(o);

    Laid laid;
    double x = 0, dw = 0;
    if (image) {
        // The painting keeps the block's height; a wide one is held to the column.
        dw = std::min(H * image->width() / std::max(image->height(), 1), W);
        x = kMargin + (W - dw) / 2;
    } else {
        laid.ops.push_back(std::make_shared<WetOp>(Rect{kMargin, 4, W, H}, seed));
    }
    laid.height = H + 8;
    const std::string text = o.str("caption", "");
    if (!text.empty()) {
        Hand::Result r = caption(text, seed, H + 8, W);
        laid.ops.insert(laid.ops.end(), r.ops.begin(), r.ops.end());
        laid.height = H + 10 + r.height;
    }
    // After the caption: the words are written before the picture is uncovered.
    if (image) laid.ops.push_back(std::make_shared<ImageOp>(image, Rect{x, 4, dw, H}));
    return laid;
}

Laid Blocks::fig(const J& o, uint64_t seed) const {
    const nlohmann::json* items = o.arr("items");
    if (!items) return Laid::empty();
    const double W = columnWidth();
    const double boxH = std::clamp(o.num("h", 40), 6.0, 140.0);
    const double s = squeeze(o);
    const double k = W / 100 * s;
    Fig figure(seed, kMargin + W * (1 - s) / 2, 4, k, boxH, std::max(12.5 * s, 10.5), 1.55);
    figure.draw(*items);

    Laid laid;
    laid.ops = std::move(figure.ops);
    double bottom = boxH * k + 8;
    const std::string text = o.str("caption", "");
    if (!text.empty()) {
        Hand::Result r = caption(text, seed, bottom, W);
        laid.ops.insert(laid.ops.end(), r.ops.begin(), r.ops.end());
        bottom += r.height + 2;
    }
    // Ink that strays below the figure's box (a label under the last row, an arrow
    // leaving it) makes the block taller.
    Rect inked = Rect::null();
    for (const InkOpRef& op : laid.ops) inked = inked.united(op->bounds());
    laid.height = inked.isNull() || !std::isfinite(inked.maxY()) ? bottom : std::max(bottom, inked.maxY() + 6);
    return laid;
}

}  // namespace nolby
