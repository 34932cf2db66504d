#include "ui/sheet/SheetPane.h"

#include "ink/Mag.h"
#include "page/PaperTexture.h"
#include "platform/layers/LayerRender.h"
#include "sheet/SheetChrome.h"
#include "sheet/SheetView.h"
#include "ui/CairoImage.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace nolby {

namespace {

// Room around each element's content for its glass shadow.
constexpr double kMargin = 6;

// The paper at the top edge over which the sheet scrolls away; takes no pointer events.
class Fade final : public QWidget {
public:
    explicit Fade(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_TransparentForMouseEvents); }

protected:
    // Painted again with every frame of the sheet beneath it, while its picture depends on
    // its size alone: drawn once per size.
    void paintEvent(QPaintEvent*) override {
        const double ratio = devicePixelRatioF();
        if (image_.isNull() || drawn_ != size() || image_.devicePixelRatio() != ratio) {
            image_ = cairoImage(size(), ratio, [&](cairo_t* cr) { SheetChrome::drawFade(cr, width()); });
            drawn_ = size();
        }
        if (!image_.isNull()) QPainter(this).drawImage(QPointF(0, 0), image_);
    }

private:
    QImage image_;
    QSize drawn_;
};

Point pointOf(const QPointF& p) { return {p.x() - kMargin, p.y() - kMargin}; }

QRect widgetRect(double x, double y, double w, double h) {
    const int left = static_cast<int>(std::floor(x)), top = static_cast<int>(std::floor(y));
    return QRect(left, top, static_cast<int>(std::ceil(x + w)) - left, static_cast<int>(std::ceil(y + h)) - top);
}

}  // namespace

// ---- One chrome element ----

SheetPane::Chrome::Chrome(std::shared_ptr<const Clock> clock, QWidget* parent)
    : QWidget(parent), clock_(std::move(clock)) {
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    layer_->opacity = 0;
    frames_.setInterval(8);
    connect(&frames_, &QTimer::timeout, this, [this] { step(); });
    hide();
}

void SheetPane::Chrome::setContent(Size content) {
    const Rect bounds{0, 0, content.width, content.height};
    const Point position{kMargin + content.width / 2, kMargin + content.height / 2};
    if (layer_->bounds == bounds && layer_->position == position) return;
    layer_->bounds = bounds;
    layer_->position = position;
    drawn_ = false;
}

void SheetPane::Chrome::redraw() {
    drawn_ = false;
    update();
}

void SheetPane::Chrome::place(const QRect& frame, double duration) {
    const double t = clock_->now();
    if (!(duration > 0) || !isVisible() || frame.topLeft() == pos()) {
        glideDuration_ = 0;
        setGeometry(frame);
        return;
    }
    from_ = pos();
    to_ = frame.topLeft();
    glideStart_ = t;
    glideDuration_ = duration;
    resize(frame.size());
    animate();
}

void SheetPane::Chrome::animate() {
    if (ChromeMotion::visible(*layer_, clock_->now())) show();
    redraw();
    if (!frames_.isActive()) frames_.start();
    step();
}

void SheetPane::Chrome::step() {
    const double t = clock_->now();
    redraw();
    if (glideDuration_ > 0) {
        const double u = TimingFunction::easeOut()(std::clamp((t - glideStart_) / glideDuration_, 0.0, 1.0));
        move(QPoint(static_cast<int>(std::lround(from_.x() + (to_.x() - from_.x()) * u)),
                    static_cast<int>(std::lround(from_.y() + (to_.y() - from_.y()) * u))));
        if (u >= 1) glideDuration_ = 0;
        else return;
    }
    if (layers::animating(*layer_, t)) return;
    frames_.stop();
    layers::prune(*layer_, t);
    if (!ChromeMotion::visible(*layer_, t)) hide();
}

void SheetPane::Chrome::paintEvent(QPaintEvent*) {
    const double t = clock_->now();
    const double ratio = devicePixelRatioF();
    const QSize pixels(static_cast<int>(std::ceil(width() * ratio)), static_cast<int>(std::ceil(height() * ratio)));
    // The element floats over the sheet, so every repaint of the sheet beneath repaints it
    // too: unless its layer changed (or is moving), the kept frame is all it takes.
    if (drawn_ && image_.size() == pixels && image_.devicePixelRatio() == ratio) {
        QPainter(this).drawImage(QPointF(0, 0), image_);
        return;
    }
    if (!paintFrame(*this, image_, [&](cairo_t* cr) { layers::render(cr, *layer_, t); })) return;
    ++draws_;
    drawn_ = !layers::animating(*layer_, t);
}

void SheetPane::Chrome::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return QWidget::mousePressEvent(e);
    pressed_ = pointOf(e->position());
}

void SheetPane::Chrome::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !pressed_) return QWidget::mouseReleaseEvent(e);
    const Point up = pointOf(e->position()), down = *pressed_;
    pressed_.reset();
    // The handler takes the click when both points are on one of its targets.
    if (clicked) clicked(down, up);
}

void SheetPane::Chrome::mouseMoveEvent(QMouseEvent* e) {
    const Point p = pointOf(e->position());
    if (moved) moved(p);
    if (help) {
        const std::string text = help(p);
        setToolTip(QString::fromStdString(text));
    }
}

void SheetPane::Chrome::leaveEvent(QEvent*) {
    if (moved) moved(std::nullopt);
}

// ---- The pane ----

SheetPane::Actions SheetPane::through(const std::shared_ptr<SheetState>& state) {
    std::weak_ptr<SheetState> weak = state;
    auto sheet = [weak]() -> std::shared_ptr<SheetView> {
        auto s = weak.lock();
        return s ? s->sheet.lock() : nullptr;
    };
    Actions a;
    a.catchUp = [sheet] {
        if (auto v = sheet()) v->catchUp();
    };
    a.scrollTo = [sheet](double y, bool animated) {
        if (auto v = sheet()) v->scrollTo(y, animated);
    };
    return a;
}

SheetPane::SheetPane(std::shared_ptr<NotebookModel> model, bool outline, QWidget* parent,
                     std::shared_ptr<const Clock> clock)
    : QWidget(parent),
      model_(std::move(model)),
      outlineAllowed_(outline),
      clock_(clock ? std::move(clock) : SteadyClock::shared()),
      barPainter_([this] { if (actions_.explain) actions_.explain(); },
                  [this] { if (actions_.goDeeper) actions_.goDeeper(); }) {
    actions_ = through(state_);
    fade_ = new Fade(this);
    outline_ = new Chrome(clock_, this);
    bar_ = new Chrome(clock_, this);
    writing_ = new Chrome(clock_, this);

    bar_->layer().paint = [this](cairo_t* cr) { barPainter_.draw(cr); };
    bar_->moved = [this](std::optional<Point> p) {
        if (barPainter_.hover(p)) bar_->redraw();
    };
    bar_->clicked = [this](Point down, Point up) {
        if (barPainter_.help(down) == barPainter_.help(up)) barPainter_.click(up);
    };
    bar_->help = [this](Point p) { return barPainter_.help(p); };

    writing_->layer().paint = [this](cairo_t* cr) {
        const Size s = writingPainter_.size();
        writingPainter_.draw(cr, {0, 0, s.width, s.height});
    };
    writing_->clicked = [this](Point down, Point up) {
        const Size s = writingPainter_.size();
        const Rect button{0, 0, s.width, s.height};
        if (button.contains(down) && button.contains(up) && actions_.catchUp) actions_.catchUp();
    };

    outline_->layer().paint = [this](cairo_t* cr) {
        if (outlineLaid_) outlineLaid_->draw(cr);
    };
    outline_->clicked = [this](Point down, Point up) {
        if (!outlineLaid_ || !outlineShown_) return;
        const std::optional<size_t> row = outlineLaid_->rowAt(up);
        if (row != outlineLaid_->rowAt(down)) return;
        const std::vector<SheetState::Entry>& entries = state_->outline.get();
        if (!row || *row >= entries.size()) return;
        // Stop following first, so the sheet does not glide back to the pen afterwards.
        state_->following.set(false);
        if (actions_.scrollTo) actions_.scrollTo(entries[*row].y - Outline::kGlideAbove, true);
    };

    auto watch = [this](auto& field) { watching_.push_back(field.observe([this] { placeChrome(); })); };
    watch(state_->selection);
    watch(state_->writingBelow);
    watch(state_->layout);
    watch(state_->outline);
    watch(state_->viewport);
    watching_.push_back(state_->scrollY.observe([this] { scrolled(); }));
    placeChrome();
}

SheetPane::~SheetPane() = default;

void SheetPane::setSheet(QWidget* sheet) {
    if (sheet_ == sheet) return;
    sheet_ = sheet;
    // Focusing the pane (a new dive, the top pane after a dive closed) focuses its sheet, so
    // the keys reach the notebook shown there.
    setFocusProxy(sheet_);
    if (sheet_) {
        sheet_->setParent(this);
        sheet_->setGeometry(rect());
        sheet_->show();
        sheet_->lower();
    }
    update();
}

void SheetPane::setOutlineAllowed(bool outline) {
    if (outlineAllowed_ == outline) return;
    outlineAllowed_ = outline;
    placeOutline();
}

void SheetPane::resizeEvent(QResizeEvent*) {
    if (sheet_) sheet_->setGeometry(rect());
    placeChrome();
}

void SheetPane::paintEvent(QPaintEvent*) {
    // The paper behind the sheet: only seen where an opaque sheet does not cover it.
    if (sheet_ && sheet_->isVisible() && sheet_->testAttribute(Qt::WA_OpaquePaintEvent)) return;
    const int W = width(), H = height();
    const std::shared_ptr<const Image> paper = PaperTexture::shared().image(W, H);
    if (!paper) return;
    cairo_surface_flush(paper->surface());
    const QImage image(cairo_image_surface_get_data(paper->surface()), paper->width(), paper->height(),
                       cairo_image_surface_get_stride(paper->surface()), QImage::Format_ARGB32_Premultiplied);
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    // Drawn at two pixels a point: the bitmap's own size halved, from the top-left corner.
    p.drawImage(QRectF(0, 0, paper->width() / 2.0, paper->height() / 2.0), image);
}

void SheetPane::placeChrome() {
    fade_->setGeometry(0, 0, width(), static_cast<int>(SheetChrome::kFadeHeight));
    stack();
    placeOutline();
    placeBar();
    placeWriting();
}

void SheetPane::stack() {
    // Over the sheet, from the bottom: the fade, the outline, the selection bar and "Writing
    // below". Raised only when out of that order: each raise repaints what it raises.
    std::vector<const QObject*> top;
    for (const QObject* o : children())
        if (o->isWidgetType()) top.push_back(o);
    const std::vector<const QObject*> order = {fade_, outline_, bar_, writing_};
    if (top.size() >= order.size() && std::equal(order.begin(), order.end(), top.end() - order.size())) return;
    for (QWidget* w : {fade_, static_cast<QWidget*>(outline_), static_cast<QWidget*>(bar_), static_cast<QWidget*>(writing_)})
        w->raise();
}

void SheetPane::scrolled() {
    // Of the chrome only the outline follows the scroll position, and only in which row it
    // marks as reached: its rows are laid out again when that row changes, not on every
    // frame of a scroll.
    if (!outlineShown_ || !outlineLaid_) return;
    const std::vector<SheetState::Entry>& entries = state_->outline.get();
    std::optional<size_t> reached = Outline::current(entries, state_->scrollY.get(), state_->viewport.get());
    if (reached && *reached >= outlineLaid_->rows().size()) reached.reset();  // beyond the rows shown
    std::optional<size_t> marked;
    for (const Outline::Row& row : outlineLaid_->rows())
        if (row.current) marked = row.index;
    if (reached != marked) placeOutline();
}

void SheetPane::placeBar() {
    const std::optional<SheetState::Selection>& selection = state_->selection.get();
    const Size s = barPainter_.size();
    if (selection) {
        const Point at = SheetChrome::barOrigin(selection->rect, width());
        bar_->setContent(s);
        // A selection that moves while the bar shows carries the bar along with the same
        // ease-out it comes and goes with.
        bar_->place(widgetRect(at.x - kMargin, at.y - kMargin, s.width + 2 * kMargin, s.height + 2 * kMargin),
                    barShown_ ? ChromeMotion::kBarDuration : 0);
    }
    const bool shown = selection.has_value();
    if (shown == barShown_) return;
    barShown_ = shown;
    if (!shown && barPainter_.hover(std::nullopt)) bar_->redraw();
    ChromeMotion::bar(bar_->layer(), shown, now());
    bar_->animate();
}

void SheetPane::placeWriting() {
    const Rect frame = writingPainter_.frameAround(SheetChrome::writingBelowCentre(width(), height()));
    writing_->setContent({frame.w, frame.h});
    // The widget reaches down to the bottom edge, the way the button comes in.
    const double travel = height() - frame.y;
    writing_->setGeometry(widgetRect(frame.x - kMargin, frame.y - kMargin, frame.w + 2 * kMargin,
                                     std::max(travel, frame.h) + 2 * kMargin));
    const bool shown = state_->writingBelow.get();
    if (shown == writingShown_) return;
    writingShown_ = shown;
    ChromeMotion::writingBelow(writing_->layer(), shown, travel, now());
    writing_->animate();
}

void SheetPane::placeOutline() {
    const std::optional<SheetLayout>& layout = state_->layout.get();
    const std::vector<SheetState::Entry>& entries = state_->outline.get();
    const bool shown = SheetChrome::outlineShown(outlineAllowed_, layout, entries.size());
    if (shown) {
        OutlineInputs from{entries, Color::hex(Mag::inks(model_ ? model_->nb->color : std::string("blue")).a),
                           SheetChrome::outlineWidth(layout->x),
                           Outline::current(entries, state_->scrollY.get(), state_->viewport.get())};
        // Laid out and drawn again only when what it shows changed: the sheet publishes its
        // layout, viewport and outline on every relayout, mostly unchanged.
        if (!outlineLaid_ || outlineFrom_ != from) {
            outlineLaid_.emplace(entries, from.color, from.width, state_->scrollY.get(), state_->viewport.get());
            outlineFrom_ = std::move(from);
            const double w = outlineFrom_->width;
            const Point at = SheetChrome::kOutlineAt;
            outline_->setContent({w, outlineLaid_->height()});
            outline_->setGeometry(widgetRect(at.x - kMargin, at.y - kMargin, w + 2 * kMargin,
                                             outlineLaid_->height() + 2 * kMargin));
            outline_->redraw();
        }
    }
    if (shown == outlineShown_) return;
    outlineShown_ = shown;
    ChromeMotion::fade(outline_->layer(), shown, now());
    outline_->animate();
}

}  // namespace nolby
