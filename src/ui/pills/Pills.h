#pragma once
// The notice and error pills as Qt widgets: each shows the picture PillArt draws and turns
// clicks on its buttons into callbacks. PillColumn keeps both over a host view, centred at
// its foot: the error pill above the notice pill, 10 points apart, the lower one 18 points
// above the bottom edge. A pill arrives rising from below while it fades in and leaves
// sinking back while it fades out; the other pill glides to its new place meanwhile.

#include "platform/Clock.h"
#include "ui/pills/PillArt.h"
#include "ui/pills/PillMotion.h"

#include <QImage>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace nolby {

// What the two pills share: the picture, a margin for the shadow around the capsule, which
// button the pointer holds down, and how the pill comes and goes (PillMotion) on a clock.
class PillWidget : public QWidget {
    Q_OBJECT
public:
    // Room around the capsule for its soft shadow; clicks there fall through to the view.
    static constexpr int kMargin = 12;
    // Buttons take clicks a little beyond their drawn text, as small targets should.
    static constexpr double kSlop = 6;
    static constexpr double kRise = pills::PillMotion::kRise;

    using QWidget::show;
    // The capsule's size in points.
    Size pillSize() const { return size_; }
    // The capsule's rectangle in the parent's coordinates, where it stands now.
    QRectF capsule() const;
    // Puts the capsule's top left corner at `at` (parent coordinates) at once.
    void moveCapsuleTo(QPointF at);
    // Sends the capsule to `at`: a pill that stood elsewhere glides there on a spring of
    // `response` seconds; a pill that just arrived or stands there already is put there.
    void glideCapsuleTo(QPointF at, double response);
    // How far it has arrived: 0 when just shown or gone, 1 at rest (the spring may overshoot).
    double arrival() const { return motion_.arrival(); }
    // Shown and staying (not hidden, not leaving).
    bool shown() const { return !isHidden() && motion_.shown(); }
    bool leaving() const { return !isHidden() && motion_.leaving(); }
    // Sinks towards the bottom edge while it fades out with its last picture, on the spring
    // it arrived on, then hides; it takes no clicks meanwhile. Showing it again turns it back.
    void leave();
    // Ends the arrival, the leave or the glide at once (screenshots).
    void settle();
    // Moves the motion on to the clock's present time; the pill's own timer calls it.
    void frame();
    void setVisible(bool visible) override;
    const pills::PillMotion& motion() const { return motion_; }

signals:
    // It started or stopped leaving: its place in the column is given up or taken back.
    void leavingChanged();

protected:
    // `response`: the spring's response in seconds; `clock`: the time it moves on (the
    // process's steady clock when none).
    PillWidget(QWidget* parent, double response, std::shared_ptr<const Clock> clock);
    // The button under a point of the capsule (its own points).
    virtual pills::Press buttonAt(Point p) const = 0;
    virtual void pressed(pills::Press button) = 0;
    // Takes a new picture of `size` (drawn by `draw` with the capsule's top left at the
    // origin) and shows it.
    void showArt(Size size, std::function<void(cairo_t*, pills::Press)> draw);

    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    Point inPill(QPointF widgetPoint) const;
    void run();  // starts the frames, timing from now when they were not running
    void follow();  // stands at its place plus its glide
    Size size_;
    std::function<void(cairo_t*, pills::Press)> draw_;
    pills::Press down_ = pills::Press::none;
    // The last picture of the art, and the button and size it was drawn with.
    QImage picture_;
    pills::Press pictured_ = pills::Press::none;
    QSize picturedSize_;
    pills::PillMotion motion_;
    std::shared_ptr<const Clock> clock_;
    double last_ = 0;
    QTimer frames_;
    std::optional<QPoint> placed_;  // the capsule's place in the parent, once it has one
};

// A short message with one button ("Undone" with "Redo"). Pressing the button sends the
// pill away and then runs `onAction` once.
class NoticePill : public PillWidget {
    Q_OBJECT
public:
    explicit NoticePill(QWidget* parent = nullptr, std::shared_ptr<const Clock> clock = nullptr);
    using PillWidget::show;
    // Shows the message with a button titled `action`.
    void show(const std::string& text, const std::string& action);

    std::function<void()> onAction;
    const pills::NoticeArt& art() const { return art_; }

protected:
    pills::Press buttonAt(Point p) const override;
    void pressed(pills::Press button) override;

private:
    pills::NoticeArt art_;
};

// A failed turn's text (two lines at most in a pill no wider than 270 points), or a failed
// save's (three in a wider one), with "Retry" and a close button. Either button sends the
// pill away before its callback runs.
class ErrorPill : public PillWidget {
    Q_OBJECT
public:
    explicit ErrorPill(QWidget* parent = nullptr, std::shared_ptr<const Clock> clock = nullptr);
    using PillWidget::show;
    // `whole`: a message that must be read to its end, in the wider pill (ErrorArt).
    void show(const std::string& text, bool whole = false);

    std::function<void()> onRetry;
    std::function<void()> onDismiss;
    const pills::ErrorArt& art() const { return art_; }

protected:
    pills::Press buttonAt(Point p) const override;
    void pressed(pills::Press button) override;

private:
    pills::ErrorArt art_;
};

// Both pills over a host view, kept in place as the host resizes and as pills come and go.
// A leaving pill gives up its place at once (it sinks from where it stands); the other pill
// glides to its new place on the spring of the pill that came or went. The pills are
// children of the host, start hidden and move on `clock` (the process's steady clock when
// none).
class PillColumn : public QObject {
    Q_OBJECT
public:
    explicit PillColumn(QWidget* host, std::shared_ptr<const Clock> clock = nullptr);

    NoticePill* notice() const { return notice_; }
    ErrorPill* error() const { return error_; }
    // Sends the shown pills to their places and raises them above the host's other children;
    // a glide under way towards an unchanged place goes on.
    void place();
    // Ends every arrival, leave and glide at once (screenshots).
    void settle();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // `changed`: the pill that came, went or changed size, whose spring the glides take;
    // none when the host resized (everything is put in place at once). `appeared`: it has
    // just been shown from nothing, and is put in its place to rise there.
    void arrange(const PillWidget* changed, bool appeared);
    QWidget* host_;
    NoticePill* notice_;
    ErrorPill* error_;
};

}  // namespace nolby
