#pragma once
// The notice and error pills as Qt widgets: each shows the picture PillArt draws and turns
// clicks on its buttons into callbacks. PillColumn keeps both over a host view, centred at
// its foot: the error pill above the notice pill, 10 points apart, the lower one 18 points
// above the bottom edge.

#include "ui/library/Spring.h"
#include "ui/pills/PillArt.h"

#include <QElapsedTimer>
#include <QTimer>

#include <QObject>
#include <QWidget>

#include <functional>
#include <string>

namespace nolby {

// What the two pills share: the picture, a margin for the shadow around the capsule, and
// which button the pointer holds down.
class PillWidget : public QWidget {
    Q_OBJECT
public:
    // Room around the capsule for its soft shadow; clicks there fall through to the view.
    static constexpr int kMargin = 12;
    // Buttons take clicks a little beyond their drawn text, as small targets should.
    static constexpr double kSlop = 6;
    // A pill arrives rising this far from below while it fades in, on a spring of damping
    // fraction 0.85.
    static constexpr double kRise = 12, kDamping = 0.85;

    using QWidget::show;
    // The capsule's size in points.
    Size pillSize() const { return size_; }
    // The capsule's rectangle in the parent's coordinates.
    QRectF capsule() const;
    // Puts the capsule's top left corner at `at` (parent coordinates).
    void moveCapsuleTo(QPointF at);
    // How far it has arrived: 0 when just shown, 1 at rest (the spring may overshoot).
    double arrival() const { return arrival_.value; }
    // Ends the arrival at once (screenshots).
    void settle();

protected:
    // `response`: the arrival spring's response in seconds.
    PillWidget(QWidget* parent, double response);
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
    Size size_;
    std::function<void(cairo_t*, pills::Press)> draw_;
    pills::Press down_ = pills::Press::none;
    Spring arrival_;
    double response_;
    QTimer tick_;
    QElapsedTimer sinceTick_;
};

// A short message with one button ("Undone" with "Redo"). Pressing the button hides the
// pill and then runs `onAction` once.
class NoticePill : public PillWidget {
    Q_OBJECT
public:
    explicit NoticePill(QWidget* parent = nullptr);
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

// A failed turn's text (two lines at most in a pill no wider than 270 points) with "Retry"
// and a close button. Either button hides the pill before its callback runs.
class ErrorPill : public PillWidget {
    Q_OBJECT
public:
    explicit ErrorPill(QWidget* parent = nullptr);
    using PillWidget::show;
    void show(const std::string& text);

    std::function<void()> onRetry;
    std::function<void()> onDismiss;
    const pills::ErrorArt& art() const { return art_; }

protected:
    pills::Press buttonAt(Point p) const override;
    void pressed(pills::Press button) override;

private:
    pills::ErrorArt art_;
};

// Both pills over a host view, kept in place as the host resizes and as pills are shown
// and hidden. The pills are children of the host and start hidden.
class PillColumn : public QObject {
    Q_OBJECT
public:
    explicit PillColumn(QWidget* host);

    NoticePill* notice() const { return notice_; }
    ErrorPill* error() const { return error_; }
    // Moves the shown pills to their places and raises them above the host's other children.
    void place();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* host_;
    NoticePill* notice_;
    ErrorPill* error_;
};

}  // namespace nolby
