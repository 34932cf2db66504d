#include "ui/sheet/SheetScrollView.h"

#include "ui/CairoImage.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace nolby {

namespace {

SheetView::Wheel::Phase phaseOf(Qt::ScrollPhase phase) {
    using Phase = SheetView::Wheel::Phase;
    switch (phase) {
    case Qt::ScrollBegin: return Phase::began;
    case Qt::ScrollUpdate: return Phase::changed;
    case Qt::ScrollEnd: return Phase::ended;
    case Qt::ScrollMomentum: return Phase::momentum;
    default: return Phase::none;
    }
}

}  // namespace

SheetScrollView::SheetScrollView(const std::shared_ptr<NotebookModel>& model, std::shared_ptr<SheetState> state,
                                 std::shared_ptr<Scheduler> scheduler, std::shared_ptr<PressSource> press,
                                 QWidget* parent)
    : QAbstractScrollArea(parent), scheduler_(std::move(scheduler)) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    frames_.setTimerType(Qt::PreciseTimer);
    frames_.setInterval(kFrameMs);
    connect(&frames_, &QTimer::timeout, viewport(), [this] { viewport()->update(); });
    blink_.setSingleShot(true);
    blink_.setTimerType(Qt::PreciseTimer);  // a coarse timer may fire before the step
    connect(&blink_, &QTimer::timeout, viewport(), [this] { viewport()->update(blinkRect_); });

    sheet_ = SheetView::make(model, std::move(state), {scheduler_, std::move(press), devicePixelRatioF()});
    sheet_->setHost(this);
    input_ = std::make_unique<SheetInput>(
        *this, *sheet_, sheet_->pointer(), sheet_->input(),
        [this](QPointF p) { return Point{p.x(), p.y() + position_}; },
        [this](Point p) { return QPointF(p.x, p.y - position_); });
    viewport()->setMouseTracking(true);
}

SheetScrollView::~SheetScrollView() {
    frames_.stop();
    blink_.stop();
    sheet_->attach(false);
    sheet_->setHost(nullptr);
}

// ---- SheetHost

Size SheetScrollView::viewportSize() const { return {double(viewport()->width()), double(viewport()->height())}; }

void SheetScrollView::setScrollPosition(double y) { moveTo(y); }

void SheetScrollView::setDocumentHeight(double height) {
    document_ = std::isfinite(height) ? std::max(height, 0.0) : 0;
    moveTo(position_);  // a shorter document pulls the view up
    syncBar();
}

void SheetScrollView::repaint() { viewport()->update(); }

bool SheetScrollView::windowActive() const { return window() && window()->isActiveWindow(); }

void SheetScrollView::focus() { setFocus(Qt::OtherFocusReason); }

void SheetScrollView::setClipboard(const std::string& text) {
    if (QClipboard* c = QGuiApplication::clipboard()) c->setText(QString::fromStdString(text));
}

std::string SheetScrollView::clipboard() const {
    QClipboard* c = QGuiApplication::clipboard();
    return c ? c->text().toStdString() : std::string();
}

Color SheetScrollView::selectionColor(bool active) const {
    const QColor q = palette().color(active ? QPalette::Active : QPalette::Inactive, QPalette::Highlight);
    if (!q.isValid()) return {0.8, 0.8, 0.8, 1};
    return {q.redF(), q.greenF(), q.blueF(), 1};
}

void SheetScrollView::lookUp(const std::string& phrase, Point at, double size) {
    if (definitions_) definitions_->show(phrase, at, size);
}

// ---- Scrolling

void SheetScrollView::moveTo(double y) {
    const double most = std::max(document_ - viewport()->height(), 0.0);
    const double to = std::clamp(std::isfinite(y) ? y : 0.0, 0.0, most);
    if (to == position_) return;
    position_ = to;
    syncBar();
    sheet_->scrolled();
}

void SheetScrollView::syncBar() {
    QScrollBar* bar = verticalScrollBar();
    syncing_ = true;
    const int h = viewport()->height();
    bar->setRange(0, std::max(0, int(std::ceil(document_)) - h));
    bar->setPageStep(std::max(h, 1));
    bar->setSingleStep(int(kWheelStep / 2));
    bar->setValue(int(std::lround(position_)));
    syncing_ = false;
}

void SheetScrollView::scrollContentsBy(int, int) {
    if (syncing_) return;
    // The learner moved the scroll bar: the bar's whole points become the position.
    moveTo(verticalScrollBar()->value());
}

void SheetScrollView::wheelEvent(QWheelEvent* event) {
    // Pixel deltas from touchpads; a plain wheel's eighths of a degree as notches.
    QPointF delta = event->pixelDelta();
    if (delta.isNull()) delta = QPointF(event->angleDelta()) / 120.0 * kWheelStep;
    // Qt's deltas already say which way the content goes (positive: towards the top), with
    // the desktop's natural-scrolling setting applied; inverted() says whether it was.
    const SheetView::Wheel wheel{delta.x(), delta.y(), phaseOf(event->phase()), event->inverted()};
    event->accept();
    if (sheet_->wheel(wheel)) return;
    moveTo(position_ - wheel.dy);
}

// ---- Showing, focus and painting

void SheetScrollView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    syncBar();
    sheet_->setNeedsRelayout();
}

bool SheetScrollView::viewportEvent(QEvent* event) {
    // The scroll bar coming or going narrows or widens the viewport: the sheet's width.
    if (event->type() == QEvent::Resize) sheet_->setNeedsRelayout();
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:  // Qt's second press of a double click
            if (input_->mousePress(static_cast<QMouseEvent*>(event))) return true;
            break;
        case QEvent::MouseMove:
            if (input_->mouseMove(static_cast<QMouseEvent*>(event))) return true;
            break;
        case QEvent::MouseButtonRelease:
            if (input_->mouseRelease(static_cast<QMouseEvent*>(event))) return true;
            break;
        case QEvent::ContextMenu:
            if (input_->contextMenu(static_cast<QContextMenuEvent*>(event))) return true;
            break;
        default:
            break;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void SheetScrollView::showEvent(QShowEvent* event) {
    QAbstractScrollArea::showEvent(event);
    sheet_->setDisplayScale(devicePixelRatioF());
    sheet_->attach(true);
}

void SheetScrollView::hideEvent(QHideEvent* event) {
    QAbstractScrollArea::hideEvent(event);
    sheet_->attach(false);
    frames_.stop();
    blink_.stop();
}

void SheetScrollView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    sheet_->becomeFirstResponder();
}

void SheetScrollView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    sheet_->resignFirstResponder();
}

void SheetScrollView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::ActivationChange) sheet_->windowKeyChanged();
}

bool SheetScrollView::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && input_->shortcutOverride(static_cast<QKeyEvent*>(event)))
        return true;
    return QAbstractScrollArea::event(event);
}

void SheetScrollView::keyPressEvent(QKeyEvent* event) {
    if (!input_->keyPress(event)) QAbstractScrollArea::keyPressEvent(event);
}

void SheetScrollView::inputMethodEvent(QInputMethodEvent* event) { input_->inputMethod(event); }

QVariant SheetScrollView::inputMethodQuery(Qt::InputMethodQuery query) const { return input_->inputMethodQuery(query); }

void SheetScrollView::paintEvent(QPaintEvent* event) {
    QWidget* port = viewport();
    sheet_->setDisplayScale(port->devicePixelRatioF());
    const double now = scheduler_->now();
    if (!paintFrame(*port, image_, [&](cairo_t* cr) { sheet_->paint(cr, now); }, event->rect())) return;
    scheduleFrames(now);
}

void SheetScrollView::scheduleFrames(double now) {
    blink_.stop();
    if (const std::optional<SheetView::Blink> blink = sheet_->blinkOnly(now)) {
        frames_.stop();
        if (blink->rect.isEmpty()) return;  // the caret is out of view
        const Rect& r = blink->rect;
        blinkRect_ = QRectF(r.x, r.y, r.w, r.h).toAlignedRect();
        const double waitMs = std::ceil(std::min(blink->wait, 1.0) * 1000);
        blink_.start(std::max(kBlinkFrameMs, static_cast<int>(waitMs)));
    } else if (sheet_->animating(now)) {
        if (!frames_.isActive()) frames_.start();
    } else {
        frames_.stop();
    }
}

}  // namespace nolby
