#pragma once
// The base of every widget that shows what our own painters draw (pages, covers, chrome).
// It paints into a cairo surface laid over its own QImage (ARGB32 premultiplied: the two
// share one memory layout, so nothing is copied), then hands the image to Qt. While the
// picture is animating it repaints at up to 120 frames a second on the media clock; when it
// is still, nothing runs until the content changes. The surface takes no pointer events:
// clicks go to whatever lies beneath it.

#include "platform/Clock.h"
#include "platform/Geometry.h"

#include <cairo.h>

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <memory>

namespace nolby {

class PageSurface : public QWidget {
public:
    static constexpr int kFrameMs = 8;  // 1 / 120 s in whole milliseconds, rounded down

    explicit PageSurface(std::shared_ptr<const Clock> clock, QWidget* parent = nullptr);

    // The content changed: paint a new frame.
    void changed();
    // Whether frames are being painted on the timer (something is animating).
    bool ticking() const { return frames_.isActive(); }
    // The last frame painted, in device pixels.
    const QImage& lastFrame() const { return image_; }
    const std::shared_ptr<const Clock>& clock() const { return clock_; }

protected:
    // Draws the view at `now` into `cr`, whose units are view points (logical pixels) with
    // the origin at the top left, over a transparent image of the widget's size.
    virtual void paintSurface(cairo_t* cr, Size view, double now) = 0;
    // Whether the picture will still change after `now`.
    virtual bool animating(double now) const { return false; }

    void paintEvent(QPaintEvent* event) override;

private:
    std::shared_ptr<const Clock> clock_;
    QImage image_;
    QTimer frames_;
};

}  // namespace nolby
