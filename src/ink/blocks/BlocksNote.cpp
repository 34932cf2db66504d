// Sticky notes (a tinted sheet taped to the page, written on in ink) and asides (a small
// pencil remark with a hook at its left). Both lean a little: tilted ink is each operation
// turned on its own about one pivot, so the writer still reveals them one by one.
#include "ink/Hand.h"
#include "ink/Ink.h"
#include "ink/Rng.h"
#include "ink/Rough.h"
#include "ink/blocks/Blocks.h"
#include "ink/ops/FillOp.h"
#include "ink/ops/StrokeOp.h"
#include "ink/ops/WrapOp.h"
#include "platform/Unicode.h"

namespace nolby {

InkOpRef Blocks::tilted(const InkOpRef& op, double deg, double px, double py) {
    auto turned = std::make_shared<RotOp>(op, deg, px, py);
    turned->pause = op->pause;
    return turned;
}

void Blocks::appendTilted(std::vector<InkOpRef>& ops, const std::vector<InkOpRef>& more, double deg, double px,
                          double py) {
    for (const InkOpRef& op : more) ops.push_back(tilted(op, deg, px, py));
}

Color Blocks::stickyColor(const std::string& name) {
    const std::string n = unicode::lowercased(name);
    if (n == "pink" || n == "red") return Color::hex(0xffd3e2);
    if (n == "blue" || n == "teal") return Color::hex(0xcde8ff);
    if (n == "green") return Color::hex(0xd5f5d2);
    if (n == "orange") return Color::hex(0xffe2bf);
    if (n == "violet" || n == "purple") return Color::hex(0xe6dcff);
    return Color::hex(0xfff1a6);
}

namespace {

constexpr double kNoteSize = 15.5;
constexpr double kNoteLine = 20.15;  // 1.3 × the note's size

}  // namespace

Laid Blocks::note(const J& o, uint64_t seed) const {
    const std::string text = o.str("text", "");
    const double W = columnWidth();
    const double c = 0.8 * W;
    const double column = c - 32;
    Hand measuring(seed);
    const double th = measuring.write(text, 0, 0, column, kNoteSize, Ink::ink, Faces::Face::hand, kNoteLine).height;

    // Off centre: to the right on even seeds, to the left on odd ones.
    const bool even = seed % 2 == 0;
    const double x0 = kMargin + (W - c) / 2 + (even ? 10 : -6);

    // The sheet's corners each wander a little; the bottom left one rises rather than sags.
    Rng rng(seed + 9);
    double r[8];
    for (double& v : r) v = rng.unit();
    Path sheet;
    sheet.moveTo(x0 + 2 * r[0], 10 + 2 * r[1]);
    sheet.lineTo(x0 + c + 2 * r[2], 10 + 2 * r[3]);
    sheet.lineTo(x0 + c - 2 * r[4], th + 42 + 2 * r[5]);
    sheet.lineTo(x0 + 2 * r[6], th + 42 - 1.5 * r[7]);
    sheet.close();

    std::vector<InkOpRef> flat;
    flat.push_back(std::make_shared<FillOp>(sheet.transformed(Affine::translation(1.5, 2.5)), Color{0, 0, 0, 0.06}));
    flat.push_back(std::make_shared<FillOp>(sheet, stickyColor(o.str("c", "yellow"))));
    Path tape;
    tape.addRect({x0 + c / 2 - 34, 1, 68, 19});
    flat.push_back(tilted(std::make_shared<FillOp>(tape, Color::hex(0xdcd6c8, 0.75), BlendMode::multiply), -4,
                          x0 + c / 2, 10));
    Hand writing(seed);
    Hand::Result written = writing.write(text, x0 + 16, 24, column, kNoteSize, Ink::ink, Faces::Face::hand, kNoteLine);
    flat.insert(flat.end(), written.ops.begin(), written.ops.end());

    Laid laid;
    appendTilted(laid.ops, flat, even ? -1.2 : 1.0, x0 + c / 2, (th + 32) / 2 + 10);
    laid.height = th + 52;
    return laid;
}

Laid Blocks::aside(const J& o, uint64_t seed) const {
    Hand hand(seed);
    Hand::Result r = hand.write(o.str("text", ""), 52, 1, 0.86 * columnWidth(), kSecondarySize, Ink::pencil,
                                Faces::Face::hand, 18.125);
    Rough rough(seed + 3, 0.8, 1.054, 2, 0.62);
    Path hook;
    rough.curve(hook, {{34, 2}, {36, 8.99}, {46, 11.6}}, 1, 0.3);

    Laid laid;
    appendStroke(laid.ops, std::move(hook), Pen::usual(Ink::pencil, 1.3), 1, 1);
    appendTilted(laid.ops, r.ops, -0.8, 34, 0);  // the hook stays upright
    laid.height = r.height + 4;
    return laid;
}

}  // namespace nolby
