#pragma once
// One issue on the shelf: its cover, leaning a little at rest, that straightens, grows and
// tilts toward the pointer while the pointer is over it and presses in when clicked
// (the cover press), with its label (issue number and date) below. Not a widget: the shelf
// makes tiles only for the rows in view and draws them itself.

#include "notebook/NotebookHead.h"
#include "platform/Color.h"
#include "press/CoverBand.h"
#include "ui/library/CoverFlattener.h"
#include "ui/library/ShelfGrid.h"
#include "ui/library/Spring.h"

#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QTransform>

#include <memory>
#include <string>

namespace nolby {

// The covers' button style: while pressed, a cover sinks to 0.965 of its size and turns in by
// 4 degrees about the axis (1, −0.4, 0), seen in a perspective of 0.5.
struct CoverPress {
    static constexpr double kScale = 0.965, kDegrees = 4, kPerspective = 0.5;
    // Applies the press, `pressed` of the way in (0...1), to a transform about the centre of a
    // cover of `size` (the transform's origin at that centre).
    static void apply(QTransform& t, double pressed, QSizeF size);
};

// Turns `t` about the x or y axis as seen from `distance` points in front of the plane (what
// QTransform::rotate does from Qt 6.5 on, where the distance can be given).
void turn(QTransform& t, double degrees, Qt::Axis axis, double distance);

class CoverTile {
public:
    // The pointer's tilt runs over a cover 220 by 290 points, whatever its size.
    static constexpr double kTiltWidth = 220, kTiltHeight = 290;
    static constexpr double kTiltDegrees = 9;
    static constexpr double kGrow = 1.035;
    // A cover's change of art: 1.6 s for one printed in this run, 0.25 s for one from disk.
    static constexpr double kFreshArrival = 1.6, kPlainArrival = 0.25;

    explicit CoverTile(NotebookHead notebook);

    const NotebookHead& notebook() const { return notebook_; }
    void setNotebook(NotebookHead notebook) { notebook_ = std::move(notebook); }

    // The lean at rest, in degrees: one of −1.35 ... 1.35 in steps of 0.45, from the id.
    static double lean(const Uuid& id);
    // "NO. 007 · DEC 8": the issue number (at least 1) and the day last updated.
    static std::string label(const NotebookHead& notebook);

    // The pointer at `at` in the cover's own points (origin at its top left, unturned).
    void hover(QPointF at);
    void leave();
    void press(bool down);
    bool over() const { return over_; }
    bool pressed() const { return pressed_; }

    // Moves the springs on to `now` (seconds on the media clock).
    void advance(double now);
    bool moving() const;
    // At rest: no pointer, no press, nothing still moving; drawn as its resting image.
    bool resting() const;
    // The cover's current tilt (each component about −0.5 ... 0.5) and how far it is lifted
    // toward the pointer (0 at rest, 1 under it).
    QPointF tilt() const { return {tiltX_.value, tiltY_.value}; }
    double lift() const { return lift_.value; }

    // Maps the cover's points onto the shelf for a cover standing in `rect`.
    QTransform transform(const QRectF& rect) const;

    // What the painter needs besides the tile.
    struct Look {
        std::shared_ptr<const FlatCover> shown;    // the cover as it is now
        std::shared_ptr<const FlatCover> leaving;  // what it replaces, while the art changes
        double progress = 1;
        bool fresh = false;                        // the art arrives mis-registered
        const QImage* shadow = nullptr;            // CoverFlattener::shadow of the size
        std::shared_ptr<const FlatCover> marked;   // the cover with the press mark at full strength
        double mark = 0;                           // ... drawn at this strength (0...1)
        const QImage* label = nullptr;
        bool dark = false;
        Color ground;                              // shown until the cover is made
    };
    // Draws the tile with its cover in `rect` (shelf points).
    void paint(QPainter& p, const QRectF& rect, const Look& look);

    // The cover last drawn: it stands in while a changed one is being made.
    std::shared_ptr<const FlatCover> lastDrawn;

    // The cover's arrival as the press reports it.
    CoverBand band{700, kFreshArrival, kPlainArrival};

private:
    void paintMoving(QPainter& p, const QRectF& rect, const Look& look, const QImage& cover);
    QImage arriving(const Look& look);

    NotebookHead notebook_;
    double lean_;
    bool over_ = false, pressed_ = false;
    Spring lift_, tiltX_, tiltY_, push_;
    double last_ = -1;
};

}  // namespace nolby
