// nolby-ink layers OUTDIR: named layer scenes, each rendered on paper at several moments of
// the media clock, one PNG a scene with a panel per moment, to look at what the layer tree
// and its animations do.
#include "Commands.h"
#include "ink/Faces.h"
#include "ink/Ink.h"
#include "ink/Rng.h"
#include "ink/ops/TextOp.h"
#include "platform/Canvas.h"
#include "platform/layers/GradientLayer.h"
#include "platform/layers/LayerRender.h"
#include "platform/layers/ShapeLayer.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>

namespace nolby::tools {

namespace {

struct LayerScene {
    const char* name;
    double width, height;
    std::vector<double> times;
    std::function<LayerRef()> make;
};

LayerRef box(Rect frame, Color color) {
    auto l = std::make_shared<Layer>();
    l->setFrame(frame);
    l->backgroundColor = color;
    return l;
}

template <class A>
A timed(A a, double begin, double duration) {
    a.beginTime = begin;
    a.duration = duration;
    return a;
}

// Opacity 0.2 -> 1 over [1, 2]: fill both and kept, fill none and kept, fill both and removed.
LayerRef fillModes() {
    auto root = std::make_shared<Layer>();
    const FillMode fills[] = {FillMode::both, FillMode::none, FillMode::both};
    const bool removed[] = {false, false, true};
    for (int i = 0; i < 3; ++i) {
        auto l = box({10 + i * 40.0, 10, 30, 60}, Color::hex(0xd83a4f));
        auto a = timed(BasicAnimation(KeyPath::opacity, 0.2, 1.0), 1, 1);
        a.fillMode = fills[i];
        a.removedOnCompletion = removed[i];
        l->opacity = 0.6;
        l->add(a, "fade", 0);
        root->addSublayer(l);
    }
    return root;
}

// A spiral stroked along its length, eased out, and a dashed square stroked linearly.
LayerRef strokeEnd() {
    auto root = std::make_shared<Layer>();
    auto spiral = std::make_shared<ShapeLayer>();
    spiral->setFrame({0, 0, 100, 100});
    spiral->path.moveTo(50, 50);
    for (int i = 1; i <= 40; ++i) {
        double a = i * 0.45, r = 1.1 * i;
        spiral->path.lineTo(50 + r * std::cos(a), 50 + r * std::sin(a));
    }
    spiral->fillColor.reset();
    spiral->strokeColor = Ink::ink;
    spiral->lineWidth = 3;
    spiral->lineCap = LineCap::round;
    spiral->lineJoin = LineJoin::round;
    auto reveal = timed(BasicAnimation(KeyPath::strokeEnd, 0.0, 1.0), 0, 1);
    reveal.timing = TimingFunction::easeOut();
    reveal.fillMode = FillMode::both;
    reveal.removedOnCompletion = false;
    spiral->add(reveal, "reveal", 0);
    auto square = std::make_shared<ShapeLayer>();
    square->setFrame({100, 0, 100, 100});
    square->path.addRoundedRect({15, 15, 70, 70}, 10, 10);
    square->fillColor = Color::hex(0xe3a33b, 0.25);
    square->strokeColor = Color::hex(0x2f6bd9);
    square->lineWidth = 2.5;
    square->lineDashPattern = {7, 4};
    square->add(timed(KeyframeAnimation(KeyPath::strokeEnd, {0.0, 1.0}), 0, 1), "reveal", 0);
    square->strokeEnd = 1;
    root->addSublayer(spiral);
    root->addSublayer(square);
    return root;
}

// Bars wiped in left to right by a soft gradient mask, and a sheet wiped in from the top.
LayerRef wipe() {
    auto root = std::make_shared<Layer>();
    auto bars = std::make_shared<Layer>();
    bars->setFrame({10, 10, 180, 40});
    for (int i = 0; i < 6; ++i)
        bars->addSublayer(box({i * 30.0 + 2, 8.0 + (i % 3) * 6, 26, 14}, Color::hex(0x1e1e1e)));
    auto mask = std::make_shared<GradientLayer>();
    mask->setFrame(bars->bounds);
    mask->colors = {Color{0, 0, 0, 1}, Color{0, 0, 0, 0}};
    mask->startPoint = {1, 0.5};
    mask->endPoint = {1.15, 0.5};
    AnimationGroup sweep({KeyframeAnimation(KeyPath::startPoint, {Point{-0.15, 0.5}, Point{1, 0.5}}).clone(),
                          KeyframeAnimation(KeyPath::endPoint, {Point{0, 0.5}, Point{1.15, 0.5}}).clone()});
    sweep = timed(sweep, 0, 1);
    sweep.fillMode = FillMode::both;
    sweep.removedOnCompletion = false;
    mask->add(sweep, "reveal", 0);
    bars->mask = mask;

    auto sheet = box({10, 60, 180, 50}, Color::hex(0x3e9e5a));
    auto down = std::make_shared<GradientLayer>();
    down->setFrame(sheet->bounds);
    down->colors = mask->colors;
    std::vector<LayerValue> starts, ends;
    for (int k = 0; k <= 12; ++k) {
        double q = smoothstep(k / 12.0);
        starts.push_back(Point{0.5, 1.22 * q - 0.22});
        ends.push_back(Point{0.5, 1.22 * q});
    }
    AnimationGroup flow({KeyframeAnimation(KeyPath::startPoint, starts).clone(),
                         KeyframeAnimation(KeyPath::endPoint, ends).clone()});
    flow = timed(flow, 0, 1);
    flow.fillMode = FillMode::both;
    flow.removedOnCompletion = false;
    down->add(flow, "reveal", 0);
    down->startPoint = {0.5, 1};
    down->endPoint = {0.5, 1.22};
    sheet->mask = down;
    root->addSublayer(bars);
    root->addSublayer(sheet);
    return root;
}

// Ink multiplied onto the paper (left) and laid over it (right); the multiplied circles
// darken where they overlap and fade with an opacity animation.
LayerRef multiply() {
    auto root = std::make_shared<Layer>();
    const Color colors[] = {Color::hex(0x2f6bd9), Color::hex(0xe3a33b), Color::hex(0xd83a4f)};
    for (int side = 0; side < 2; ++side) {
        for (int i = 0; i < 3; ++i) {
            auto c = std::make_shared<ShapeLayer>();
            c->setFrame({10 + side * 100.0 + i * 22, 20 + (i % 2) * 22.0, 50, 50});
            c->path.addEllipse({0, 0, 50, 50});
            c->fillColor = colors[i].withAlpha(0.8);
            if (side == 0) c->compositingFilter = BlendMode::multiply;
            auto fade = timed(BasicAnimation(KeyPath::opacity, 1.0, 0.3), 0, 1);
            fade.fillMode = FillMode::both;
            fade.removedOnCompletion = false;
            c->add(fade, "fade", 0);
            root->addSublayer(c);
        }
    }
    return root;
}

// A pale wet patch whose seven drops bloom one after another, every 4.2 s, 36 times.
LayerRef drops() {
    const Color palette[] = {Color::hex(0x2f6bd9), Color::hex(0xd83a4f), Color::hex(0xe3a33b),
                             Color::hex(0x3e9e5a), Color::hex(0x7a4fc9), Color::hex(0x22a6c7)};
    auto wet = box({10, 10, 180, 80}, Color::hex(0xb9cbe0, 0.1));
    wet->cornerRadius = 18;
    Rng rng(7);
    const Rect b = wet->bounds;
    for (int i = 0; i < 7; ++i) {
        double r = (0.24 + 0.22 * rng.unit()) * std::fmin(b.w, b.h);
        double x = b.x + 0.4 * r + rng.unit() * std::fmax(b.w - 0.8 * r, 1);
        double y = b.y + 0.4 * r + rng.unit() * std::fmax(b.h - 0.8 * r, 1);
        auto d = std::make_shared<GradientLayer>();
        d->type = GradientLayer::Type::radial;
        d->setFrame({x - r, y - r, 2 * r, 2 * r});
        const Color c = palette[(7 % 6 + i) % 6];
        d->colors = {c.withAlpha(0.4), c.withAlpha(0.22), c.withAlpha(0.06), c.withAlpha(0)};
        d->locations = {0, 0.45, 0.8, 1};
        d->startPoint = {0.5, 0.5};
        d->endPoint = {1, 1};
        d->compositingFilter = BlendMode::multiply;
        d->opacity = 0;
        KeyframeAnimation scale(KeyPath::transformScale, {0.15, 0.8, 1.08});
        scale.keyTimes = {0, 0.4, 1};
        scale.timingFunctions = {TimingFunction::easeOut(), TimingFunction::easeOut()};
        KeyframeAnimation fade(KeyPath::opacity, {0.0, 1.0, 0.75, 0.0});
        fade.keyTimes = {0, 0.12, 0.6, 1};
        AnimationGroup g({scale.clone(), fade.clone()});
        g.duration = 4.2;
        g.repeatCount = 36;
        g.beginTime = 0.3 + i * 4.2 / 7;
        d->add(g, "drop", 0);
        wet->addSublayer(d);
    }
    return wet;
}

// Squares slid down by 50 on springs of damping 26, 12 and 50 (stiffness 260, mass 1).
LayerRef springs() {
    auto root = std::make_shared<Layer>();
    const double dampings[] = {26, 12, 50};
    for (int i = 0; i < 3; ++i) {
        auto l = box({20 + i * 60.0, 10, 30, 30}, Color::hex(0x1e1e1e));
        l->transform = Affine::translation(0, 50);
        SpringAnimation s(KeyPath::transform, Affine::identity(), l->transform);
        s.damping = dampings[i];
        s.stiffness = 260;
        s.beginTime = 0;
        s.duration = s.settlingDuration();
        l->add(s, "slide", 0);
        root->addSublayer(l);
    }
    return root;
}

// A painting flooding in: its coverage grows through mask frames that cross-fade, with the
// painting multiplied onto the paper.
LayerRef flood() {
    const int gw = 24, gh = 12;
    auto frame = [&](double level) {
        cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, gw, gh);
        auto* px = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(s));
        const int stride = cairo_image_surface_get_stride(s) / 4;
        for (int y = 0; y < gh; ++y)
            for (int x = 0; x < gw; ++x) {
                double arrival = std::hypot(x - 6.0, y - 4.0) / 20;
                auto v = uint32_t(std::clamp((level - arrival) / 0.13, 0.0, 1.0) * 255);
                px[y * stride + x] = (v << 24) | (v << 16) | (v << 8) | v;
            }
        cairo_surface_mark_dirty(s);
        return Image::adopt(s);
    };
    auto art = std::make_shared<GradientLayer>();
    art->setFrame({10, 10, 180, 90});
    art->colors = {Color::hex(0x22a6c7), Color::hex(0x7a4fc9), Color::hex(0xe3a33b)};
    art->startPoint = {0, 0};
    art->endPoint = {1, 1};
    art->compositingFilter = BlendMode::multiply;
    auto mask = std::make_shared<Layer>();
    mask->setFrame(art->bounds);
    std::vector<LayerValue> frames;
    for (int k = 0; k <= 8; ++k) frames.push_back(frame(1.15 * k / 8));
    mask->contents = std::get<ImageRef>(frames.back());
    auto flow = timed(KeyframeAnimation(KeyPath::contents, frames), 0, 1);
    flow.fillMode = FillMode::both;
    flow.removedOnCompletion = false;
    mask->add(flow, "flow", 0);
    art->mask = mask;
    return art;
}

// Turning and scaling about different anchor points: the anchor stays put.
LayerRef anchors() {
    auto root = std::make_shared<Layer>();
    const Point anchorPoints[] = {{0.5, 0.5}, {0, 0}, {1, 1}};
    for (int i = 0; i < 3; ++i) {
        auto l = box({0, 0, 40, 24}, Color::hex(0x7a4fc9, 0.85));
        l->anchorPoint = anchorPoints[i];
        l->position = {40 + i * 60.0, 55};
        l->addSublayer(box({2, 2, 8, 8}, Color::hex(0xfbf8f1)));
        auto turn = timed(BasicAnimation(KeyPath::transform, Affine::identity(), Affine::rotation(M_PI / 2)), 0, 1);
        turn.fillMode = FillMode::both;
        turn.removedOnCompletion = false;
        l->add(turn, "turn", 0);
        auto grow = timed(KeyframeAnimation(KeyPath::transformScale, {1.0, 1.4, 1.0}), 0, 1);
        l->add(grow, "grow", 0);
        root->addSublayer(box({l->position.x - 2, l->position.y - 2, 4, 4}, Color::hex(0xd83a4f)));
        root->insertSublayer(l, 0);
    }
    return root;
}

std::vector<LayerScene> scenes() {
    return {
        {"fill", 130, 80, {0.5, 1.5, 2.5}, fillModes},
        {"stroke-end", 200, 100, {0.1, 0.3, 0.6, 1}, strokeEnd},
        {"wipe", 200, 120, {0, 0.3, 0.6, 1}, wipe},
        {"multiply", 200, 100, {0, 0.5, 1}, multiply},
        {"drops", 200, 100, {0.5, 1.2, 3, 6, 160}, drops},
        {"spring", 200, 110, {0, 0.05, 0.1, 0.2, 0.35, 0.5314}, springs},
        {"flood", 200, 110, {0, 0.3, 0.6, 1}, flood},
        {"anchors", 200, 110, {0, 0.5, 1}, anchors},
    };
}

}  // namespace

// nolby-ink layers OUTDIR
int layersCommand(const Args& args) {
    if (args.size() != 1) return 2;
    const std::string outdir = args[0];
    std::error_code ec;
    std::filesystem::create_directories(outdir, ec);
    Faces::registerFrom();
    auto label = Faces::font(Faces::Face::round, 11);
    const double gap = 10;
    bool ok = true;
    for (const LayerScene& s : scenes()) {
        LayerRef root = s.make();
        const size_t n = s.times.size();
        Canvas canvas(n * s.width + (n + 1) * gap, s.height + 2 * gap + 16, 2);
        canvas.fill(Color::hex(0xe4e0d6));
        cairo_t* cr = canvas.cr();
        std::printf("{\"scene\":\"%s\",\"times\":[", s.name);
        for (size_t i = 0; i < n; ++i) {
            const double t = s.times[i];
            std::printf("%s%g", i ? "," : "", t);
            draw::Saved saved(cr);
            draw::translate(cr, gap + i * (s.width + gap), gap);
            draw::clipRect(cr, {0, 0, s.width, s.height});
            draw::setColor(cr, Ink::paper);
            cairo_paint(cr);
            layers::render(cr, *root, t);
            cairo_reset_clip(cr);
            char caption[64];
            std::snprintf(caption, sizeof caption, "%s   t = %g%s", s.name, t,
                          layers::animating(*root, t) ? "" : "   (still)");
            TextOp(caption, 4, s.height + 14, *label, Ink::grey).draw(cr, 1);
        }
        std::printf("]}\n");
        std::string file = (std::filesystem::path(outdir) / (std::string(s.name) + ".png")).string();
        if (!canvas.writePng(file)) {
            std::fprintf(stderr, "nolby-ink: could not write %s\n", file.c_str());
            ok = false;
        }
    }
    return ok ? 0 : 1;
}

}  // namespace nolby::tools
