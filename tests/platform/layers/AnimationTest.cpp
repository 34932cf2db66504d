// Animation timing: what a layer presents at a given media time.
#include "platform/layers/LayerRender.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace nolby;

namespace {

double opacityAt(const Layer& l, double t) { return l.presentedNumber(KeyPath::opacity, t); }

ImageRef pixelImage() {
    return Image::adopt(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1));
}

}  // namespace

TEST(TimingFunction, LinearAndEaseOut) {
    struct Case {
        TimingFunction f;
        double x, y;
    };
    const Case cases[] = {
        {TimingFunction::linear(), 0.3, 0.3},    {TimingFunction::easeOut(), 0, 0},
        {TimingFunction::easeOut(), 0.25, 0.378138}, {TimingFunction::easeOut(), 0.5, 0.684643},
        {TimingFunction::easeOut(), 1, 1},       {TimingFunction::easeOut(), -2, 0},
        {TimingFunction::easeOut(), 3, 1},       {TimingFunction::easeOut(), NAN, 0},
    };
    for (const Case& c : cases) EXPECT_NEAR(c.f(c.x), c.y, 1e-6) << "x " << c.x;
}

TEST(Animation, KeyframesFollowTheirKeyTimesAndSegmentTimings) {
    KeyframeAnimation k(KeyPath::opacity, {0.0, 1.0, 0.75, 0.0});
    k.keyTimes = {0, 0.12, 0.6, 1};
    k.duration = 10;
    k.beginTime = 0;
    KeyframeAnimation eased = k;
    eased.timingFunctions = {TimingFunction::easeOut()};  // the later segments stay linear
    KeyframeAnimation even = k;
    even.keyTimes = {0, 0.5, 0.2, 1};  // decreasing: ignored, the values are spaced evenly

    struct Case {
        const KeyframeAnimation* a;
        double t, want;
    };
    const Case cases[] = {
        {&k, 0.6, 0.5},      {&k, 1.2, 1},    {&k, 3.6, 0.875}, {&k, 8, 0.375},
        {&eased, 0.3, 0.378138}, {&eased, 3.6, 0.875},
        {&even, 5, 0.875},   {&even, 10 / 6.0, 0.5},
    };
    for (const Case& c : cases) {
        Layer l;
        l.add(*c.a, "k", 0);
        EXPECT_NEAR(opacityAt(l, c.t), c.want, 1e-6) << "t " << c.t;
    }
}

TEST(Animation, RepeatsFromTheFirstFrameAndFillsWithTheLastFrameOfAFraction) {
    BasicAnimation a(KeyPath::opacity, 0.0, 1.0);
    a.beginTime = 10;
    a.duration = 2;
    a.repeatCount = 1.5;
    a.fillMode = FillMode::both;
    a.removedOnCompletion = false;
    Layer l;
    l.add(a, "a", 0);
    EXPECT_DOUBLE_EQ(opacityAt(l, 11), 0.5);
    EXPECT_DOUBLE_EQ(opacityAt(l, 12), 0);  // the second iteration starts over
    EXPECT_DOUBLE_EQ(opacityAt(l, 12.5), 0.25);
    EXPECT_DOUBLE_EQ(opacityAt(l, 13), 0.5);  // ends half way through the second
    EXPECT_DOUBLE_EQ(opacityAt(l, 20), 0.5);
    EXPECT_DOUBLE_EQ(l.animation("a")->endTime(), 13);
}

TEST(Animation, GroupChildrenRunOnTheGroupsTimeLine) {
    BasicAnimation spans(KeyPath::opacity, 0.0, 1.0);  // no duration: the group's
    BasicAnimation shortOne(KeyPath::strokeEnd, 0.0, 1.0);
    shortOne.duration = 1;
    shortOne.beginTime = 1;  // one second into the group
    AnimationGroup g({spans.clone(), shortOne.clone()});
    g.duration = 4;
    g.repeatCount = 2;
    g.beginTime = 100;
    Layer l;
    l.add(g, "g", 0);
    struct Case {
        double t, opacity, strokeEnd;
    };
    const Case cases[] = {
        {99, 1, 1},        // before: model values (fill none)
        {102, 0.5, 1},     // the short child is over and does not fill
        {101.5, 0.375, 0.5},
        {105.5, 0.375, 0.5},  // second iteration
        {108, 1, 1},       // removed at its end
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(opacityAt(l, c.t), c.opacity) << "t " << c.t;
        EXPECT_DOUBLE_EQ(l.presentedNumber(KeyPath::strokeEnd, c.t), c.strokeEnd) << "t " << c.t;
    }
}

TEST(Animation, SameKeyReplacesAndLaterAnimationsOverrideEarlierOnes) {
    BasicAnimation low(KeyPath::opacity, 0.2, 0.2);
    BasicAnimation high(KeyPath::opacity, 0.9, 0.9);
    low.duration = high.duration = 10;
    Layer l;
    l.add(low, "a", 0);
    l.add(high, "b", 0);
    EXPECT_DOUBLE_EQ(opacityAt(l, 1), 0.9);
    l.add(low, "b", 0);  // replaces "b" and goes last
    EXPECT_EQ(l.animationKeys(), (std::vector<std::string>{"a", "b"}));
    EXPECT_DOUBLE_EQ(opacityAt(l, 1), 0.2);
    l.removeAnimation("b");
    l.removeAnimation("a");
    EXPECT_DOUBLE_EQ(opacityAt(l, 1), 1);
}

TEST(Animation, BeginsNowWithoutABeginTimeAndKeepsItsOwnCopy) {
    BasicAnimation a(KeyPath::opacity, 0.0, 1.0);
    a.duration = 1;
    ManualClock clock(42);
    Layer l;
    l.add(a, "fade", clock);
    a.duration = 100;  // changes nothing added already
    ASSERT_TRUE(l.animation("fade"));
    EXPECT_EQ(l.animation("fade")->beginTime, 42);
    EXPECT_DOUBLE_EQ(l.animation("fade")->endTime(), 43);
    EXPECT_DOUBLE_EQ(opacityAt(l, 42.5), 0.5);
    BasicAnimation unset(KeyPath::opacity, 0.0, 1.0);  // no duration of its own: 0.25 s
    EXPECT_DOUBLE_EQ(unset.iterationDuration(), 0.25);
}

TEST(Animation, ValuesOfTheWrongKindChangeNothing) {
    BasicAnimation wrong(KeyPath::opacity, Point{0, 0}, Point{1, 1});
    BasicAnimation nan(KeyPath::opacity, 0.0, NAN);
    wrong.duration = nan.duration = 10;
    Layer l;
    l.opacity = 0.4;
    l.add(wrong, "w", 0);
    l.add(nan, "n", 0);
    EXPECT_DOUBLE_EQ(opacityAt(l, 5), 0.4);
}

TEST(Animation, ScaleKeyScalesAboutTheAnchorBeforeTheTransform) {
    Layer l;
    l.bounds = {0, 0, 20, 20};
    l.position = {50, 50};
    l.transform = Affine::translation(10, 0);
    BasicAnimation s(KeyPath::transformScale, 0.5, 0.5);
    s.duration = 1;
    l.add(s, "s", 0);
    // The anchor (10, 10) stays at position + translation; a corner comes half as far out.
    Affine m = l.toSuperlayer(0.5);
    EXPECT_EQ(m.apply({10, 10}), (Point{60, 50}));
    EXPECT_EQ(m.apply({0, 0}), (Point{55, 45}));
    EXPECT_EQ(l.toSuperlayer(2).apply({0, 0}), (Point{50, 40}));
}

TEST(Animation, ContentsCrossFade) {
    ImageRef a = pixelImage(), b = pixelImage();
    BasicAnimation c(KeyPath::contents, a, b);
    c.duration = 2;
    Layer l;
    l.add(c, "c", 0);
    EXPECT_EQ(l.presented(KeyPath::contents, 0), LayerValue(a));
    EXPECT_EQ(l.presented(KeyPath::contents, 0.5), LayerValue(CrossFade{a, b, 0.25}));
    EXPECT_EQ(l.presented(KeyPath::contents, 3), LayerValue(ImageRef{}));  // removed: the model's none
}

TEST(Animation, SpringStartsAtRestAndOvershoots) {
    SpringAnimation s(KeyPath::opacity, 0.0, 1.0);
    s.damping = 26;
    s.stiffness = 260;
    EXPECT_DOUBLE_EQ(s.progress(0), 0);
    EXPECT_NEAR(s.progress(1e-4), 0, 2e-6);  // no initial velocity: it starts flat
    EXPECT_GT(s.progress(0.4), 1);            // underdamped
    SpringAnimation heavy = s;
    heavy.damping = 200;  // overdamped: never past the target
    SpringAnimation critical = s;
    critical.damping = 2 * std::sqrt(260.0);
    for (double t = 0; t < 2; t += 0.05) {
        EXPECT_LE(heavy.progress(t), 1) << t;
        EXPECT_LE(critical.progress(t), 1 + 1e-12) << t;
    }
    EXPECT_NEAR(critical.progress(2), 1, 1e-6);
}

TEST(Animation, AnimatingFrameRateAndPrune) {
    auto root = std::make_shared<Layer>();
    auto child = std::make_shared<Layer>();
    auto mask = std::make_shared<Layer>();
    root->addSublayer(child);
    child->mask = mask;
    BasicAnimation kept(KeyPath::opacity, 0.0, 1.0);
    kept.beginTime = 0;
    kept.duration = 1;
    kept.removedOnCompletion = false;
    kept.preferredFrameRateRange = {60, 120, 120};
    BasicAnimation gone = kept;
    gone.removedOnCompletion = true;
    gone.duration = 3;
    gone.preferredFrameRateRange = {30, 60, 60};
    child->add(kept, "kept", 0);
    mask->add(gone, "gone", 0);

    EXPECT_TRUE(layers::animating(*root, 0.5));
    EXPECT_EQ(layers::frameRate(*root, 0.5), (FrameRateRange{60, 120, 120}));
    EXPECT_EQ(layers::frameRate(*root, 2), (FrameRateRange{30, 60, 60}));
    EXPECT_TRUE(layers::animating(*root, 2.9));
    EXPECT_FALSE(layers::animating(*root, 3));  // the kept one ended too
    EXPECT_EQ(layers::frameRate(*root, 3), FrameRateRange{});
    EXPECT_EQ(layers::prune(*root, 3), 1u);
    EXPECT_TRUE(mask->animations().empty());
    EXPECT_EQ(child->animationKeys(), std::vector<std::string>{"kept"});
}

TEST(Animation, KeyPathNames) {
    for (KeyPath k : {KeyPath::opacity, KeyPath::strokeEnd, KeyPath::startPoint, KeyPath::endPoint,
                      KeyPath::transform, KeyPath::transformScale, KeyPath::contents})
        EXPECT_EQ(keyPathNamed(keyPathName(k)), k);
    EXPECT_EQ(keyPathName(KeyPath::transformScale), "transform.scale");
    EXPECT_FALSE(keyPathNamed("bounds"));
}
