#pragma once
// How a pill comes and goes, without Qt: it arrives rising from below while it fades in and
// leaves the same way back, down towards the bottom edge while it fades out, both on one
// spring; and it glides when its place in the column moves because the other pill came or
// went. Time is whatever the caller steps it by, so it is tested on a manual clock.

#include "ui/library/Spring.h"

namespace nolby::pills {

class PillMotion {
public:
    // A pill arrives rising this far (points) from below while it fades in, and leaves
    // sinking as far while it fades out; every motion has a damping fraction of 0.85.
    static constexpr double kRise = 12, kDamping = 0.85;

    // `response`: the spring's response in seconds.
    explicit PillMotion(double response) : response_(response) { arrival_.value = arrival_.target = 1; }

    double response() const { return response_; }
    // Not on screen at all (never shown, gone, or hidden at once).
    bool hidden() const { return hidden_; }
    // On its way out: still drawn, taking no clicks.
    bool leaving() const { return leaving_; }
    // Shown and staying: neither hidden nor leaving.
    bool shown() const { return !hidden_ && !leaving_; }

    // A hidden pill starts to arrive from nothing; a leaving one turns back from where it is,
    // keeping its speed; one already shown stays as it is.
    void appear();
    // A shown pill starts to leave. False when it was hidden or leaving already.
    bool leave();
    // Gone at once, with nothing left to move.
    void hide();
    // Its place moved by `dy` points: it stays where it stands and glides to the new place
    // on a spring of `response` seconds, keeping the speed of a glide under way.
    void moveBy(double dy, double response);
    // Stands in its place at once, ending a glide.
    void endGlide() { slide_ = Spring{}; }
    // Moves time on; a pill that has finished leaving becomes hidden.
    void step(double seconds);
    // Ends every motion at once (screenshots): arrived, gone or in place.
    void settle();
    // Nothing left to move.
    bool settled() const { return arrival_.settled() && slide_.settled(); }

    // How far it has arrived: 0 at the start of an arrival and at the end of a leave, 1 at
    // rest (the spring may overshoot a little).
    double arrival() const { return arrival_.value; }
    double opacity() const;
    // How far below its resting picture it is drawn, for the arrival and the leave.
    double drop() const { return (1 - arrival_.value) * kRise; }
    // Where it stands relative to its place in the column, while it glides there.
    double slide() const { return slide_.value; }

private:
    double response_;
    Spring arrival_, slide_;
    bool hidden_ = true, leaving_ = false;
};

}  // namespace nolby::pills
