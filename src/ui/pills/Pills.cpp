#include "ui/pills/Pills.h"

#include "ui/CairoImage.h"

#include <QEvent>
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

PillWidget::PillWidget(QWidget* parent) : QWidget(parent) {
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

void PillWidget::resizeToPill() {
    const Size s = pillSize();
    setFixedSize(static_cast<int>(std::ceil(s.width)) + 2 * kMargin,
                 static_cast<int>(std::ceil(s.height)) + 2 * kMargin);
    update();
}

Point PillWidget::inPill(QPointF p) const { return {p.x() - kMargin, p.y() - kMargin}; }

void PillWidget::paintEvent(QPaintEvent*) {
    const QImage image = cairoImage(size(), devicePixelRatioF(), [&](cairo_t* cr) {
        cairo_translate(cr, kMargin, kMargin);
        drawPill(cr, down_);
    });
    if (image.isNull()) return;
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), image);
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

NoticePill::NoticePill(QWidget* parent) : PillWidget(parent) { setObjectName("NoticePill"); }

void NoticePill::show(const std::string& text, const std::string& action) {
    art_ = pills::NoticeArt::make(text, action);
    resizeToPill();
    show();
}

void NoticePill::drawPill(cairo_t* cr, pills::Press pressed) const { art_.draw(cr, pressed); }

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

ErrorPill::ErrorPill(QWidget* parent) : PillWidget(parent) { setObjectName("ErrorPill"); }

void ErrorPill::show(const std::string& text) {
    art_ = pills::ErrorArt::make(text);
    resizeToPill();
    show();
}

void ErrorPill::drawPill(cairo_t* cr, pills::Press pressed) const { art_.draw(cr, pressed); }

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
