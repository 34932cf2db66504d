#pragma once
// The pieces the page stage builds its reveals from: one reveal layer per stroke, by the
// kind of its operation, and the staged reveal of a painting over its wet-paint placeholder.
// Private to the stage (InkStageView); kept apart so each piece can be tested on its own.
//
// Every reveal animation shares its settings: it begins at the stroke's start on the media
// clock, fills both ways (unrevealed before its begin, complete after its end), is kept
// after its end until the stage settles the layer, lasts at least 0.016 s, asks for the
// stage's frame rate and is added under the key "reveal".

#include "ink/ops/WetOp.h"
#include "platform/layers/GradientLayer.h"
#include "platform/layers/Layer.h"
#include "platform/layers/ShapeLayer.h"
#include "writing/Bloom.h"
#include "writing/InkRaster.h"
#include "writing/Scribe.h"

#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace nolby::stage {

constexpr double shortest = 0.016;  // seconds: no animation of the stage is shorter
constexpr int sampleCount = 13;

// The shared settings of a reveal: begin, fill both, kept, the stage's frame rate and a
// duration of max(dur, 0.016).
void shared(Animation& a, double begin, double dur);

// The operation's ease at 0, 1/12, ..., 1: the keyframes of every reveal that follows a path.
std::array<double, sampleCount> samples(const InkOp& op);

// The horizontal extent and soft-edge width of a text-like operation (a phrase with runs,
// a print text, monospaced code); none for anything else.
struct Sweep {
    double x = 0, width = 0, soft = 0;
};
std::optional<Sweep> sweep(const InkOp& base);

// Start and end points of a gradient mask through the reveal, in the masked layer's unit
// coordinates (y down).
struct Wipe {
    std::vector<Point> starts, ends;
};
// Left to right: a soft band `soft` wide travels from before x to past x + width, where x is
// in page points and `frame` is the bitmap's frame on the page.
Wipe across(double x, double width, double soft, const Rect& frame, const std::array<double, sampleCount>& s);
// Top to bottom over `dst` (the image's rectangle on the page), with a band 0.22 of its height.
Wipe down(const Rect& dst, const Rect& frame, const std::array<double, sampleCount>& s);

// A shape layer holding the path mapped through the transform, framed to its bounding box
// grown by `pad`; none when the path has no finite box.
std::shared_ptr<ShapeLayer> shape(const Path& path, const Affine& transform, double pad);
// Installs a fresh gradient mask over the layer's bounds: opaque at the start point,
// clear at the end point. `vertical` is the direction the caller will animate.
std::shared_ptr<GradientLayer> gradient(Layer& layer, bool vertical);
// Moves the mask's points through the wipe's keyframes; after the reveal the mask keeps
// the last points.
void animate(GradientLayer& mask, const Wipe& wipe, double begin, double dur);

// The reveal layer of one stroke, added to the container, and when its reveal ends; none
// when nothing can be drawn. Bitmaps come from the stroke's sprite, else are rendered at
// `pixels`.
struct Built {
    LayerRef layer;
    double until = 0;
};
std::optional<Built> build(const Scribe::Stroke& stroke, Layer& container, double pixels);

// Ends a reveal: the layer loses its mask and animations and shows its final state; a
// painting keeps only its colour sheet.
void settle(Layer& layer);
// A 0.35 s fade from nothing, starting at `now`, for layers written at once.
void fadeIn(Layer& layer, double now);

// ---- Wet paint and paintings ----

// The six drop colours, indexed 0 to 5.
Color dropColor(int index);
// Drop i of a placeholder with this seed takes colour (seed mod 6 + i) mod 6.
int dropIndex(uint64_t seed, int i);
// The placeholder of a painting still coming: a faint rounded wash named "wet" over the
// op's rectangle, fading in over 0.6 s, with drops blooming in it.
LayerRef wet(const WetOp& op, const Affine& placement, Layer& container, double begin);
// Seven drops of colour, each blooming and fading on a 4.2 s cycle, 36 times, 0.6 s apart.
void drops(Layer& placeholder, uint64_t seed, double begin);
// A painting revealed in stages over `dur`: lines wiped in from the top, colour flooding in
// behind a darker rim, lines fading away, the placeholders drying off.
LayerRef paint(const InkRaster::Raster& raster, const Bloom& bloom, Layer& container, double begin, double dur);
// What a settled painting keeps: its colour sheet alone, its dried placeholders gone.
void settlePainting(Layer& painting);
// Turns the container's "wet" placeholders into "drying" ones that fade out over the
// reveal's 10 % to 50 %.
void dry(Layer& container, double begin, double dur);

}  // namespace nolby::stage
