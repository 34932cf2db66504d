// Wet paint and staged paintings. A sketch block waits for its painting under a pale wash
// in which drops of colour keep blooming; when the painting comes, its ink lines are wiped
// in from the top, its colour floods in through the bloom's masks behind a darker rim, the
// lines fade away and the wash dries off, leaving the painting alone on the paper.
#include "ink/Rng.h"
#include "writing/InkStageParts.h"
#include "writing/InkStageView.h"

#include <algorithm>
#include <cmath>

namespace nolby::stage {

namespace {

constexpr int dropCount = 7;
constexpr double dropCycle = 4.2;    // seconds of one bloom of a drop
constexpr double dropRepeats = 36;   // cycles before a drop rests for good
constexpr double dropDelay = 0.3;    // the first drop starts this long after the wash

constexpr Color dropColors[6] = {Color::hex(0x2f6bd9), Color::hex(0xd83a4f), Color::hex(0xe3a33b),
                                 Color::hex(0x3e9e5a), Color::hex(0x7a4fc9), Color::hex(0x22a6c7)};

bool finite(const Rect& r) {
    return !r.isNull() && std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.w) && std::isfinite(r.h);
}

LayerRef sheet(Layer& painting, const char* name, const ImageRef& image) {
    auto s = std::make_shared<Layer>();
    s->name = name;
    s->setFrame(painting.bounds);
    s->contents = image;
    s->compositingFilter = BlendMode::multiply;
    painting.addSublayer(s);
    return s;
}

// A sheet shown through a mask whose picture steps through `frames`.
void flood(Layer& sheet, const std::vector<std::shared_ptr<const Image>>& frames, double begin, double dur) {
    auto mask = std::make_shared<Layer>();
    mask->setFrame(sheet.bounds);
    mask->contents = frames.empty() ? nullptr : frames.back();
    std::vector<LayerValue> values;
    for (const auto& f : frames) values.push_back(ImageRef(f));
    KeyframeAnimation a(KeyPath::contents, std::move(values));
    shared(a, begin, dur);
    mask->add(a, "flow", begin);
    sheet.mask = mask;
}

}  // namespace

Color dropColor(int index) { return dropColors[((index % 6) + 6) % 6]; }

int dropIndex(uint64_t seed, int i) { return int((seed % 6 + uint64_t(i)) % 6); }

LayerRef wet(const WetOp& op, const Affine& placement, Layer& container, double begin) {
    auto layer = std::make_shared<Layer>();
    layer->name = "wet";
    const Rect area = mappedBounds(placement, op.rect.standardized().insetBy(6, 2));
    if (finite(area)) layer->setFrame(area);
    layer->cornerRadius = 18;
    layer->backgroundColor = Color{185 / 255.0, 203 / 255.0, 224 / 255.0, 0.1};
    container.addSublayer(layer);
    BasicAnimation a(KeyPath::opacity, 0.0, 1.0);
    shared(a, begin, 0.6);
    layer->add(a, "reveal", begin);
    drops(*layer, op.seed, begin);
    return layer;
}

void drops(Layer& placeholder, uint64_t seed, double begin) {
    const Rect b = placeholder.bounds.standardized();
    const double W = b.w, H = b.h;
    Rng rng(seed);
    for (int i = 0; i < dropCount; ++i) {
        const Color c = dropColor(dropIndex(seed, i));
        const double u1 = rng.unit(), u2 = rng.unit(), u3 = rng.unit();
        const double r = (0.24 + 0.22 * u1) * std::min(W, H);
        const double x = b.x + 0.4 * r + u2 * std::max(W - 0.8 * r, 1.0);
        const double y = b.y + 0.4 * r + u3 * std::max(H - 0.8 * r, 1.0);

        auto drop = std::make_shared<GradientLayer>();
        drop->type = GradientLayer::Type::radial;
        drop->setFrame({x - r, y - r, 2 * r, 2 * r});
        drop->colors = {c.withAlpha(0.4), c.withAlpha(0.22), c.withAlpha(0.06), c.withAlpha(0)};
        drop->locations = {0, 0.45, 0.8, 1};
        drop->startPoint = {0.5, 0.5};
        drop->endPoint = {1, 1};
        drop->compositingFilter = BlendMode::multiply;
        drop->opacity = 0;  // seen only while its bloom runs

        KeyframeAnimation grow(KeyPath::transformScale, {0.15, 0.8, 1.08});
        grow.keyTimes = {0, 0.4, 1};
        grow.timingFunctions = {TimingFunction::easeOut(), TimingFunction::easeOut()};
        KeyframeAnimation show(KeyPath::opacity, {0.0, 1.0, 0.75, 0.0});
        show.keyTimes = {0, 0.12, 0.6, 1};
        AnimationGroup bloom({std::make_shared<KeyframeAnimation>(grow), std::make_shared<KeyframeAnimation>(show)});
        bloom.duration = dropCycle;
        bloom.repeatCount = dropRepeats;
        bloom.beginTime = begin + dropDelay + i * dropCycle / dropCount;
        bloom.preferredFrameRateRange = InkStageView::rate;
        drop->add(bloom, "drop", *bloom.beginTime);
        placeholder.addSublayer(drop);
    }
}

void dry(Layer& container, double begin, double dur) {
    for (const LayerRef& s : container.sublayers()) {
        if (s->name != "wet") continue;
        s->name = "drying";
        BasicAnimation a(KeyPath::opacity, 1.0, 0.0);
        shared(a, begin + 0.1 * dur, 0.4 * dur);
        s->add(a, "dry", begin + 0.1 * dur);
    }
}

LayerRef paint(const InkRaster::Raster& raster, const Bloom& bloom, Layer& container, double begin, double dur) {
    const double b = begin, d = dur;
    auto painting = std::make_shared<Layer>();
    painting->setFrame(raster.frame);
    painting->marks.insert("painting");
    container.addSublayer(painting);
    dry(container, b, d);

    // Later sheets draw above: the colour, its wet rim, the ink lines.
    LayerRef colour = sheet(*painting, "colour", raster.image);
    LayerRef rim = sheet(*painting, "rim", raster.image);
    rim->opacity = 0.55;
    LayerRef lines = sheet(*painting, "lines", bloom.lines);

    flood(*colour, bloom.masks, b + 0.16 * d, 0.84 * d);
    flood(*rim, bloom.rims, b + 0.16 * d, 0.84 * d);

    // The lines come in from the top in the first third, behind a soft band.
    std::array<double, sampleCount> q{};
    for (int k = 0; k < sampleCount; ++k) q[size_t(k)] = smoothstep(double(k) / double(sampleCount - 1));
    Wipe wipe;
    for (double qk : q) {
        wipe.starts.push_back({0.5, 1.22 * qk - 0.22});
        wipe.ends.push_back({0.5, 1.22 * qk});
    }
    auto mask = gradient(*lines, true);
    animate(*mask, wipe, b, 0.34 * d);

    BasicAnimation fade(KeyPath::opacity, 1.0, 0.0);
    shared(fade, b + 0.86 * d, 0.14 * d);
    lines->add(fade, "fade", b + 0.86 * d);
    return painting;
}

void settlePainting(Layer& painting) {
    if (auto container = painting.superlayer()) {
        std::vector<LayerRef> dried;
        for (const LayerRef& s : container->sublayers())
            if (s->name == "drying") dried.push_back(s);
        for (const LayerRef& s : dried) s->removeFromSuperlayer();
    }
    std::vector<LayerRef> sheets = painting.sublayers();
    for (const LayerRef& s : sheets) {
        if (s->name == "colour") {
            s->mask = nullptr;
            s->removeAllAnimations();
        } else {
            s->removeFromSuperlayer();
        }
    }
}

}  // namespace nolby::stage
