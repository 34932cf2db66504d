#include "ink/mag/Unprinted.h"

#include "ink/mag/ChromeText.h"
#include "platform/Canvas.h"
#include "platform/Oklab.h"
#include "platform/layers/Animation.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace nolby {

namespace {

constexpr double kColumns = 34;
constexpr double kLeastPitch = 5;
constexpr double kRowStep = 0.87;
constexpr double kBare = 0.35;      // the top share of the cover without dots
constexpr double kLargest = 0.46;   // dot radius at the foot, in pitches
constexpr double kSmallest = 0.3;   // dots this small or smaller are left out
constexpr size_t kMaxDots = 200000;

}  // namespace

double PressMark::pulse(double seconds) {
    if (!std::isfinite(seconds) || seconds <= 0) return 0;
    const double phase = std::fmod(seconds, 2 * kSwing);
    const double x = phase < kSwing ? phase / kSwing : (2 * kSwing - phase) / kSwing;
    return TimingFunction{0.42, 0, 0.58, 1}(x);
}

double PressMark::opacity() const { return 0.35 + 0.6 * std::clamp(std::isfinite(on) ? on : 0.0, 0.0, 1.0); }

void PressMark::draw(cairo_t* cr, const Rect& frame) const {
    if (!(frame.w > 0) || !(frame.h > 0) || !std::isfinite(frame.x + frame.y + frame.w + frame.h)) return;
    const chrome::Line text =
        chrome::line("ON THE PRESS", *Mag::systemFont(Mag::kFuturaBoldStandIn, std::max(0.04 * frame.w, 8.0)), 2,
                     frame.w);
    const double x = frame.x + (frame.w - text.width()) / 2;
    const double baseline = text.baselineCentredOn(frame.y + frame.h / 2 + 0.12 * frame.h);
    chrome::fill(cr, text, x, baseline, Color{1, 1, 1, opacity()});
}

double Unprinted::pitch(double width) {
    const double e = width / kColumns;
    return e < kLeastPitch || !std::isfinite(e) ? kLeastPitch : e;
}

std::vector<Unprinted::Dot> Unprinted::halftone(Size size) {
    std::vector<Dot> dots;
    const double w = size.width, h = size.height;
    if (!(w > 0) || !(h > 0) || !std::isfinite(w) || !std::isfinite(h)) return dots;
    const double e = pitch(w);
    size_t row = 0;
    for (double y = e / 2; y < h && dots.size() < kMaxDots; y += kRowStep * e, ++row) {
        const double s = (y / h - kBare) / (1 - kBare);
        const double r = s < 0 ? 0 : kLargest * e * s;
        if (!(r > kSmallest)) continue;
        for (double x = row % 2 == 0 ? e / 2 : e; x < w + e && dots.size() < kMaxDots; x += e)
            dots.push_back({{x, y}, r});
    }
    return dots;
}

void Unprinted::draw(cairo_t* cr, const Rect& frame) const {
    if (!(frame.w > 0) || !(frame.h > 0) || !std::isfinite(frame.x + frame.y + frame.w + frame.h)) return;
    draw::Saved saved(cr);
    draw::clipRect(cr, frame);
    const Color a = Color::hex(inks.a), b = Color::hex(inks.b), c = Color::hex(inks.c);
    const Color foot = oklab::mix(a, b, 0.55);
    cairo_pattern_t* ground = cairo_pattern_create_linear(0, frame.y, 0, frame.y + frame.h);
    cairo_pattern_add_color_stop_rgba(ground, 0, a.r, a.g, a.b, a.a);
    cairo_pattern_add_color_stop_rgba(ground, 1, foot.r, foot.g, foot.b, foot.a);
    cairo_rectangle(cr, frame.x, frame.y, frame.w, frame.h);
    cairo_set_source(cr, ground);
    cairo_fill(cr);
    cairo_pattern_destroy(ground);

    cairo_new_path(cr);
    for (const Dot& d : halftone({frame.w, frame.h})) {
        cairo_new_sub_path(cr);
        cairo_arc(cr, frame.x + d.centre.x, frame.y + d.centre.y, d.radius, 0, 2 * std::numbers::pi);
    }
    draw::setColor(cr, c.withAlpha(0.9));
    cairo_fill(cr);

    if (printing) mark.draw(cr, frame);
}

}  // namespace nolby
