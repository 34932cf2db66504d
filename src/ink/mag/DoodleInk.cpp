#include "ink/mag/DoodleInk.h"

#include "ink/Ink.h"
#include "ink/Rng.h"
#include "ink/fig/Fig.h"
#include "ink/ops/FillOp.h"
#include "ink/ops/MonoOp.h"
#include "ink/ops/PhraseOp.h"
#include "ink/ops/StrokeOp.h"
#include "ink/ops/TextOp.h"
#include "ink/ops/WrapOp.h"
#include "platform/Canvas.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <string>

namespace nolby {

namespace {

struct Laid {
    std::mutex lock;
    std::map<std::string, std::vector<InkOpRef>> entries;
};

Laid& cache() {
    static Laid c;
    return c;
}

// Boxes are cut to this before laying out: a doodle never needs to be larger.
constexpr double kMaxBox = 4096;

InkOpRef kept(InkOpRef made, const InkOp& from) {
    made->pause = from.pause;
    return made;
}

}  // namespace

std::vector<InkOpRef> DoodleInk::ops(const nlohmann::json& items, uint64_t seed, double box, bool white) {
    if (!std::isfinite(box) || box <= 0) return {};
    box = std::min(box, kMaxBox);
    // The items are part of the key: a new plan's doodle at the same seed and size must be
    // drawn, not the old one served from the cache.
    const std::string key = std::to_string(seed) + "|" + std::to_string(static_cast<long long>(box)) + "|" +
                            (white ? "true" : "false") + "|" +
                            std::to_string(stableHash(items.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)));
    Laid& c = cache();
    {
        std::lock_guard<std::mutex> guard(c.lock);
        if (auto found = c.entries.find(key); found != c.entries.end()) return found->second;
    }
    Fig fig(seed, 0, 0, box / 100, 100, box * 11 / 120, std::max(box * 1.6 / 120, 1.1));
    fig.halo = Ink::paper;
    fig.draw(items);
    std::vector<InkOpRef> out = std::move(fig.ops);
    if (white)
        for (InkOpRef& op : out) op = whiten(op);
    std::lock_guard<std::mutex> guard(c.lock);
    if (c.entries.size() >= kLimit) c.entries.clear();
    c.entries[key] = out;
    return out;
}

size_t DoodleInk::laid() {
    std::lock_guard<std::mutex> guard(cache().lock);
    return cache().entries.size();
}

InkOpRef DoodleInk::whiten(const InkOpRef& op) {
    if (!op) return op;
    const Color white{1, 1, 1, 1};
    if (auto shift = dynamic_cast<const ShiftOp*>(op.get()))
        return kept(std::make_shared<ShiftOp>(whiten(shift->inner), shift->dx, shift->dy), *op);
    if (auto rot = dynamic_cast<const RotOp*>(op.get()))
        return kept(std::make_shared<RotOp>(whiten(rot->inner), rot->deg, rot->px, rot->py), *op);
    if (auto paced = dynamic_cast<const PacedOp*>(op.get()))
        return kept(std::make_shared<PacedOp>(whiten(paced->inner), paced->pace()), *op);
    if (auto wrap = dynamic_cast<const WrapOp*>(op.get()))
        return kept(std::make_shared<WrapOp>(whiten(wrap->inner)), *op);
    if (auto stroke = dynamic_cast<const StrokeOp*>(op.get())) {
        Pen pen = stroke->pen;
        pen.color = white.withAlpha(pen.blend == BlendMode::multiply ? 0.3 : 1);
        pen.blend = BlendMode::normal;
        return kept(std::make_shared<StrokeOp>(stroke->path, pen, stroke->passes(), stroke->pace()), *op);
    }
    if (auto text = dynamic_cast<const TextOp*>(op.get())) return std::make_shared<TextOp>(*text, white);
    // Handwriting is laid out as phrases: text like any other.
    if (auto phrase = dynamic_cast<const PhraseOp*>(op.get())) {
        std::vector<PhraseOp::Run> runs = phrase->runs;
        for (PhraseOp::Run& run : runs) run.color = white;
        return kept(std::make_shared<PhraseOp>(std::move(runs), phrase->size, phrase->halo), *op);
    }
    if (auto fill = dynamic_cast<const FillOp*>(op.get()))
        return kept(std::make_shared<FillOp>(fill->path, white.withAlpha(0.16), BlendMode::normal, fill->evenOdd), *op);
    if (auto mono = dynamic_cast<const MonoOp*>(op.get())) {
        auto copy = std::make_shared<MonoOp>(*mono);
        copy->tint(white);
        return copy;
    }
    return op;
}

void DoodleInk::draw(cairo_t* cr, const Rect& frame) const {
    if (!std::isfinite(frame.x + frame.y + frame.w + frame.h)) return;
    const double s = std::min(frame.w, frame.h);
    if (!(s > 0)) return;
    const std::vector<InkOpRef> laid = ops(items, seed, s, white);
    draw::Saved saved(cr);
    draw::clipRect(cr, frame);  // like any canvas, the doodle's frame clips it
    draw::translate(cr, frame.x + (frame.w - s) / 2, frame.y + (frame.h - s) / 2);
    // A doodle larger than the box it was laid out in (the box was cut) is scaled to fit.
    const double k = s / std::min(s, kMaxBox);
    if (k != 1) draw::scale(cr, k, k);
    if (white) {
        // Global alpha 0.92: the doodle is drawn as one group at that opacity.
        cairo_push_group(cr);
        for (const InkOpRef& op : laid) op->draw(cr, 1);
        cairo_pop_group_to_source(cr);
        cairo_paint_with_alpha(cr, 0.92);
    } else {
        for (const InkOpRef& op : laid) op->draw(cr, 1);
    }
}

}  // namespace nolby
