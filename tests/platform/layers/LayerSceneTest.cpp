// Layer behaviour as pixels: small scenes rendered at chosen media times and probed.
#include "LayerProbe.h"
#include "platform/layers/GradientLayer.h"
#include "platform/layers/LayerRender.h"
#include "platform/layers/ShapeLayer.h"

#include <gtest/gtest.h>

#include <functional>

using namespace nolby;
using nolby::test::blackPx;
using nolby::test::Px;

namespace {

constexpr Color white{1, 1, 1, 1};
constexpr Color paper = Color::hex(0xfbf8f1);
const Px whitePx{255, 255, 255, 255};
const Px redPx{255, 255, 0, 0};

struct Probe {
    double t;
    int x, y;
    Px want;
    int tolerance = 1;
};

struct Scene {
    const char* name;
    std::function<LayerRef()> make;
    std::vector<Probe> probes;
    Color backdrop = white;
};

LayerRef square(Rect frame, Color color) {
    auto l = std::make_shared<Layer>();
    l->setFrame(frame);
    l->backgroundColor = color;
    return l;
}

// Red at opacity a over white.
Px redOverWhite(double a) {
    int gb = int(255 * (1 - a) + 0.5);
    return {255, 255, gb, gb};
}

// Opacity 0.25 -> 0.75 from t = 10 to 12, over a layer whose own opacity is 1.
LayerRef fading(FillMode fill, bool removed) {
    auto l = square({0, 0, 20, 20}, Color::hex(0xff0000));
    BasicAnimation a(KeyPath::opacity, 0.25, 0.75);
    a.beginTime = 10;
    a.duration = 2;
    a.fillMode = fill;
    a.removedOnCompletion = removed;
    l->add(a, "fade", 0);
    return l;
}

// A bent line 100 points long: 60 to the right, then 40 down.
std::shared_ptr<ShapeLayer> bentLine() {
    auto s = std::make_shared<ShapeLayer>();
    s->setFrame({0, 0, 100, 60});
    s->path.moveTo(0, 10);
    s->path.lineTo(60, 10);
    s->path.lineTo(60, 50);
    s->fillColor.reset();
    s->strokeColor = Color{0, 0, 0, 1};
    s->lineWidth = 4;
    return s;
}

// A black bar whose gradient mask sweeps from left to right over one second: a soft band
// 0.2 of the width wide, fully shown on the start side.
LayerRef wipe() {
    auto bar = square({0, 0, 100, 20}, Color{0, 0, 0, 1});
    auto mask = std::make_shared<GradientLayer>();
    mask->setFrame(bar->bounds);
    mask->colors = {Color{0, 0, 0, 1}, Color{0, 0, 0, 0}};
    mask->startPoint = {1, 0.5};
    mask->endPoint = {1.2, 0.5};
    KeyframeAnimation starts(KeyPath::startPoint, {Point{-0.2, 0.5}, Point{1, 0.5}});
    KeyframeAnimation ends(KeyPath::endPoint, {Point{0, 0.5}, Point{1.2, 0.5}});
    AnimationGroup g({starts.clone(), ends.clone()});
    g.beginTime = 0;
    g.duration = 1;
    g.fillMode = FillMode::both;
    g.removedOnCompletion = false;
    mask->add(g, "reveal", 0);
    bar->mask = mask;
    return bar;
}

LayerRef multiplied() {
    auto root = std::make_shared<Layer>();
    auto ink = square({0, 0, 20, 20}, Color::hex(0x1971c2));
    ink->compositingFilter = BlendMode::multiply;
    auto clear = square({20, 0, 20, 20}, white);
    clear->compositingFilter = BlendMode::multiply;
    auto half = square({40, 0, 20, 20}, Color::hex(0x1971c2, 0.5));
    half->compositingFilter = BlendMode::multiply;
    for (auto& l : {ink, clear, half}) root->addSublayer(l);
    return root;
}

// A drop that blooms and fades every 4.2 s, 36 times, from t = 100; invisible on its own.
LayerRef drop() {
    auto l = square({0, 0, 20, 20}, Color::hex(0xff0000));
    l->opacity = 0;
    KeyframeAnimation scale(KeyPath::transformScale, {0.15, 0.8, 1.08});
    scale.keyTimes = {0, 0.4, 1};
    scale.timingFunctions = {TimingFunction::easeOut(), TimingFunction::easeOut()};
    KeyframeAnimation fade(KeyPath::opacity, {0.0, 1.0, 0.75, 0.0});
    fade.keyTimes = {0, 0.12, 0.6, 1};
    AnimationGroup g({scale.clone(), fade.clone()});
    g.duration = 4.2;
    g.repeatCount = 36;
    g.beginTime = 100;
    l->add(g, "drop", 0);
    return l;
}

SpringAnimation slide50() {
    SpringAnimation s(KeyPath::transform, Affine::identity(), Affine::translation(0, 50));
    s.damping = 26;
    s.stiffness = 260;
    s.mass = 1;
    s.duration = s.settlingDuration();
    s.beginTime = 0;
    return s;
}

// A 10-point square slid down by 50 on a spring from t = 0; its model place is the target.
LayerRef sliding() {
    auto l = square({0, 0, 10, 10}, Color{0, 0, 0, 1});
    l->anchorPoint = {0, 0};
    l->position = {0, 0};
    l->transform = Affine::translation(0, 50);
    l->add(slide50(), "slide", 0);
    return l;
}

}  // namespace

TEST(LayerScene, ProbesAtChosenTimes) {
    const Scene scenes[] = {
        {"fill both, kept", [] { return fading(FillMode::both, false); },
         {{9, 10, 10, redOverWhite(0.25)}, {11, 10, 10, redOverWhite(0.5)}, {13, 10, 10, redOverWhite(0.75)}}},
        {"fill none, kept", [] { return fading(FillMode::none, false); },
         {{9, 10, 10, redPx}, {11, 10, 10, redOverWhite(0.5)}, {13, 10, 10, redPx}}},
        {"fill both, removed", [] { return fading(FillMode::both, true); },
         {{9, 10, 10, redOverWhite(0.25)}, {12, 10, 10, redPx}, {13, 10, 10, redPx}}},
        {"strokeEnd 0.5 ends halfway along the first leg",
         [] {
             auto s = bentLine();
             s->strokeEnd = 0.5;
             return s;
         },
         {{0, 48, 9, blackPx, 0}, {0, 51, 9, whitePx, 0}, {0, 59, 25, whitePx, 0}}},
        {"strokeEnd 0.8 turns the corner",
         [] {
             auto s = bentLine();
             s->strokeEnd = 0.8;
             return s;
         },
         {{0, 59, 25, blackPx, 0}, {0, 59, 31, whitePx, 0}}},
        {"strokeEnd animated 0 -> 1 is at 0.5 halfway",
         [] {
             auto s = bentLine();
             KeyframeAnimation a(KeyPath::strokeEnd, {0.0, 1.0});
             a.beginTime = 0;
             a.duration = 2;
             a.fillMode = FillMode::both;
             s->add(a, "reveal", 0);
             return s;
         },
         {{1, 48, 9, blackPx, 0}, {1, 51, 9, whitePx, 0}, {-1, 2, 9, whitePx, 0}, {2.5, 59, 45, blackPx, 0}}},
        {"wipe", wipe,
         {{-1, 2, 10, whitePx, 0},
          {0.5, 30, 10, blackPx, 0},
          {0.5, 50, 10, {255, 134, 134, 134}, 2},
          {0.5, 70, 10, whitePx, 0},
          {2, 99, 10, blackPx, 0}}},
        {"multiply over paper", multiplied,
         {{0, 10, 10, {255, 25, 110, 183}, 0},
          {0, 30, 10, {255, 0xfb, 0xf8, 0xf1}, 0},
          {0, 50, 10, {255, 138, 179, 212}, 1},
          {0, 70, 10, {255, 0xfb, 0xf8, 0xf1}, 0}},
         paper},
        {"4.2 s x 36 group", drop,
         {{99.99, 10, 10, whitePx, 0},
          {100.504, 10, 10, redPx, 1},
          {100 + 20 * 4.2 + 0.504, 10, 10, redPx, 1},
          {100 + 151.19, 10, 10, whitePx, 2},
          {100 + 151.2, 10, 10, whitePx, 0},
          {300, 10, 10, whitePx, 0}}},
        {"spring slide by 50", sliding,
         {{0, 5, 5, blackPx, 0},
          {0.1, 5, 26, {255, 247, 247, 247}, 2},
          {0.1, 5, 27, blackPx, 0},
          {0.1, 5, 36, {255, 8, 8, 8}, 2},
          {0.1, 5, 37, whitePx, 0},
          {1, 5, 55, blackPx, 0},
          {1, 5, 45, whitePx, 0}}},
    };
    for (const Scene& scene : scenes) {
        SCOPED_TRACE(scene.name);
        LayerRef root = scene.make();
        for (const Probe& p : scene.probes) {
            ImageRef shot = layers::snapshot(*root, 100, 60, 1, p.t, scene.backdrop);
            ASSERT_TRUE(shot);
            Px got = test::px(*shot, p.x, p.y);
            EXPECT_TRUE(test::near(got, p.want, p.tolerance))
                << "t " << p.t << " at (" << p.x << ", " << p.y << "): " << got << ", want " << p.want;
        }
    }
}

TEST(LayerScene, SpringSlideIsAt26_97AfterATenthOfASecond) {
    LayerRef l = sliding();
    EXPECT_NEAR(l->presentedTransform(0.1).ty, 26.97, 0.005);
    EXPECT_EQ(l->presentedTransform(0.1).tx, 0);
}

TEST(LayerScene, SpringSettlesWhenItsEnvelopeReachesOneThousandth) {
    struct Case {
        double damping, stiffness, mass, settling;
    };
    for (Case c : {Case{26, 260, 1, 0.5314}, Case{13, 260, 1, 1.0627}, Case{26, 100, 2, 1.0627}}) {
        SpringAnimation s(KeyPath::transform, Affine::identity(), Affine::translation(0, 50));
        s.damping = c.damping;
        s.stiffness = c.stiffness;
        s.mass = c.mass;
        EXPECT_NEAR(s.settlingDuration(), c.settling, 5e-5) << c.damping << "/" << c.stiffness << "/" << c.mass;
    }
}

TEST(LayerScene, RepeatGroupAnimatesUntilItsLastCycleEnds) {
    LayerRef l = drop();
    EXPECT_TRUE(layers::animating(*l, 50));  // waiting for its begin
    EXPECT_TRUE(layers::animating(*l, 251.1));
    // 4.2 × 36 is a hair over 151.2 in binary floating point.
    EXPECT_FALSE(layers::animating(*l, 251.2 + 1e-9));
    EXPECT_EQ(layers::prune(*l, 251.1), 0u);
    EXPECT_EQ(layers::prune(*l, 251.2 + 1e-9), 1u);
    EXPECT_TRUE(l->animations().empty());
}
