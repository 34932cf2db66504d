// Strokes turned into reveal layers: built up to 1.5 s before they start, their animations
// timed on the media clock, settled into still layers 0.05 s after they end.
#include "ink/InkLayer.h"
#include "ink/ops/FillOp.h"
#include "ink/ops/ImageOp.h"
#include "ink/ops/MonoOp.h"
#include "ink/ops/PhraseOp.h"
#include "ink/ops/StrokeOp.h"
#include "ink/ops/TextOp.h"
#include "platform/layers/LayerRender.h"
#include "writing/InkStageParts.h"
#include "writing/InkStageView.h"
#include "writing/ScribeKinds.h"

#include <algorithm>
#include <cmath>

namespace nolby {

namespace {

constexpr double lookAhead = 1.5;    // strokes are built this long before they start
constexpr double settleAfter = 0.05;  // ... and settled this long after they end
// The stage's own settling runs this long after a reveal's settle time, so the strict
// "ended more than 0.05 s ago" holds when it fires.
constexpr double settleSlack = 0.01;

}  // namespace

// ---- The writer's calls

void InkStageView::add(const std::vector<Scribe::Stroke>& strokes) {
    upcoming_.insert(upcoming_.end(), strokes.begin(), strokes.end());
    std::stable_sort(upcoming_.begin(), upcoming_.end(),
                     [](const Scribe::Stroke& a, const Scribe::Stroke& b) { return a.start < b.start; });
}

void InkStageView::advance(double now) {
    size_t due = 0;
    while (due < upcoming_.size() && upcoming_[due].start < now + lookAhead) ++due;
    std::vector<Scribe::Stroke> building(upcoming_.begin(), upcoming_.begin() + std::ptrdiff_t(due));
    upcoming_.erase(upcoming_.begin(), upcoming_.begin() + std::ptrdiff_t(due));
    for (const Scribe::Stroke& s : building) {
        LayerRef c = container(s);
        if (!c) continue;
        // A stroke that builds nothing is dropped.
        if (auto built = stage::build(s, *c, pixels_)) revealing_.push_back({s, built->layer, built->until});
    }
    settleDue(now);
}

void InkStageView::finishAll(const std::vector<Scribe::Stroke>& strokes) {
    const double t = now();
    for (const Reveal& r : revealing_) {
        stage::settle(*r.layer);
        // A reveal that had not begun would pop in: it fades instead.
        if (t < r.stroke.start) stage::fadeIn(*r.layer, t);
    }
    revealing_.clear();
    std::vector<Scribe::Stroke> rest = std::move(upcoming_);
    upcoming_.clear();
    rest.insert(rest.end(), strokes.begin(), strokes.end());
    for (const Scribe::Stroke& s : rest) {
        LayerRef c = container(s);
        if (!c) continue;
        if (auto built = stage::build(s, *c, pixels_)) {
            stage::settle(*built->layer);
            stage::fadeIn(*built->layer, t);
        }
    }
    armSettle(t);
}

// ---- Settling

void InkStageView::settleDue(double now) {
    std::vector<LayerRef> done;
    std::erase_if(revealing_, [&](const Reveal& r) {
        if (!(r.until + settleAfter < now)) return false;
        done.push_back(r.layer);
        return true;
    });
    for (const LayerRef& layer : done) stage::settle(*layer);
    layers::prune(*root_, now);
    armSettle(now);
}

// The writer drives the reveals only while it has strokes; reveals that end after its last
// step (fades longer than their stroke, paintings, placeholders) are settled by the stage
// itself at their time, or a painting's sheets and drops would run on unseen.
void InkStageView::armSettle(double now) {
    if (revealing_.empty()) {
        settleTimer_.cancel();
        return;
    }
    double next = revealing_.front().until;
    for (const Reveal& r : revealing_) next = std::min(next, r.until);
    const double at = next + settleAfter + settleSlack;
    if (settleTimer_.active() && settleAt_ == at) return;
    settleTimer_.cancel();
    settleAt_ = at;
    std::weak_ptr<InkStageView> weak = weak_from_this();
    settleTimer_ = scheduler_->after(std::max(at - now, 0.0), [weak] {
        if (auto self = weak.lock()) self->settleDue(self->now());
    });
}

namespace stage {

void shared(Animation& a, double begin, double dur) {
    a.beginTime = begin;
    a.duration = std::max(dur, shortest);
    a.fillMode = FillMode::both;
    a.removedOnCompletion = false;
    a.preferredFrameRateRange = InkStageView::rate;
}

std::array<double, sampleCount> samples(const InkOp& op) {
    std::array<double, sampleCount> s{};
    for (int i = 0; i < sampleCount; ++i) s[size_t(i)] = op.ease(double(i) / double(sampleCount - 1));
    return s;
}

std::optional<Sweep> sweep(const InkOp& base) {
    if (auto p = dynamic_cast<const PhraseOp*>(&base)) {
        if (p->runs.empty()) return std::nullopt;
        return Sweep{p->runs.front().x, p->travel, 0.85 * p->size};
    }
    if (auto t = dynamic_cast<const TextOp*>(&base)) return Sweep{t->x, t->glyphs.width, 0.85 * t->size};
    if (auto m = dynamic_cast<const MonoOp*>(&base))
        return Sweep{m->x, m->adv * double(m->cells().size()), 0.85 * m->size};
    return std::nullopt;
}

Wipe across(double x, double width, double soft, const Rect& frame, const std::array<double, sampleCount>& s) {
    Wipe w;
    const Rect f = frame.standardized();
    for (double si : s) {
        const double front = x + (width + soft) * si;
        w.starts.push_back({(front - soft - f.x) / f.w, 0.5});
        w.ends.push_back({(front - f.x) / f.w, 0.5});
    }
    return w;
}

Wipe down(const Rect& dst, const Rect& frame, const std::array<double, sampleCount>& s) {
    Wipe w;
    const Rect d = dst.standardized(), f = frame.standardized();
    const double g = 0.22 * d.h;
    for (double si : s) {
        const double front = d.y + (d.h + g) * si;
        w.starts.push_back({0.5, (front - g - f.y) / f.h});
        w.ends.push_back({0.5, (front - f.y) / f.h});
    }
    return w;
}

std::shared_ptr<ShapeLayer> shape(const Path& path, const Affine& transform, double pad) {
    const Path moved = path.transformed(transform);
    Rect box = moved.boundingBox();
    if (box.isNull() || !std::isfinite(box.x) || !std::isfinite(box.y) || !std::isfinite(box.w) ||
        !std::isfinite(box.h))
        return nullptr;
    box = box.standardized().insetBy(-pad, -pad);
    if (box.isNull()) return nullptr;
    auto layer = std::make_shared<ShapeLayer>();
    layer->setFrame(box);
    layer->path = moved.transformed(Affine::translation(-box.x, -box.y));
    return layer;
}

std::shared_ptr<GradientLayer> gradient(Layer& layer, bool /*vertical*/) {
    // The direction comes from the points animate() sets.
    auto mask = std::make_shared<GradientLayer>();
    mask->setFrame(layer.bounds);
    mask->colors = {Color{0, 0, 0, 1}, Color{0, 0, 0, 0}};
    mask->locations = {0, 1};
    layer.mask = mask;
    return mask;
}

void animate(GradientLayer& mask, const Wipe& wipe, double begin, double dur) {
    mask.startPoint = wipe.starts.empty() ? Point{0, 0} : wipe.starts.back();
    mask.endPoint = wipe.ends.empty() ? Point{1, 0} : wipe.ends.back();
    std::vector<LayerValue> starts(wipe.starts.begin(), wipe.starts.end());
    std::vector<LayerValue> ends(wipe.ends.begin(), wipe.ends.end());
    AnimationGroup group({std::make_shared<KeyframeAnimation>(KeyPath::startPoint, std::move(starts)),
                          std::make_shared<KeyframeAnimation>(KeyPath::endPoint, std::move(ends))});
    shared(group, begin, dur);
    mask.add(group, "reveal", begin);
}

namespace {

bool plainLinear(const Affine& t) { return t.a == 1 && t.b == 0 && t.c == 0 && t.d == 1; }

std::optional<Built> strokeReveal(const StrokeOp& op, const Affine& placement, const std::array<double, sampleCount>& s,
                                  const Scribe::Stroke& stroke, Layer& container) {
    const Pen& pen = op.pen;
    auto layer = shape(op.path, placement, pen.width + 3);
    if (!layer) return std::nullopt;
    layer->fillColor = std::nullopt;
    layer->strokeColor = pen.color;
    layer->lineWidth = pen.width;
    layer->lineCap = pen.cap == LineCap::round ? LineCap::round : pen.cap == LineCap::square ? LineCap::square : LineCap::butt;
    layer->lineJoin =
        pen.join == LineJoin::round ? LineJoin::round : pen.join == LineJoin::bevel ? LineJoin::bevel : LineJoin::miter;
    if (pen.dash) layer->lineDashPattern = *pen.dash;
    if (pen.blend == BlendMode::multiply) layer->compositingFilter = BlendMode::multiply;
    container.addSublayer(layer);
    // The pen runs along the path once, however many passes the ink itself has.
    KeyframeAnimation a(KeyPath::strokeEnd, std::vector<LayerValue>(s.begin(), s.end()));
    shared(a, stroke.start, stroke.dur);
    layer->add(a, "reveal", stroke.start);
    return Built{layer, stroke.start + stroke.dur};
}

std::optional<Built> fillReveal(const FillOp& op, const Affine& placement, const Scribe::Stroke& stroke,
                                Layer& container) {
    auto layer = shape(op.path, placement, 3);
    if (!layer) return std::nullopt;
    layer->fillColor = op.color;
    layer->strokeColor = std::nullopt;
    layer->evenOdd = op.evenOdd;
    if (op.blend == BlendMode::multiply) layer->compositingFilter = BlendMode::multiply;
    container.addSublayer(layer);
    const double d = std::max(stroke.dur, 0.24);
    BasicAnimation a(KeyPath::opacity, 0.0, 1.0);
    a.timing = TimingFunction::easeOut();
    shared(a, stroke.start, d);
    layer->add(a, "reveal", stroke.start);
    return Built{layer, stroke.start + d};
}

// A plain fade for what has no better reveal.
Built fade(LayerRef layer, const Scribe::Stroke& stroke) {
    const double d = std::max(stroke.dur, 0.2);
    BasicAnimation a(KeyPath::opacity, 0.0, 1.0);
    shared(a, stroke.start, d);
    layer->add(a, "reveal", stroke.start);
    return Built{std::move(layer), stroke.start + d};
}

// A painting shown without its staged reveal still replaces its placeholder: the wet paper
// dries off under it, and settling takes the dried placeholder away.
void replacesPlaceholder(Layer& layer, Layer& container, const Scribe::Stroke& stroke) {
    layer.marks.insert("painting");
    dry(container, stroke.start, std::max(stroke.dur, 0.2));
}

}  // namespace

std::optional<Built> build(const Scribe::Stroke& stroke, Layer& container, double pixels) {
    if (!stroke.op) return std::nullopt;
    const InkOp::Placement placement = stroke.op->placement();
    if (!placement.base) return std::nullopt;
    const InkOp& base = *placement.base;
    const Affine& tf = placement.transform;
    const auto s = samples(*stroke.op);

    if (typeid(base) == typeid(StrokeOp)) return strokeReveal(static_cast<const StrokeOp&>(base), tf, s, stroke, container);
    if (typeid(base) == typeid(FillOp)) return fillReveal(static_cast<const FillOp&>(base), tf, stroke, container);
    if (typeid(base) == typeid(WetOp)) {
        LayerRef layer = wet(static_cast<const WetOp&>(base), tf, container, stroke.start);
        return Built{layer, stroke.start + 0.6};
    }

    const bool image = scribe::isImage(base);
    std::optional<InkRaster::Raster> bitmap = stroke.sprite;
    if (!bitmap || !bitmap->image) bitmap = InkRaster::render({stroke.op}, pixels);
    if (!bitmap || !bitmap->image) {
        // No bitmap (too large, or no area): ink that has a place on the page is still shown,
        // drawn as vectors, rather than silently left out of the item.
        const Rect b = stroke.op->bounds();
        if (b.isNull() || !std::isfinite(b.x) || !std::isfinite(b.y) || !std::isfinite(b.w) || !std::isfinite(b.h))
            return std::nullopt;
        auto layer = InkLayer::make(stroke.op);
        if (image) {
            layer->compositingFilter = BlendMode::multiply;
            replacesPlaceholder(*layer, container, stroke);
        }
        container.addSublayer(layer);
        return fade(layer, stroke);
    }

    const bool plain = plainLinear(tf);
    if (image && stroke.bloom && plain) {
        LayerRef layer = paint(*bitmap, *stroke.bloom, container, stroke.start, stroke.dur);
        return Built{layer, stroke.start + stroke.dur};
    }

    auto layer = std::make_shared<Layer>();
    layer->contents = bitmap->image;
    layer->setFrame(bitmap->frame);
    if (image) layer->compositingFilter = BlendMode::multiply;
    container.addSublayer(layer);

    if (plain)
        if (auto sw = sweep(base)) {
            auto mask = gradient(*layer, false);
            animate(*mask, across(tf.tx + sw->x, sw->width, sw->soft, bitmap->frame, s), stroke.start, stroke.dur);
            return Built{layer, stroke.start + stroke.dur};
        }
    if (plain && image) {
        replacesPlaceholder(*layer, container, stroke);
        // Wiped in from the top while it brightens.
        const Rect dst = static_cast<const ImageOp&>(base).dst.offsetBy(tf.tx, tf.ty);
        auto mask = gradient(*layer, true);
        animate(*mask, down(dst, bitmap->frame, s), stroke.start, stroke.dur);
        std::vector<LayerValue> brightness;
        for (double si : s) brightness.push_back(0.35 + 0.65 * si);
        KeyframeAnimation a(KeyPath::opacity, std::move(brightness));
        shared(a, stroke.start, stroke.dur);
        layer->add(a, "reveal", stroke.start);
        return Built{layer, stroke.start + stroke.dur};
    }
    if (image) replacesPlaceholder(*layer, container, stroke);
    return fade(layer, stroke);
}

void settle(Layer& layer) {
    layer.mask = nullptr;
    layer.removeAllAnimations();
    if (layer.marked("painting")) settlePainting(layer);
}

void fadeIn(Layer& layer, double now) {
    BasicAnimation a(KeyPath::opacity, 0.0, 1.0);
    a.duration = 0.35;
    a.timing = TimingFunction::easeOut();
    a.preferredFrameRateRange = InkStageView::rate;
    layer.add(a, "finish", now);
}

}  // namespace stage

}  // namespace nolby
