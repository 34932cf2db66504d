#pragma once
// How the pane's chrome comes and goes, on the layer module and the media clock: each
// floating element is a layer that draws it, and showing or hiding it adds the element's
// transition, starting from wherever an interrupted one had got to.
//  - the selection bar: an ease-out of 0.16 s, in opacity and in scale from 0.96 about its
//    centre;
//  - "Writing below": a spring (response 0.35 s, damping fraction 0.85) that moves it in
//    from the pane's bottom edge, opacity riding the same spring;
//  - the outline: a fade.

#include "platform/layers/Animation.h"
#include "platform/layers/Layer.h"

#include <cairo.h>

#include <functional>

namespace nolby {

// A layer showing what a function draws, within its bounds.
class DrawnLayer final : public Layer {
public:
    std::function<void(cairo_t*)> paint;

    void drawContent(cairo_t* cr, double t) const override;
    Rect drawnExtent(double t) const override;
};

namespace ChromeMotion {

inline constexpr double kBarDuration = 0.16;
inline constexpr double kBarScale = 0.96;
inline constexpr double kSpringResponse = 0.35;
inline constexpr double kSpringDamping = 0.85;
inline constexpr double kFadeDuration = 0.25;

// A spring of the given response (seconds per undamped period) and damping fraction.
SpringAnimation spring(KeyPath key, LayerValue from, LayerValue to, double response = kSpringResponse,
                       double dampingFraction = kSpringDamping);

// Shows or hides the selection bar's layer at `now`.
void bar(Layer& layer, bool shown, double now);
// Shows or hides "Writing below": hidden, it stands `travel` points lower (its top at the
// pane's bottom edge) and transparent.
void writingBelow(Layer& layer, bool shown, double travel, double now);
// Fades a layer in or out.
void fade(Layer& layer, bool shown, double now, double duration = kFadeDuration);

// Whether anything of the layer shows at `now` (or will, while its transition runs).
bool visible(const Layer& layer, double now);

}  // namespace ChromeMotion
}  // namespace nolby
