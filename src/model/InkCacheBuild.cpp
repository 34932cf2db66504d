// Laying one page item out into drawing operations, by its kind.
#include "model/InkCache.h"

#include "ink/Hand.h"
#include "ink/Ink.h"
#include "ink/J.h"
#include "ink/Rng.h"
#include "ink/Rough.h"
#include "ink/ops/InkStrokeOp.h"
#include "ink/ops/StrokeOp.h"
#include "model/NotebookModel.h"

#include <algorithm>
#include <cmath>

namespace nolby {

namespace {

constexpr double kTwoPi = 6.283185307179586;
// Nine points for a circumference of 200 (unscaled), more with its square root.
constexpr double kRingStepFactor = 0.6363961030678927;
constexpr double kRingScale = 0.62;

std::vector<InkOpRef> noteOps(const TextItem& t) {
    const Color color = InkCache::learnerColor(t.color);
    // The id, not the text, seeds the hand: two equal notes still look like two writings.
    const uint64_t seed = stableHash(t.id.string());
    std::vector<InkOpRef> ops;
    if (t.anchor) {
        InkCache::Ring ring = InkCache::ring(*t.anchor, seed, color);
        if (ring.op) ops.push_back(ring.op);
    }
    Hand hand = NotebookModel::noteHand(seed);
    Hand::Result written = hand.write(NotebookModel::noteText(t.text, t.about), t.x, t.y, t.width, t.size, color,
                                      Faces::Face::hand, std::nullopt, Hand::Align::left, true, Ink::paper, 0, 0, 0.5);
    ops.insert(ops.end(), written.ops.begin(), written.ops.end());
    return ops;
}

std::vector<InkOpRef> blockOps(const BlockItem& b, const Geo& geo, Color accent, const InkCache::SketchLoader& sketches) {
    const J object = J::parse(b.json).value_or(J());
    const std::string kind = object.str("t", "");
    const Blocks blocks{geo, accent};
    // Annotations are drawn where their box is; without one there is nothing to mark.
    if (kind == "mark") return b.box ? blocks.mark(object, *b.box, b.seed) : std::vector<InkOpRef>{};
    if (kind == "hole") return b.box ? blocks.dive(object, *b.box, b.seed) : std::vector<InkOpRef>{};
    std::shared_ptr<const Image> image;
    if (b.image && sketches) image = sketches(*b.image);
    return blocks.lay(object, b.seed, image).shifted(b.dx, b.y).ops;
}

}  // namespace

Color InkCache::learnerColor(const std::string& name) {
    if (name == "learner") return Ink::learner;
    return Ink::color(std::optional<std::string>(name), Ink::learner);
}

InkCache::Ring InkCache::ring(const Rect& anchor, uint64_t seed, Color color) {
    Ring ring;
    const Rect a = anchor.standardized();
    if (a.isNull() || !std::isfinite(a.x) || !std::isfinite(a.y) || !std::isfinite(a.w) || !std::isfinite(a.h))
        return ring;
    Rough rough(seed + 9, 0.9, 1.054, 2, kRingScale);  // wraps
    const double cx = a.midX(), cy = a.midY();
    const double rx0 = a.w / 2 + 4, ry0 = a.h / 2 + 3;
    const double sx = rx0 / kRingScale, sy = ry0 / kRingScale;
    const double ideal = std::ceil(std::max(kRingStepFactor * std::sqrt(kTwoPi * std::sqrt((sx * sx + sy * sy) / 2)), 9.0));
    // A ring around an absurdly large anchor (only a damaged file has one) stays bounded.
    ring.steps = ideal <= Rough::kMaxEllipseSteps ? static_cast<int>(ideal) : Rough::kMaxEllipseSteps;
    const double increment = kTwoPi / ring.steps;
    const double u1 = rough.rnd.unit(), u2 = rough.rnd.unit(), u3 = rough.rnd.unit();
    ring.rx = rx0 + 0.9 * (2 * u1 - 1) * 0.05 * rx0;
    ring.ry = ry0 + 0.9 * (2 * u2 - 1) * 0.05 * ry0;
    ring.overlap = increment * (0.1 + 0.3 * u3);
    Path path;
    Rough::catmull(path, rough.ellipsePoints(increment, cx, cy, ring.rx, ring.ry, kRingScale, ring.overlap));
    ring.op = std::make_shared<StrokeOp>(std::move(path), Pen::usual(color, 1.7), 1, 2.2);
    return ring;
}

std::vector<InkOpRef> InkCache::build(const PageItem& item, const Geo& geo, Color accent, const SketchLoader& sketches) {
    if (const TextItem* t = item.text()) return noteOps(*t);
    if (const StrokeItem* s = item.stroke()) return {std::make_shared<InkStrokeOp>(*s, learnerColor(s->color))};
    return blockOps(*item.block(), geo, accent, sketches);
}

}  // namespace nolby
