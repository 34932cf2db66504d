#include "app/IssueView.h"

#include "app/AppearEffect.h"
#include "app/DiveLayout.h"
#include "app/IssueToolbar.h"
#include "app/IssuePane.h"
#include "ui/library/ColorScheme.h"
#include "ui/library/Newsstand.h"
#include "ui/pills/Pills.h"

#include <QEasingCurve>
#include <QEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPropertyAnimation>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace nolby {

namespace {

// A damped spring from 0 to 1 as an easing curve over its settling time: the stack's slides
// move like the rest of the desk's springs. Qt's custom curves are plain functions, so each
// spring the stack uses has its own.
double springAt(double progress, double response, double damping, double seconds) {
    const double t = progress * seconds;
    const double w = 2 * M_PI / response;
    const double wd = w * std::sqrt(1 - damping * damping);
    return 1 - std::exp(-damping * w * t) * (std::cos(wd * t) + damping * w / wd * std::sin(wd * t));
}
constexpr double openSeconds = 0.9, closeSeconds = 0.8;
double openSpring(qreal p) { return p >= 1 ? 1 : springAt(p, 0.48, 0.9, openSeconds); }
double closeSpring(qreal p) { return p >= 1 ? 1 : springAt(p, 0.42, 0.92, closeSeconds); }

// The soft shadow a dive casts to its left over the panes below.
class Shadow final : public QWidget {
public:
    static constexpr int reach = 26;  // radius 22, moved 4 to the left
    explicit Shadow(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        QLinearGradient g(0, 0, width(), 0);
        g.setColorAt(0, QColor(0, 0, 0, 0));
        g.setColorAt(1, QColor(0, 0, 0, 30));
        p.fillRect(rect(), g);
    }
};

// What lies over a pane and lets clicks through: the dimming of a pane under a dive, and on
// a dive the hairline of its left edge.
class Cover final : public QWidget {
public:
    Cover(bool hairline, QWidget* parent) : QWidget(parent), hairline_(hairline) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }
    void setDimmed(bool dimmed) {
        if (dimmed_ == dimmed) return;
        dimmed_ = dimmed;
        update();
    }
    bool dimmed() const { return dimmed_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        if (dimmed_) p.fillRect(rect(), QColor(0, 0, 0, 10));  // black at 0.04
        if (hairline_) p.fillRect(QRectF(0, 0, 0.5, height()), QColor(0, 0, 0, 26));  // black at 0.1
    }

private:
    bool hairline_;
    bool dimmed_ = false;
};

}  // namespace

// One level on screen: its pane, the cover over it and, for a dive, its shadow.
class IssueView::Frame final : public QWidget {
public:
    Frame(QWidget* pane, bool dive, QWidget* parent) : QWidget(parent), pane_(pane) {
        pane->setParent(this);
        cover_ = new Cover(dive, this);
        if (dive) {
            shadow_ = new Shadow(parent);
            shadow_->show();
        }
    }
    ~Frame() override { delete shadow_; }

    QWidget* pane() const { return pane_; }
    void setDimmed(bool dimmed) { cover_->setDimmed(dimmed); }
    bool dimmed() const { return cover_->dimmed(); }
    // Brings the frame (its shadow just below it) to the front.
    void lift() {
        if (shadow_) shadow_->raise();
        raise();
    }
    bool placed = false;  // has stood in its place once; a frame not yet placed slides in
    QPointer<QPropertyAnimation> moving;

protected:
    void resizeEvent(QResizeEvent*) override {
        pane_->setGeometry(rect());
        cover_->setGeometry(rect());
        cover_->raise();
        follow();
    }
    void moveEvent(QMoveEvent*) override { follow(); }

private:
    void follow() {
        if (shadow_) shadow_->setGeometry(x() - Shadow::reach, y(), Shadow::reach, height());
    }
    QWidget* pane_;
    Cover* cover_;
    QPointer<Shadow> shadow_;  // a sibling: the view may delete it first
};

std::shared_ptr<NotebookModel> IssueServices::makeModel(Notebook notebook) const {
    if (models) return models(std::move(notebook));
    NotebookModel::Services s;
    s.library = library;
    s.clock = scheduler ? scheduler->clock() : nullptr;
    s.scheduler = scheduler;
    s.haptics = haptics;
    s.tutor = tutor;
    return NotebookModel::make(std::move(notebook), std::move(s));
}

IssueView::IssueView(IssueServices services, std::shared_ptr<NotebookModel> model, std::function<void()> close,
                     QWidget* parent)
    : QWidget(parent), services_(std::move(services)), model_(std::move(model)), close_(std::move(close)) {
    setAttribute(Qt::WA_StyledBackground);
    setAutoFillBackground(true);
    // Always the light appearance: the labels over the paper are the light scheme's, even
    // when the desktop (or "-appearance") is dark.
    QPalette pal = ColorScheme::palette(ColorScheme::Scheme::light);
    pal.setColor(QPalette::Window, QColor(0xFA, 0xF7, 0xF0));
    setPalette(pal);
    setMinimumSize(200, 200);

    base_ = makeFrame(model_, 0);
    toolbar_ = new IssueToolbar(*this);
    pills_ = new PillColumn(this, services_.scheduler ? services_.scheduler->clock() : nullptr);
    bindPills();
    connect(this, &IssueView::focusedChanged, this, [this] { bindPills(); });
    setWindowTitle(title());
    titleWatch_ = model_->nb.observe([this] {
        const QString t = title();
        if (t != windowTitle()) {
            setWindowTitle(t);
            emit titleChanged(t);
        }
    });
}

IssueView* IssueView::open(const IssueServices& services, const Uuid& notebook, std::function<void()> close,
                           QWidget* parent) {
    std::optional<Notebook> stored = services.library ? services.library->notebook(notebook) : std::nullopt;
    if (!stored) return nullptr;
    return new IssueView(services, services.makeModel(std::move(*stored)), std::move(close), parent);
}

IssueView::~IssueView() {
    // An owner that forgot to end the view must not lose the learner's notes.
    closeModels();
}

const std::shared_ptr<NotebookModel>& IssueView::focused() const {
    if (focus_ >= 1 && focus_ <= static_cast<int>(dives_.size())) return dives_[focus_ - 1];
    return model_;
}

QString IssueView::title() const {
    const std::string& t = model_->nb->title;
    return t.empty() ? QStringLiteral("New issue") : QString::fromStdString(t);
}

QWidget* IssueView::pane(int level) const {
    if (level == 0) return base_->pane();
    if (level >= 1 && level <= static_cast<int>(diveFrames_.size())) return diveFrames_[level - 1]->pane();
    return nullptr;
}

IssueView::Frame* IssueView::makeFrame(const std::shared_ptr<NotebookModel>& model, int level) {
    auto* pane = new IssuePane(model, actions(level), level == 0 && dives_.empty(), services_.scheduler,
                               services_.press, services_.library);
    auto* frame = new Frame(pane, level > 0, this);
    frame->show();
    return frame;
}

PaneActions IssueView::actions(int level) {
    PaneActions a;
    a.dive = [this, level](const std::string& words, const std::string& passage, int page, const std::vector<Rect>& rects) {
        if (!closed_) dive(level, words, passage, page, rects);
    };
    a.open = [this, level](const Uuid& id) {
        if (closed_ || !services_.library) return;
        if (std::optional<Notebook> n = services_.library->notebook(id)) open(*n, level);
    };
    if (level >= 1)
        a.close = [this, level] {
            if (!closed_) closeDive(level);
        };
    a.focused = [this, level] {
        if (!closed_) focusLevel(level);
    };
    return a;
}

void IssueView::dive(int level, const std::string& words, const std::string& passage, int page,
                     const std::vector<Rect>& rects) {
    const std::shared_ptr<NotebookModel> source =
        level >= 1 && level <= static_cast<int>(dives_.size()) ? dives_[level - 1] : model_;
    const Notebook parent = source->nb.get();
    Notebook n;
    n.pageW = parent.pageW;
    n.pageH = parent.pageH;
    n.color = parent.color;
    n.mode = parent.mode;
    n.parent = parent.id;
    n.from = words;
    n.passage = passage;
    // A dive is no issue of its own: no title, no number; the shelf lists only notebooks
    // without a parent.
    if (services_.library) services_.library->save(n, true);  // put first in the list, and written
    source->markDive(page, rects, n.id, words);
    open(n, level);
}

void IssueView::open(const Notebook& notebook, int over) {
    if (closed_) return;
    for (size_t i = 0; i < dives_.size(); ++i)
        if (dives_[i]->nb->id == notebook.id) {
            // Already stacked: back to it, closing what stands above it.
            if (i + 1 < dives_.size()) closeDive(static_cast<int>(i) + 2);
            return;
        }
    closeDive(over + 1);
    std::shared_ptr<NotebookModel> m = services_.makeModel(notebook);
    m->scroll.set(true);
    dives_.push_back(m);
    const int level = static_cast<int>(dives_.size());
    Frame* frame = makeFrame(m, level);
    diveFrames_.push_back(frame);
    // The notebook offers its outline only while no dive is stacked.
    if (auto* stand = dynamic_cast<IssuePane*>(base_->pane())) stand->setOutlineAllowed(false);
    place(true);
    // The new dive is focused (its model is new even when the level is not).
    focus_ = level;
    emit focusedChanged();
    frame->pane()->setFocus(Qt::OtherFocusReason);
    begin(m);
}

void IssueView::begin(const std::shared_ptr<NotebookModel>& dive) {
    if (!dive->isEmptyNotebook() || !dive->nb->from) return;
    // On an empty page the typing spot is the first line, full width.
    dive->writeHere();
    dive->editing.modify([](std::optional<NotebookModel::Editing>& note) {
        if (note) note->text = "go deeper";
    });
    dive->commitEditing();
    dive->ask();
}

void IssueView::closeDive(int n) {
    if (n < 1 || n > static_cast<int>(dives_.size())) return;
    const std::shared_ptr<NotebookModel> top = n == 1 ? model_ : dives_[n - 2];
    for (size_t k = n - 1; k < dives_.size(); ++k) dives_[k]->close();
    for (size_t k = n - 1; k < diveFrames_.size(); ++k) slideOut(diveFrames_[k]);
    dives_.resize(n - 1);
    diveFrames_.resize(n - 1);
    if (dives_.empty())
        if (auto* stand = dynamic_cast<IssuePane*>(base_->pane())) stand->setOutlineAllowed(true);
    focus_ = std::min(focus_, n - 1);
    place(true);
    emit focusedChanged();
    // Keyboard focus goes to the new top pane once the closed panes have gone, unless a dive
    // has been opened over it meanwhile (going deeper closes the branch first): that dive
    // keeps the keyboard.
    QPointer<QWidget> target = pane(n - 1);
    QTimer::singleShot(0, this, [this, target] {
        if (target && !closed_ && pane(static_cast<int>(dives_.size())) == target) target->setFocus(Qt::OtherFocusReason);
    });
}

void IssueView::focusLevel(int level) {
    setFocus(level);
    if (level >= 1 && level < static_cast<int>(dives_.size())) closeDive(level + 1);
}

void IssueView::setFocus(int level) {
    if (focus_ == level) return;
    focus_ = level;
    emit focusedChanged();
}

double IssueView::lean(double width) const { return DiveLayout::lean(width, model_->nb->pageW); }

void IssueView::place(bool animated) {
    const double w = width(), h = height();
    const int count = static_cast<int>(diveFrames_.size());
    auto put = [&](Frame* frame, QRect to, bool spring) {
        if (frame->moving) frame->moving->stop();
        if (!frame->placed) {
            // A new dive starts beyond the right edge and slides in.
            frame->setGeometry(QRect(static_cast<int>(w), to.y(), to.width(), to.height()));
            frame->placed = true;
        }
        if (!animated || !isVisible() || frame->geometry() == to) {
            frame->setGeometry(to);
            return;
        }
        auto* a = new QPropertyAnimation(frame, "geometry", this);
        a->setDuration(static_cast<int>((spring ? openSeconds : closeSeconds) * 1000));
        QEasingCurve curve;
        curve.setCustomType(spring ? openSpring : closeSpring);
        a->setEasingCurve(curve);
        a->setEndValue(to);
        frame->moving = a;
        a->start(QAbstractAnimation::DeleteWhenStopped);
    };
    const int shift = count > 0 ? static_cast<int>(std::lround(lean(w))) : 0;
    put(base_, QRect(-shift, 0, static_cast<int>(w), static_cast<int>(h)), true);
    base_->setDimmed(count > 0);
    const int d = static_cast<int>(std::lround(DiveLayout::width(w)));
    for (int i = 0; i < count; ++i) {
        Frame* f = diveFrames_[i];
        put(f, QRect(static_cast<int>(std::lround(DiveLayout::x(w, i, count))), 0, d, static_cast<int>(h)), true);
        f->setDimmed(i < count - 1);
        f->lift();
    }
    toolbar_->setGeometry(0, 0, static_cast<int>(w), toolbar_->sizeHint().height());
    toolbar_->raise();
    pills_->place();
}

void IssueView::slideOut(Frame* frame) {
    if (frame->moving) frame->moving->stop();
    if (!isVisible()) {
        frame->deleteLater();
        return;
    }
    auto* a = new QPropertyAnimation(frame, "geometry", this);
    a->setDuration(static_cast<int>(closeSeconds * 1000));
    QEasingCurve curve;
    curve.setCustomType(closeSpring);
    a->setEasingCurve(curve);
    QRect to = frame->geometry();
    to.moveLeft(width());
    a->setEndValue(to);
    connect(a, &QAbstractAnimation::finished, frame, &QObject::deleteLater);
    frame->moving = a;
    a->start(QAbstractAnimation::DeleteWhenStopped);
}

void IssueView::settle() {
    for (QAbstractAnimation* a : findChildren<QAbstractAnimation*>())
        if (a->state() == QAbstractAnimation::Running) a->setCurrentTime(a->totalDuration());
    pills_->settle();
}

void IssueView::resizeEvent(QResizeEvent*) {
    place(false);
}

void IssueView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!shown_) appear();
}

void IssueView::appear() {
    shown_ = true;
    model_->scroll.set(true);
    if (services_.press) services_.press->ensure(model_->nb.get());
    // A short fade and scale-in from a shade smaller, about the centre; the launch hooks run
    // once it has ended.
    auto* effect = new AppearEffect(palette().color(QPalette::Window), this);
    setGraphicsEffect(effect);
    auto* a = new QPropertyAnimation(effect, "progress", this);
    a->setDuration(280);
    a->setEasingCurve(QEasingCurve::OutCubic);
    a->setStartValue(0.0);
    a->setEndValue(1.0);
    connect(a, &QAbstractAnimation::finished, this, [this] {
        // Painting through the effect costs a pass of its own: gone once appeared, and the
        // live view shows at full size.
        setGraphicsEffect(nullptr);
        if (onShown && !closed_) onShown(model_);
    });
    appearing_ = a;
    a->start(QAbstractAnimation::DeleteWhenStopped);
}

void IssueView::bindPills() {
    if (pillsOf_ == focused()) return;
    pillsOf_ = focused();
    pillWatches_.clear();
    // The pills now show the newly focused model's error and notice: what differs from what
    // they showed comes and goes as any change would (a pill whose text stays is kept, and
    // its buttons act on the new model from here on).
    pillWatches_.push_back(pillsOf_->tutor.observe([this] { showPills(); }));
    pillWatches_.push_back(pillsOf_->notice.observe([this] { showPills(); }));
    if (services_.library) pillWatches_.push_back(services_.library->unsaved.observe([this] { showPills(); }));
    std::weak_ptr<NotebookModel> weak = pillsOf_;
    pills_->notice()->onAction = [weak] {
        auto m = weak.lock();
        if (!m) return;
        std::function<void()> act = std::move(m->noticeAction);
        m->noticeAction = nullptr;
        m->notice.set(std::nullopt);
        if (act) act();
    };
    showPills();
}

std::optional<std::string> IssueView::unsavedText() const {
    if (!services_.library) return std::nullopt;
    const auto& unsaved = services_.library->unsaved.get();
    // The focused notebook first, then the rest of the view's, top to bottom.
    std::vector<std::shared_ptr<NotebookModel>> shown{pillsOf_, model_};
    shown.insert(shown.end(), dives_.begin(), dives_.end());
    for (const auto& m : shown) {
        auto it = m ? unsaved.find(m->nb->id) : unsaved.end();
        if (it == unsaved.end()) continue;
        std::string text = Library::unsavedText(Newsstand::displayTitle(m->nb.get()), it->second);
        if (text == dismissedUnsaved_) return std::nullopt;
        return text;
    }
    return std::nullopt;
}

void IssueView::showPills() {
    // The tutor's status changes often while it reads; a pill is laid out again only when
    // what it shows changes. A save that fails is told before the tutor's error: the
    // learner's writing is at stake.
    const NotebookModel& m = *pillsOf_;
    if (services_.library && services_.library->unsaved->empty()) dismissedUnsaved_.clear();
    const std::optional<std::string> unsaved = unsavedText();
    const std::optional<std::string>& error = unsaved ? unsaved : m.tutor->error;
    std::weak_ptr<NotebookModel> weak = pillsOf_;
    if (unsaved) {
        std::weak_ptr<Library> library = services_.library;
        pills_->error()->onRetry = [this, library] {
            if (auto l = library.lock()) l->retrySaves();
            showPills();  // still failing until the try lands: the pill stays
        };
        pills_->error()->onDismiss = [this, text = *unsaved] {
            dismissedUnsaved_ = text;
            showPills();
        };
    } else {
        pills_->error()->onRetry = [weak] {
            if (auto m = weak.lock()) {
                m->tutor.modify([](NotebookModel::TutorStatus& t) { t.error.reset(); });
                m->ask();
            }
        };
        pills_->error()->onDismiss = [weak] {
            if (auto m = weak.lock()) m->tutor.modify([](NotebookModel::TutorStatus& t) { t.error.reset(); });
        };
    }
    if (error != shownError_ || (error && !pills_->error()->shown())) {
        shownError_ = error;
        if (error) pills_->error()->show(*error, unsaved.has_value());
        else pills_->error()->leave();
    }
    const std::optional<NotebookModel::Notice>& notice = m.notice.get();
    const std::optional<Uuid> id = notice ? std::optional<Uuid>(notice->id) : std::nullopt;
    if (id != shownNotice_ || (notice && !pills_->notice()->shown())) {
        shownNotice_ = id;
        if (notice) pills_->notice()->show(notice->text, notice->action);
        else pills_->notice()->leave();
    }
    pills_->place();
}

void IssueView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() && !closed_) saveAll();
}

void IssueView::saveAll() {
    model_->save(true);
    for (const auto& d : dives_) d->save(true);
}

void IssueView::shut() {
    if (closed_) return;
    model_->commitEditing();
    model_->save(true);
    if (close_) close_();
}

void IssueView::closeModels() {
    if (closed_) return;
    closed_ = true;
    titleWatch_.reset();
    // A view ended while it appears stops appearing: no animation or effect outlives it.
    if (appearing_) {
        appearing_->stop();
        setGraphicsEffect(nullptr);
    }
    for (const auto& d : dives_) d->close();
    model_->close();
}

}  // namespace nolby
