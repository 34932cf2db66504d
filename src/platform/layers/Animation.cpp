#include "platform/layers/Animation.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace nolby {

namespace {

constexpr double defaultDuration = 0.25;

bool finite(Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }

double lerp(double a, double b, double u) { return a + (b - a) * u; }

// The image a cross-fade shows most of, when one is given where a plain image is expected.
ImageRef dominant(const CrossFade& f) { return f.mix < 0.5 ? f.from : f.to; }

}  // namespace

std::string_view keyPathName(KeyPath key) {
    switch (key) {
        case KeyPath::opacity: return "opacity";
        case KeyPath::strokeEnd: return "strokeEnd";
        case KeyPath::startPoint: return "startPoint";
        case KeyPath::endPoint: return "endPoint";
        case KeyPath::transform: return "transform";
        case KeyPath::transformScale: return "transform.scale";
        case KeyPath::contents: return "contents";
    }
    return "opacity";
}

std::optional<KeyPath> keyPathNamed(std::string_view name) {
    for (KeyPath k : {KeyPath::opacity, KeyPath::strokeEnd, KeyPath::startPoint, KeyPath::endPoint, KeyPath::transform,
                      KeyPath::transformScale, KeyPath::contents})
        if (keyPathName(k) == name) return k;
    return std::nullopt;
}

bool fits(KeyPath key, const LayerValue& value) {
    switch (key) {
        case KeyPath::opacity:
        case KeyPath::strokeEnd:
        case KeyPath::transformScale: return std::holds_alternative<double>(value);
        case KeyPath::startPoint:
        case KeyPath::endPoint: return std::holds_alternative<Point>(value);
        case KeyPath::transform: return std::holds_alternative<Affine>(value);
        case KeyPath::contents:
            return std::holds_alternative<ImageRef>(value) || std::holds_alternative<CrossFade>(value);
    }
    return false;
}

std::optional<LayerValue> interpolate(const LayerValue& a, const LayerValue& b, double u) {
    if (!std::isfinite(u)) return std::nullopt;
    if (auto* x = std::get_if<double>(&a)) {
        auto* y = std::get_if<double>(&b);
        if (!y) return std::nullopt;
        double v = lerp(*x, *y, u);
        if (!std::isfinite(v)) return std::nullopt;
        return v;
    }
    if (auto* x = std::get_if<Point>(&a)) {
        auto* y = std::get_if<Point>(&b);
        if (!y) return std::nullopt;
        Point v{lerp(x->x, y->x, u), lerp(x->y, y->y, u)};
        if (!finite(v)) return std::nullopt;
        return v;
    }
    if (auto* x = std::get_if<Affine>(&a)) {
        auto* y = std::get_if<Affine>(&b);
        if (!y) return std::nullopt;
        Affine v{lerp(x->a, y->a, u),  lerp(x->b, y->b, u),   lerp(x->c, y->c, u),
                 lerp(x->d, y->d, u),  lerp(x->tx, y->tx, u), lerp(x->ty, y->ty, u)};
        if (!v.isFinite()) return std::nullopt;
        return v;
    }
    // Images: a cross-fade, or one of the two at the ends.
    auto image = [](const LayerValue& v) -> std::optional<ImageRef> {
        if (auto* i = std::get_if<ImageRef>(&v)) return *i;
        if (auto* f = std::get_if<CrossFade>(&v)) return dominant(*f);
        return std::nullopt;
    };
    auto from = image(a), to = image(b);
    if (!from || !to) return std::nullopt;
    if (u <= 0 || *from == *to) return *from;
    if (u >= 1) return *to;
    return CrossFade{*from, *to, u};
}

// Newton's method on x(s) = target, with bisection when a step leaves the bracket, so the
// result is the same on every run and never diverges.
double TimingFunction::operator()(double x) const {
    if (!(x > 0)) return 0;
    if (x >= 1) return 1;
    if (x1 == y1 && x2 == y2) return x;  // a straight line
    auto bez = [](double p1, double p2, double s) {
        double r = 1 - s;
        return 3 * r * r * s * p1 + 3 * r * s * s * p2 + s * s * s;
    };
    auto slope = [](double p1, double p2, double s) {
        double r = 1 - s;
        return 3 * r * r * p1 + 6 * r * s * (p2 - p1) + 3 * s * s * (1 - p2);
    };
    double lo = 0, hi = 1, s = x;
    for (int i = 0; i < 40; ++i) {
        double fx = bez(x1, x2, s) - x;
        if (std::fabs(fx) < 1e-12) break;
        if (fx > 0) hi = s;
        else lo = s;
        double d = slope(x1, x2, s);
        double next = d != 0 ? s - fx / d : lo - 1;
        s = next > lo && next < hi ? next : (lo + hi) / 2;
    }
    return bez(y1, y2, s);
}

// Duration of one iteration: its own, else the group's, else the default.
double Animation::length(double group) const {
    if (duration > 0 && std::isfinite(duration)) return duration;
    return group > 0 ? group : defaultDuration;
}

namespace {
double iterations(double repeatCount) { return repeatCount > 0 ? repeatCount : 1; }
}  // namespace

double Animation::endTime() const {
    return beginTime.value_or(0) + length(0) * iterations(repeatCount);
}

void Animation::apply(KeyPath key, double t, LayerValue& value, std::optional<double> group) const {
    if (!animates(key) || !std::isfinite(t)) return;
    const bool top = !group;
    const double len = length(group.value_or(0));
    const double count = iterations(repeatCount);
    const double local = t - beginTime.value_or(0);
    const double active = len * count;
    double time;
    if (!(local >= 0)) {
        if (fillMode != FillMode::both) return;
        time = 0;
    } else if (local >= active) {
        if (top && removedOnCompletion) return;
        if (local > active && fillMode != FillMode::both) return;
        double part = count - std::floor(count);
        time = (part > 0 ? part : 1) * len;
    } else {
        time = std::fmod(local, len);
    }
    at(key, time, len, value);
}

void BasicAnimation::at(KeyPath key, double time, double length, LayerValue& value) const {
    if (!fits(key, fromValue) || !fits(key, toValue)) return;
    if (auto v = interpolate(fromValue, toValue, timing(time / length))) value = *v;
}

void KeyframeAnimation::at(KeyPath key, double time, double length, LayerValue& value) const {
    const size_t n = values.size();
    if (n == 0) return;
    for (const auto& v : values)
        if (!fits(key, v)) return;
    if (n == 1) {
        value = values[0];
        return;
    }
    // Key times are used only when there is one per value, each in 0...1, never decreasing.
    bool usable = keyTimes.size() == n;
    for (size_t i = 0; usable && i < n; ++i)
        usable = keyTimes[i] >= 0 && keyTimes[i] <= 1 && (i == 0 || keyTimes[i] >= keyTimes[i - 1]);
    auto keyTime = [&](size_t i) { return usable ? keyTimes[i] : double(i) / double(n - 1); };

    const double f = time / length;
    if (f <= keyTime(0)) {
        value = values[0];
        return;
    }
    if (f >= keyTime(n - 1)) {
        value = values[n - 1];
        return;
    }
    size_t i = 0;
    while (i + 2 < n && f >= keyTime(i + 1)) ++i;
    const double span = keyTime(i + 1) - keyTime(i);
    const double u = span > 0 ? (f - keyTime(i)) / span : 1;
    const TimingFunction timing = i < timingFunctions.size() ? timingFunctions[i] : TimingFunction::linear();
    if (auto v = interpolate(values[i], values[i + 1], timing(u))) value = *v;
}

namespace {
struct SpringTerms {
    double mass, stiffness, damping;
};
SpringTerms terms(const SpringAnimation& s) {
    auto good = [](double v, double fallback) { return v > 0 && std::isfinite(v) ? v : fallback; };
    return {good(s.mass, 1), good(s.stiffness, 100), good(s.damping, 10)};
}
}  // namespace

double SpringAnimation::settlingDuration() const {
    SpringTerms k = terms(*this);
    return 2 * k.mass * std::log(1000.0) / k.damping;
}

// The displacement of a damped oscillator released at rest from 1, as a fraction travelled:
// underdamped, critically damped and overdamped solutions of m·x'' + c·x' + k·x = 0.
double SpringAnimation::progress(double seconds) const {
    SpringTerms k = terms(*this);
    const double t = std::max(seconds, 0.0);
    const double w0 = std::sqrt(k.stiffness / k.mass);
    const double decay = k.damping / (2 * k.mass);  // ζ·ω0
    const double zeta = decay / w0;
    double g;
    if (std::fabs(zeta - 1) < 1e-9) {
        g = std::exp(-w0 * t) * (1 + w0 * t);
    } else if (zeta < 1) {
        const double wd = w0 * std::sqrt(1 - zeta * zeta);
        g = std::exp(-decay * t) * (std::cos(wd * t) + decay / wd * std::sin(wd * t));
    } else {
        const double root = w0 * std::sqrt(zeta * zeta - 1);
        const double r1 = -decay + root, r2 = -decay - root;
        g = (r2 * std::exp(r1 * t) - r1 * std::exp(r2 * t)) / (r2 - r1);
    }
    return 1 - g;
}

void SpringAnimation::at(KeyPath key, double time, double length, LayerValue& value) const {
    if (!fits(key, fromValue) || !fits(key, toValue)) return;
    if (auto v = interpolate(fromValue, toValue, progress(time))) value = *v;
}

AnimationGroup::AnimationGroup(const AnimationGroup& other) : Animation(other) {
    animations.reserve(other.animations.size());
    for (const auto& a : other.animations)
        if (a) animations.push_back(a->clone());
}

AnimationGroup& AnimationGroup::operator=(const AnimationGroup& other) {
    if (this != &other) {
        AnimationGroup copy(other);
        Animation::operator=(other);
        animations = std::move(copy.animations);
    }
    return *this;
}

bool AnimationGroup::animates(KeyPath key) const {
    for (const auto& a : animations)
        if (a && a->animates(key)) return true;
    return false;
}

void AnimationGroup::at(KeyPath key, double time, double length, LayerValue& value) const {
    for (const auto& a : animations)
        if (a) a->apply(key, time, value, length);
}

}  // namespace nolby
