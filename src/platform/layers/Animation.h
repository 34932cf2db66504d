#pragma once
// Keyed animations of layer properties, timed on the media clock (seconds of a Clock).
//
// Timing of one animation:
//  - beginTime: the absolute media time at which it starts. Left empty, Layer::add() sets it
//    to the time it is added ("now"). Inside a group it is the offset from the group's own
//    start, and empty means 0.
//  - duration: seconds of one iteration. 0 (unset) means 0.25 s for an animation on its own,
//    and the whole group's duration for an animation inside a group.
//  - repeatCount: the number of iterations (fractions allowed, infinity repeats for ever);
//    0 means once. The animation is active from beginTime to beginTime + duration × count,
//    and each iteration starts again from its first frame.
//  - Before its begin, fill mode both shows the first frame, none the model value.
//  - After its end, an animation removed on completion has no effect any more (prune()
//    drops it for good); one that is kept shows its last frame with fill mode both and the
//    model value with none. At exactly its end a kept animation shows its last frame.
//  - Later animations of a layer override earlier ones on the same key path; adding an
//    animation under a key that is taken replaces the old one.
//
// Values are interpolated component by component: numbers, points and the six numbers of
// a 2-D transform (exact for translations and scales). Images cross-fade.

#include "platform/Geometry.h"
#include "platform/Image.h"

#include <memory>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

namespace nolby {

using ImageRef = std::shared_ptr<const Image>;

// The animatable properties.
enum class KeyPath {
    opacity,         // double, 0...1
    strokeEnd,       // double, 0...1 (shape layers)
    startPoint,      // Point, unit coordinates (gradient layers)
    endPoint,        // Point, unit coordinates (gradient layers)
    transform,       // Affine
    transformScale,  // double: a uniform scale about the anchor point, before the transform
    contents,        // ImageRef
};

// "opacity", "strokeEnd", "startPoint", "endPoint", "transform", "transform.scale", "contents".
std::string_view keyPathName(KeyPath key);
std::optional<KeyPath> keyPathNamed(std::string_view name);

// Contents part way through a cross-fade: `from` shown at 1 − mix, `to` at mix.
struct CrossFade {
    ImageRef from, to;
    double mix = 0;
    bool operator==(const CrossFade&) const = default;
};

// A property value. Contents animations present a CrossFade between two images.
using LayerValue = std::variant<double, Point, Affine, ImageRef, CrossFade>;

// Interpolates a → b by u (u outside 0...1 extrapolates numbers; images clamp). None when the
// two values are not of the same kind or the result is not finite.
std::optional<LayerValue> interpolate(const LayerValue& a, const LayerValue& b, double u);
// Whether `value` is of the kind `key` takes.
bool fits(KeyPath key, const LayerValue& value);

// A cubic Bézier timing curve from (0, 0) to (1, 1) with two control points.
struct TimingFunction {
    double x1 = 0, y1 = 0, x2 = 1, y2 = 1;

    static constexpr TimingFunction linear() { return {0, 0, 1, 1}; }
    static constexpr TimingFunction easeOut() { return {0, 0, 0.58, 1}; }

    // Progress at time fraction x (clamped to 0...1).
    double operator()(double x) const;
    bool operator==(const TimingFunction&) const = default;
};

enum class FillMode { none, both };

// Frames per second an animation asks for while it runs.
struct FrameRateRange {
    double minimum = 0, maximum = 0, preferred = 0;
    bool operator==(const FrameRateRange&) const = default;
};

class Animation {
public:
    virtual ~Animation() = default;

    std::optional<double> beginTime;
    double duration = 0;
    double repeatCount = 0;
    FillMode fillMode = FillMode::none;
    bool removedOnCompletion = true;
    FrameRateRange preferredFrameRateRange;

    // A deep copy; layers keep copies, so changing an animation after adding it changes nothing.
    virtual std::shared_ptr<Animation> clone() const = 0;
    // Whether it animates `key` (a group: whether any of its animations does).
    virtual bool animates(KeyPath key) const = 0;

    // Seconds of one iteration when on its own (`duration`, or 0.25 s when unset).
    double iterationDuration() const { return length(0); }
    // The media time at which a top-level animation ends (infinity when it repeats for ever).
    double endTime() const;

    // Applies the animation to `value`, the value of `key` so far (the model value or what
    // earlier animations made of it), at time t of its parent: the media clock for a
    // top-level animation, the group's iteration time inside a group of iteration length
    // `group`.
    void apply(KeyPath key, double t, LayerValue& value, std::optional<double> group = std::nullopt) const;

protected:
    Animation() = default;
    Animation(const Animation&) = default;
    Animation& operator=(const Animation&) = default;
    // The value `time` seconds into an iteration of `length` seconds.
    virtual void at(KeyPath key, double time, double length, LayerValue& value) const = 0;

private:
    double length(double group) const;
};

// An animation of one property. `Self` is the concrete class, which copies itself.
template <class Self>
class PropertyAnimation : public Animation {
public:
    KeyPath keyPath;

    std::shared_ptr<Animation> clone() const override {
        return std::make_shared<Self>(static_cast<const Self&>(*this));
    }
    bool animates(KeyPath key) const override { return key == keyPath; }

protected:
    explicit PropertyAnimation(KeyPath keyPath) : keyPath(keyPath) {}
};

// From one value to another, through a timing function.
class BasicAnimation final : public PropertyAnimation<BasicAnimation> {
public:
    BasicAnimation(KeyPath keyPath, LayerValue from, LayerValue to)
        : PropertyAnimation(keyPath), fromValue(std::move(from)), toValue(std::move(to)) {}

    LayerValue fromValue, toValue;
    TimingFunction timing = TimingFunction::linear();

protected:
    void at(KeyPath key, double time, double length, LayerValue& value) const override;
};

// Through a list of values at key times (fractions of an iteration; empty or malformed:
// evenly spaced), each segment with its own timing function (missing ones are linear).
class KeyframeAnimation final : public PropertyAnimation<KeyframeAnimation> {
public:
    KeyframeAnimation(KeyPath keyPath, std::vector<LayerValue> values)
        : PropertyAnimation(keyPath), values(std::move(values)) {}

    std::vector<LayerValue> values;
    std::vector<double> keyTimes;
    std::vector<TimingFunction> timingFunctions;

protected:
    void at(KeyPath key, double time, double length, LayerValue& value) const override;
};

// A damped spring from one value to another, starting at rest. Its time runs in seconds,
// not in fractions of the duration; the duration only says when it stops.
class SpringAnimation final : public PropertyAnimation<SpringAnimation> {
public:
    SpringAnimation(KeyPath keyPath, LayerValue from, LayerValue to)
        : PropertyAnimation(keyPath), fromValue(std::move(from)), toValue(std::move(to)) {}

    LayerValue fromValue, toValue;
    // Non-positive or non-finite values count as the defaults.
    double mass = 1, stiffness = 100, damping = 10;

    // Seconds until the envelope e^(−damping·t / 2·mass) falls to 0.001.
    double settlingDuration() const;
    // The fraction of the way from `fromValue` to `toValue` after `seconds` (overshoots 1).
    double progress(double seconds) const;

protected:
    void at(KeyPath key, double time, double length, LayerValue& value) const override;
};

// Several animations on one time line, repeated together.
class AnimationGroup final : public Animation {
public:
    explicit AnimationGroup(std::vector<std::shared_ptr<const Animation>> animations = {})
        : animations(std::move(animations)) {}
    // Copies hold copies of the animations.
    AnimationGroup(const AnimationGroup& other);
    AnimationGroup& operator=(const AnimationGroup& other);

    std::vector<std::shared_ptr<const Animation>> animations;

    std::shared_ptr<Animation> clone() const override { return std::make_shared<AnimationGroup>(*this); }
    bool animates(KeyPath key) const override;

protected:
    void at(KeyPath key, double time, double length, LayerValue& value) const override;
};

}  // namespace nolby
