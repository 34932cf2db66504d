#pragma once
// The opening page's cover band over time. The band shows the notebook's printed cover, or
// the palette's gradient while it has none; whenever the press's version changes and a
// cover comes or goes, the change runs as a 1.2 s ease-out on the media clock: a cover
// printed during this run arrives through mis-registered print, any other by fading in,
// and what it replaces fades out beneath it.

#include "model/PressSource.h"
#include "platform/Image.h"
#include "platform/layers/Animation.h"
#include "platform/Uuid.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace nolby {

class CoverBand {
public:
    static constexpr double kDuration = 1.2;
    static constexpr TimingFunction kCurve = TimingFunction::easeOut();
    // The cover size the band asks the press for.
    static constexpr int kPixels = 1600;

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

private:
    bool seen_ = false;
    int64_t version_ = 0;
    Shown shown_;
    std::optional<Shown> leaving_;
    double since_ = 0;
};

}  // namespace nolby
