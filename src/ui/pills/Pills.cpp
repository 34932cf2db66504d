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

PillWidget::PillWidget(QWidget* parent, double response) : QWidget(parent), response_(response) {
    arrival_.value = arrival_.target = 1;
    tick_.setInterval(8);
    connect(&tick_, &QTimer::timeout, this, [this] {
        // Driven by the time that passed, not by the ticks: timers run late under load.
        arrival_.step(static_cast<double>(sinceTick_.restart()) / 1000);
        if (arrival_.settled()) tick_.stop();
        update();
    });
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
    move(qRound(at.x()) - kMargin, qRound(at.y()) - kMargin);
}

void PillWidget::settle() {
    arrival_ = Spring{1, 0, 1, response_, kDamping};
    tick_.stop();
    update();
}

void PillWidget::showArt(Size size, std::function<void(cairo_t*, pills::Press)> draw) {
    if (!isVisible()) {
        // A pill that was not showing arrives; one that changes its text stays where it is.
        arrival_ = Spring{0, 0, 0, response_, kDamping};
        arrival_.to(1, response_, kDamping);
        sinceTick_.start();
        tick_.start();
    }
    size_ = size;
    draw_ = std::move(draw);
    setFixedSize(static_cast<int>(std::ceil(size.width)) + 2 * kMargin,
                 static_cast<int>(std::ceil(size.height)) + 2 * kMargin);
    update();
    show();
}

Point PillWidget::inPill(QPointF p) const { return {p.x() - kMargin, p.y() - kMargin}; }

void PillWidget::paintEvent(QPaintEvent*) {
    const QImage image = cairoImage(size(), devicePixelRatioF(), [&](cairo_t* cr) {
        cairo_translate(cr, kMargin, kMargin);
        if (draw_) draw_(cr, down_);
    });
    if (image.isNull()) return;
    QPainter painter(this);
    const double arrived = arrival_.value;
    painter.setOpacity(std::clamp(arrived, 0.0, 1.0));
    painter.drawImage(QPointF(0, (1 - arrived) * kRise), image);
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

NoticePill::NoticePill(QWidget* parent) : PillWidget(parent, 0.38) { setObjectName("NoticePill"); }

void NoticePill::show(const std::string& text, const std::string& action) {
    art_ = pills::NoticeArt::make(text, action);
    showArt(art_.size, [art = art_](cairo_t* cr, pills::Press pressed) { art.draw(cr, pressed); });
}

pills::Press NoticePill::buttonAt(Point p) const {
    if (!insideCapsule(art_.size, p)) return pills::Press::none;
    return within(art_.actionRect, p, kSlop) ? pills::Press::first : pills::Press::none;
}

void NoticePill::pressed(pills::Press button) {
    // Hidden first, and nothing once hidden: a click queued behind the first one cannot run
    // the action again.
    if (button != pills::Press::first || !isVisible()) return;
    hide();
    if (auto act = onAction) act();
}

// ---- ErrorPill ----

ErrorPill::ErrorPill(QWidget* parent) : PillWidget(parent, 0.4) { setObjectName("ErrorPill"); }

void ErrorPill::show(const std::string& text) {
    art_ = pills::ErrorArt::make(text);
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
    if (button == pills::Press::none || !isVisible()) return;
    hide();
    if (act) act();
}

// ---- PillColumn ----

PillColumn::PillColumn(QWidget* host)
    : QObject(host), host_(host), notice_(new NoticePill(host)), error_(new ErrorPill(host)) {
    host_->installEventFilter(this);
    notice_->installEventFilter(this);
    error_->installEventFilter(this);
}

void PillColumn::place() {
    std::optional<Size> error, notice;
    if (error_->isVisibleTo(host_)) error = error_->pillSize();
    if (notice_->isVisibleTo(host_)) notice = notice_->pillSize();
    const auto p = pills::Placement::place({double(host_->width()), double(host_->height())}, error, notice);
    if (p.error) {
        error_->moveCapsuleTo({p.error->x, p.error->y});
        error_->raise();
    }
    if (p.notice) {
        notice_->moveCapsuleTo({p.notice->x, p.notice->y});
        notice_->raise();
    }
}

bool PillColumn::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if ((watched == host_ && type == QEvent::Resize) ||
        (watched != host_ && (type == QEvent::Show || type == QEvent::Hide || type == QEvent::Resize)))
        place();
    return QObject::eventFilter(watched, event);
}

}  // namespace nolby
