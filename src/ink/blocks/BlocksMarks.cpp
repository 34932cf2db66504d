// The teacher's marks: a tick, ring, underline, wavy line, cross, star or arrow drawn at a
// box on the page, with an optional short note beside or below it. Marks are stored page
// items drawn in page coordinates from the box they carry, not laid out in the flow.
#include "ink/Hand.h"
#include "ink/Ink.h"
#include "ink/Rough.h"
#include "ink/blocks/Blocks.h"
#include "ink/fig/Fig.h"
#include "ink/ops/StrokeOp.h"
#include "platform/TextLine.h"

#include <algorithm>
#include <cmath>

namespace nolby {

namespace {

// Faults are red; every other mark is green, unless the tutor names a colour.
Color markColor(const std::string& kind, const std::string& name) {
    if (!name.empty()) return Ink::color(name, Ink::ink);
    return Ink::color(std::string(kind == "cross" || kind == "wavy" ? "red" : "green"), Ink::ink);
}

// The wavy line's points: every 6.5 points along the bottom edge, alternately high and low.
std::vector<Point> wave(const Rect& box) {
    std::vector<Point> pts;
    for (size_t i = 0; i < Blocks::kMaxMarkSteps; ++i) {
        const double x = box.minX() + static_cast<double>(i) * 6.5;
        if (!(x < box.maxX())) break;
        pts.push_back({x, box.maxY() + (i % 2 == 0 ? 1.5 : 6.5)});
    }
    return pts;
}

}  // namespace

bool Blocks::onPage(const Rect& r) {
    auto near = [](double v) { return std::fabs(v) <= kMaxReach; };  // false for NaN and infinities
    return near(r.x) && near(r.y) && near(r.x + r.w) && near(r.y + r.h);
}

std::vector<InkOpRef> Blocks::mark(const J& o, Rect box, uint64_t seed) const {
    // A box that is no place on a page (null, not finite, out of reach) marks nothing.
    if (!onPage(box)) return {};
    const std::string kind = o.str("kind", "tick");
    const Color color = markColor(kind, o.str("c", ""));
    const double pageW = geo.pageW;
    const double minX = box.minX(), minY = box.minY(), maxX = box.maxX(), maxY = box.maxY();
    const double midX = box.midX(), midY = box.midY();

    std::vector<InkOpRef> ops;
    Rough rough(seed, 1.1, 1.054, 2, 0.62);
    Path path;
    if (kind == "circle") {
        rough.ellipse(path, midX, midY, box.width() + 18, box.height() + 14, 2);
    } else if (kind == "underline") {
        rough.line(path, minX - 2, maxY + 4, maxX + 3, maxY + 3, 2);
    } else if (kind == "wavy") {
        const std::vector<Point> pts = wave(box);
        if (!pts.empty()) rough.curve(path, pts, 1, 0.25);
    } else if (kind == "cross") {
        const double cx = std::min(pageW - 14, maxX + 16), cy = midY;
        rough.line(path, cx - 8, cy - 8, cx + 8, cy + 8, 2);
        rough.line(path, cx + 8, cy - 8, cx - 8, cy + 8, 2);
    } else if (kind == "star") {
        // The star doodle, washed in its own colour: its wash, hatching and outline are the mark.
        Fig star(seed, 0, 0, 1, 0, 12.5, 1.55);
        star.doodle("star", std::min(pageW - 16, maxX + 17), minY + 6, 20, color, std::nullopt);
        ops = std::move(star.ops);
    } else if (kind == "arrow") {
        rough.curve(path, {{std::min(pageW - 10, maxX + 46), minY - 6}, {maxX + 20, minY - 10}, {maxX + 4, midY - 3}},
                    1, 0.3);
        rough.arrowhead(path, maxX + 4, midY - 3, -10, 6, 8);
    } else {
        const double x0 = std::min(pageW - 36, maxX + 11), y0 = midY;
        rough.curve(path, {{x0, y0}, {x0 + 6, y0 + 8}, {x0 + 10, y0 + 11}}, 1, 0.3);
        rough.curve(path, {{x0 + 10, y0 + 11}, {x0 + 17, y0 - 4}, {x0 + 26, y0 - 15}}, 1, 0.4);
    }
    if (!path.isEmpty()) appendStroke(ops, std::move(path), Pen::usual(color, 2), 1, 1);

    const std::string note = o.str("note", "");
    if (note.empty()) return ops;
    // Beside the box when it fits there, otherwise below it, kept off the right edge.
    const double tw = textWidth(note, *Faces::font(Faces::Face::hand, kSecondarySize));
    const double right = pageW - 12;
    const double room = right - (maxX + 40);
    double x, top;
    if ((tw <= 150 && tw < room) || (tw > 150 && room > 150)) {
        x = maxX + 40;
        top = midY - 11.6;
    } else {
        x = std::min(right - std::min(tw, 220.0), minX);
        top = maxY + 9;
    }
    Hand hand(seed + 1);
    Hand::Result r = hand.write(note, x, top, std::min(right - x, tw + 4), kSecondarySize, color, Faces::Face::hand,
                                15.95);
    appendTilted(ops, r.ops, -3, x, top);
    return ops;
}

}  // namespace nolby
