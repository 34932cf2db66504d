#include "ui/pills/Pills.h"

#include "ui/CairoImage.h"

#include <QEvent>

#include <algorithm>
#include <cmath>
#include <QMouseEvent>
#include <QPainter>

namespace nolby {

namespace {

bool within(const Rect& r, Point p, double slop) {
    return p.x >= r.x - slop && p.x < r.x + r.w + slop && p.y >= r.y - slop && p.y < r.y + r.h + slop;
}

bool insideCapsule(Size s, Point p) {
    return p.x >= 0 && p.y >= 0 && p.x < s.width && p.y < s.height;
}

}  // namespace

// ---- PillWidget ----

PillWidget::PillWidget(QWidget* parent, double response, std::shared_ptr<const Clock> clock)
    : QWidget(parent), motion_(response), clock_(clock ? std::move(clock) : SteadyClock::shared()) {
    frames_.setInterval(8);
    // Each frame steps by the time that passed, not by the ticks: timers run late under load.
    connect(&frames_, &QTimer::timeout, this, [this] { frame(); });
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    hide();
}

QRectF PillWidget::capsule() const {
    const Size s = pillSize();
    return {QPointF(x() + kMargin, y() + kMargin), QSizeF(s.width, s.height)};
}

void PillWidget::moveCapsuleTo(QPointF at) {
    const QPoint to(qRound(at.x()), qRound(at.y()));
    // Sent again to the place it is gliding to, it glides on.
    if (placed_ != to) {
        placed_ = to;
        motion_.endGlide();
    }
    follow();
}

void PillWidget::glideCapsuleTo(QPointF at, double response) {
    const QPoint to(qRound(at.x()), qRound(at.y()));
    // Only a pill standing in the column glides, and only up or down: across, the view
    // itself changed size and everything is put in place.
    if (!placed_ || isHidden() || motion_.hidden() || placed_->x() != to.x()) return moveCapsuleTo(at);
    if (*placed_ == to) return;
    motion_.moveBy(to.y() - placed_->y(), response);
    placed_ = to;
    follow();
    run();
}

void PillWidget::follow() {
    if (placed_) move(placed_->x() - kMargin, qRound(placed_->y() + motion_.slide()) - kMargin);
}

void PillWidget::run() {
    if (frames_.isActive()) return;
    last_ = clock_->now();
    frames_.start();
}

void PillWidget::frame() {
    const double now = clock_->now();
    motion_.step(now - last_);
    last_ = now;
    if (motion_.hidden()) {
        hide();  // it has left
        return;
    }
    if (motion_.settled()) frames_.stop();
    follow();
    update();
}

void PillWidget::leave() {
    if (isHidden() || !motion_.leave()) return;
    // It keeps its last picture; the pointer's clicks and hover go to what lies beneath.
    down_ = pills::Press::none;
    setAttribute(Qt::WA_TransparentForMouseEvents, true);
    unsetCursor();
    run();
    update();
    emit leavingChanged();
}

void PillWidget::setVisible(bool visible) {
    if (!visible) {
        motion_.hide();
        frames_.stop();
        down_ = pills::Press::none;
        setAttribute(Qt::WA_TransparentForMouseEvents, false);
    }
    QWidget::setVisible(visible);
}

void PillWidget::settle() {
    motion_.settle();
    frames_.stop();
    if (motion_.hidden()) {
        if (!isHidden()) hide();
        return;
    }
    follow();
    update();
}

void PillWidget::showArt(Size size, std::function<void(cairo_t*, pills::Press)> draw) {
    // A pill that was not showing arrives and one that was leaving turns back from where it
    // is; one that changes its text stays where it is.
    if (isHidden()) motion_.hide();
    const bool fromNothing = motion_.hidden(), turning = motion_.leaving();
    motion_.appear();
    if (turning) setAttribute(Qt::WA_TransparentForMouseEvents, false);
    if (fromNothing || turning) run();
    size_ = size;
    draw_ = std::move(draw);
    picture_ = QImage();
    setFixedSize(static_cast<int>(std::ceil(size.width)) + 2 * kMargin,
                 static_cast<int>(std::ceil(size.height)) + 2 * kMargin);
    update();
    show();
    if (turning) emit leavingChanged();
}

Point PillWidget::inPill(QPointF p) const { return {p.x() - kMargin, p.y() - kMargin}; }

void PillWidget::paintEvent(QPaintEvent*) {
    // The frames of a motion move and fade one picture: it is drawn again only when the art,
    // the button held down, the size or the pixel density changed.
    const double ratio = devicePixelRatioF();
    if (picture_.isNull() || pictured_ != down_ || picture_.devicePixelRatio() != ratio || picturedSize_ != size()) {
        picture_ = cairoImage(size(), ratio, [&](cairo_t* cr) {
            cairo_translate(cr, kMargin, kMargin);
            if (draw_) draw_(cr, down_);
        });
        pictured_ = down_;
        picturedSize_ = size();
    }
    if (picture_.isNull()) return;
    QPainter painter(this);
    painter.setOpacity(motion_.opacity());
    painter.drawImage(QPointF(0, motion_.drop()), picture_);
}

void PillWidget::mousePressEvent(QMouseEvent* e) {
    const Point p = inPill(e->position());
    if (e->button() != Qt::LeftButton || !insideCapsule(pillSize(), p)) {
        e->ignore();  // the shadow's margin belongs to the view beneath
        return;
    }
    down_ = buttonAt(p);
    update();
}

void PillWidget::mouseMoveEvent(QMouseEvent* e) {
    const bool overButton = buttonAt(inPill(e->position())) != pills::Press::none;
    setCursor(overButton ? Qt::PointingHandCursor : Qt::ArrowCursor);
    if (down_ == pills::Press::none) e->ignore();
}

void PillWidget::mouseReleaseEvent(QMouseEvent* e) {
    const pills::Press was = down_;
    down_ = pills::Press::none;
    update();
    if (e->button() != Qt::LeftButton || was == pills::Press::none) {
        e->ignore();
        return;
    }
    // A press counts only when released over the button it began on.
    if (buttonAt(inPill(e->position())) == was) pressed(was);
}

// ---- NoticePill ----

NoticePill::NoticePill(QWidget* parent, std::shared_ptr<const Clock> clock)
    : PillWidget(parent, 0.38, std::move(clock)) {
    setObjectName("NoticePill");
}

void NoticePill::show(const std::string& text, const std::string& action) {
    art_ = pills::NoticeArt::make(text, action);
    showArt(art_.size, [art = art_](cairo_t* cr, pills::Press pressed) { art.draw(cr, pressed); });
}

pills::Press NoticePill::buttonAt(Point p) const {
    if (!insideCapsule(art_.size, p)) return pills::Press::none;
    return within(art_.actionRect, p, kSlop) ? pills::Press::first : pills::Press::none;
}

void NoticePill::pressed(pills::Press button) {
    // Sent away first, and nothing once leaving: a click queued behind the first one cannot
    // run the action again.
    if (button != pills::Press::first || !shown()) return;
    leave();
    if (auto act = onAction) act();
}

// ---- ErrorPill ----

ErrorPill::ErrorPill(QWidget* parent, std::shared_ptr<const Clock> clock)
    : PillWidget(parent, 0.4, std::move(clock)) {
    setObjectName("ErrorPill");
}

void ErrorPill::show(const std::string& text, bool whole) {
    art_ = pills::ErrorArt::make(text, whole);
    showArt(art_.size, [art = art_](cairo_t* cr, pills::Press pressed) { art.draw(cr, pressed); });
}

pills::Press ErrorPill::buttonAt(Point p) const {
    if (!insideCapsule(art_.size, p)) return pills::Press::none;
    // The close button's target is the pill's right end; Retry's stops where that begins.
    const double split = (art_.retryRect.x + art_.retryRect.w + art_.closeRect.x) / 2;
    if (p.x >= split) return pills::Press::second;
    if (within(art_.retryRect, p, kSlop)) return pills::Press::first;
    return pills::Press::none;
}

void ErrorPill::pressed(pills::Press button) {
    auto act = button == pills::Press::first ? onRetry : button == pills::Press::second ? onDismiss : nullptr;
    if (button == pills::Press::none || !shown()) return;
    leave();
    if (act) act();
}

// ---- PillColumn ----

PillColumn::PillColumn(QWidget* host, std::shared_ptr<const Clock> clock)
    : QObject(host), host_(host), notice_(new NoticePill(host, clock)), error_(new ErrorPill(host, clock)) {
    host_->installEventFilter(this);
    for (PillWidget* pill : {static_cast<PillWidget*>(notice_), static_cast<PillWidget*>(error_)}) {
        pill->installEventFilter(this);
        connect(pill, &PillWidget::leavingChanged, this, [this, pill] { arrange(pill, false); });
    }
}

void PillColumn::place() { arrange(nullptr, false); }

void PillColumn::settle() {
    error_->settle();
    notice_->settle();
}

void PillColumn::arrange(const PillWidget* changed, bool appeared) {
    // A leaving pill has given up its place: it sinks from where it stands.
    std::optional<Size> error, notice;
    if (error_->shown()) error = error_->pillSize();
    if (notice_->shown()) notice = notice_->pillSize();
    const auto p = pills::Placement::place({double(host_->width()), double(host_->height())}, error, notice);
    const auto put = [&](PillWidget* pill, const Rect& r) {
        const QPointF at(r.x, r.y);
        // The pill that appeared from nothing rises in its place; one turning back on its
        // way out goes there from where it is, as the other pill does.
        if (changed && !(appeared && pill == changed)) pill->glideCapsuleTo(at, changed->motion().response());
        else pill->moveCapsuleTo(at);
        pill->raise();
    };
    if (p.error) put(error_, *p.error);
    if (p.notice) put(notice_, *p.notice);
}

bool PillColumn::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (watched == host_ && type == QEvent::Resize) arrange(nullptr, false);
    else if (watched != host_ && (type == QEvent::Show || type == QEvent::Hide || type == QEvent::Resize))
        arrange(static_cast<PillWidget*>(watched), type == QEvent::Show);
    return QObject::eventFilter(watched, event);
}

}  // namespace nolby
