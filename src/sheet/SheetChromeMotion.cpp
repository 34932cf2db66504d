#include "sheet/SheetChromeMotion.h"

#include "platform/layers/LayerRender.h"

#include <cmath>
#include <numbers>

namespace nolby {

void DrawnLayer::drawContent(cairo_t* cr, double t) const {
    Layer::drawContent(cr, t);
    if (paint) paint(cr);
}

Rect DrawnLayer::drawnExtent(double) const { return bounds; }

namespace ChromeMotion {

SpringAnimation spring(KeyPath key, LayerValue from, LayerValue to, double response, double dampingFraction) {
    SpringAnimation s(key, std::move(from), std::move(to));
    // The undamped period is the response; the damping is that fraction of critical.
    const double w = 2 * std::numbers::pi / response;
    s.mass = 1;
    s.stiffness = w * w;
    s.damping = 2 * dampingFraction * w;
    s.duration = s.settlingDuration();
    return s;
}

void bar(Layer& layer, bool shown, double now) {
    const double from = layer.presentedNumber(KeyPath::opacity, now);
    const double scaleFrom = layer.presentedNumber(KeyPath::transformScale, now);
    layer.opacity = shown ? 1 : 0;
    BasicAnimation o(KeyPath::opacity, from, layer.opacity);
    o.duration = kBarDuration;
    o.timing = TimingFunction::easeOut();
    layer.add(o, "opacity", now);
    // Shown it grows to its size from 0.96 (or from where a hiding had got to); hidden it
    // shrinks back while it fades, and keeps that size until it shows again.
    const double grownFrom = shown ? (scaleFrom < 1 ? scaleFrom : kBarScale) : scaleFrom;
    BasicAnimation s(KeyPath::transformScale, grownFrom, shown ? 1.0 : kBarScale);
    s.duration = kBarDuration;
    s.timing = TimingFunction::easeOut();
    s.fillMode = FillMode::both;
    s.removedOnCompletion = shown;
    layer.add(s, "scale", now);
}

void writingBelow(Layer& layer, bool shown, double travel, double now) {
    const double from = layer.presentedNumber(KeyPath::opacity, now);
    const Affine moveFrom = layer.presentedTransform(now);
    layer.opacity = shown ? 1 : 0;
    layer.transform = shown ? Affine::identity() : Affine::translation(0, travel);
    // Shown from nothing: it starts at the bottom edge.
    const Affine start = shown && from <= 0 ? Affine::translation(0, travel) : moveFrom;
    layer.add(spring(KeyPath::opacity, from, layer.opacity), "opacity", now);
    layer.add(spring(KeyPath::transform, start, layer.transform), "move", now);
}

void fade(Layer& layer, bool shown, double now, double duration) {
    const double from = layer.presentedNumber(KeyPath::opacity, now);
    layer.opacity = shown ? 1 : 0;
    BasicAnimation o(KeyPath::opacity, from, layer.opacity);
    o.duration = duration;
    o.timing = TimingFunction{0.42, 0, 0.58, 1};
    layer.add(o, "opacity", now);
}

bool visible(const Layer& layer, double now) {
    if (layer.hidden) return false;
    return layer.presentedNumber(KeyPath::opacity, now) > 0 || layers::animating(layer, now);
}

}  // namespace ChromeMotion
}  // namespace nolby
