#pragma once
// A notebook's cover over time, as the opening page's band and the shelf's covers show it:
// the printed cover, or a placeholder while it has none; whenever the press's version
// changes and a cover comes or goes, the change runs as an ease-out on the media clock
// (1.2 s on the page): a cover printed during this run arrives through mis-registered
// print, any other by fading in, and what it replaces fades out beneath it.

#include "platform/Image.h"
#include "platform/Uuid.h"
#include "platform/layers/Animation.h"
#include "press/PressSource.h"

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace nolby {

class CoverBand {
public:
    static constexpr double kDuration = 1.2;
    static constexpr TimingFunction kCurve = TimingFunction::easeOut();
    // The cover size the band asks the press for.
    static constexpr int kPixels = 1600;

    CoverBand() = default;
    // A cover asking for `pixels`, whose change takes `freshDuration` seconds for a cover
    // printed during this run and `plainDuration` for any other.
    CoverBand(int pixels, double freshDuration, double plainDuration)
        : pixels_(pixels), freshDuration_(freshDuration), plainDuration_(plainDuration) {}

    // One thing the band can show: a cover, or the palette gradient (no image).
    struct Shown {
        std::shared_ptr<const Image> cover;
        bool fresh = false;  // printed during this run: it arrives mis-registered
        bool operator==(const Shown&) const = default;
    };

    // The band at one moment: what it shows, what it is replacing, and how far the change
    // has gone (eased, 0 to 1; 1 when nothing is changing).
    struct Look {
        Shown shown;
        std::optional<Shown> leaving;
        double progress = 1;
    };

    // Reads the press for the notebook at `now`. The first reading, and every change that
    // keeps a cover a cover (a sharper load of the same cover), shows at once; a version
    // change that brings or takes away the cover starts the band's transition.
    Look look(PressSource& press, const Uuid& id, double now);
    // Whether a transition is still running at `now`.
    bool animating(double now) const;

    // Draws a look in `area`: what leaves at 1 − progress, what is shown at progress. A
    // cover is drawn by `cover`, the placeholder by `placeholder`; a fresh cover arriving
    // comes through mis-registered print, anything else fades.
    static void draw(cairo_t* cr, const Rect& area, const Look& look,
                     const std::function<void(cairo_t*, const Image&)>& cover,
                     const std::function<void(cairo_t*, double alpha)>& placeholder);

private:
    double duration() const;

    int pixels_ = kPixels;
    double freshDuration_ = kDuration;
    double plainDuration_ = kDuration;
    bool seen_ = false;
    int64_t version_ = 0;
    Shown shown_;
    std::optional<Shown> leaving_;
    double since_ = 0;
};

}  // namespace nolby
