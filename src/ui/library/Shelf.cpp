#include "ui/library/Shelf.h"

#include "ink/Mag.h"
#include "ink/mag/ChromeText.h"
#include "ink/mag/TextBlock.h"
#include "ink/mag/Unprinted.h"
#include "platform/Blur.h"
#include "platform/Canvas.h"
#include "platform/Links.h"
#include "ui/CairoImage.h"

#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QPainter>
#include <QScrollBar>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace nolby {

namespace {

constexpr double kNameSize = 128, kNameFloor = 0.4, kNameTuck = 15, kNameSpacing = 8, kRule = 1.4;
constexpr double kSectionAbove = 44, kSectionBelow = 22;
constexpr double kFooterAbove = 48, kFooterSpacing = 12;

std::shared_ptr<const Font> futuraBold(double size) { return Mag::systemFont(Mag::kFuturaBoldStandIn, size); }
double lineHeight(const Font& f) { return f.ascent() + f.descent() + f.leading(); }

chrome::Block masthead(double width) {
    return chrome::block("Nolby", [](double s) {
        return Mag::ct(Mag::Face::fraunces, s, {{"wght", 470}, {"SOFT", 100}, {"opsz", 128}, {"WONK", 0}});
    }, kNameSize, -3, width, 1, kNameFloor);
}

Color print(bool dark) { return dark ? Mag::white : Mag::black; }

void fillRect(cairo_t* cr, double x, double y, double w, double h, Color c) {
    cairo_new_path(cr);
    cairo_rectangle(cr, x, y, w, h);
    draw::setColor(cr, c);
    cairo_fill(cr);
}

}  // namespace

Shelf::Shelf(std::shared_ptr<Press> press, std::shared_ptr<Scheduler> scheduler, QWidget* parent)
    : QAbstractScrollArea(parent), press_(std::move(press)), scheduler_(std::move(scheduler)),
      band_(new AskBand(scheduler_, viewport())), flattener_(scheduler_, kKept) {
    setFrameStyle(QFrame::NoFrame);
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    viewport()->setMouseTracking(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalScrollBar()->setSingleStep(40);
    frames_.setTimerType(Qt::PreciseTimer);
    frames_.setInterval(8);
    connect(&frames_, &QTimer::timeout, viewport(), [this] {
        // Hidden (the desk shows a notebook), nothing is painted, so nothing would stop the
        // frames: they stop here, and start again when the shelf is shown.
        if (!isVisible()) frames_.stop();
        else viewport()->update();
    });
    connect(band_, &AskBand::heightChanged, this, [this] { relayout(); });
    if (press_) pressWatch_ = press_->observe([this] { viewport()->update(); });
}

void Shelf::setIssues(std::vector<NotebookHead> shown, Texts texts) {
    const bool sameOrder = shown.size() == shown_.size() &&
                           std::equal(shown.begin(), shown.end(), shown_.begin(),
                                      [](const NotebookHead& a, const NotebookHead& b) { return a.id == b.id; });
    if (sameOrder && texts == texts_) {
        // The same covers in the same order under the same texts (a notebook saved again):
        // the page keeps its layout and its drawn texts.
        std::vector<size_t> changed;
        for (size_t i = 0; i < shown.size(); ++i)
            if (!shown[i].sameSave(shown_[i])) changed.push_back(i);
        shown_ = std::move(shown);
        syncTiles();
        redrawCovers(changed);
        return;
    }
    shown_ = std::move(shown);
    index_.clear();
    for (size_t i = 0; i < shown_.size(); ++i) index_[shown_[i].id] = i;
    texts_ = std::move(texts);
    section_ = footer_ = nameplate_ = QImage();
    relayout();
}

void Shelf::mendIssues(std::vector<std::pair<size_t, NotebookHead>> changed) {
    std::vector<size_t> at;
    for (auto& [i, head] : changed) {
        if (i >= shown_.size() || shown_[i].id != head.id) continue;
        shown_[i] = std::move(head);
        at.push_back(i);
    }
    if (at.empty()) return;
    syncTiles();
    redrawCovers(at);
}

void Shelf::redrawCovers(const std::vector<size_t>& changed) {
    // Only covers in view are drawn.
    const ShelfGrid g = grid();
    for (size_t i : changed)
        if (i < shown_.size() && tile(shown_[i].id)) viewport()->update(tileArea(g, coverInView(i)).toAlignedRect());
}

void Shelf::redrawCover(const Uuid& id) {
    if (auto found = index_.find(id); found != index_.end()) redrawCovers({found->second});
}

QRectF Shelf::tileArea(const ShelfGrid& grid, const QRectF& cover) {
    // A cover with its label under it, its lean and its shadows.
    const double below = grid.tileHeight() - grid.coverHeight();
    return cover.adjusted(-kRedrawMargin, -kRedrawMargin, kRedrawMargin, below + kRedrawMargin);
}

void Shelf::setDark(bool dark) {
    if (dark == dark_) return;
    dark_ = dark;
    section_ = footer_ = nameplate_ = QImage();
    labels_.clear();
    viewport()->update();
}

void Shelf::setToday(std::function<Date()> today) {
    if (!today) return;
    today_ = std::move(today);
    viewport()->update();
}

ShelfGrid Shelf::grid() const { return ShelfGrid::fit(layout_.width); }

QRectF Shelf::coverOnPage(size_t index) const {
    const Rect c = grid().cover(index);
    return QRectF(layout_.x + c.x, layout_.gridTop + c.y, c.w, c.h);
}

QRectF Shelf::coverInView(size_t index) const {
    return coverOnPage(index).translated(0, -verticalScrollBar()->value());
}

std::vector<Uuid> Shelf::tiles() const {
    std::vector<Uuid> ids;
    for (const auto& [id, tile] : tiles_) ids.push_back(id);
    return ids;
}

CoverTile* Shelf::tile(const Uuid& id) const {
    auto found = tiles_.find(id);
    return found == tiles_.end() ? nullptr : found->second.get();
}

double Shelf::pageHeight() const { return layout_.height; }

void Shelf::relayout() {
    Layout l;
    const double W = viewport()->width();
    l.width = std::max(std::min(W - 2 * kSide, kMaxWidth), ShelfGrid::kMinColumn);
    l.x = std::max((W - l.width) / 2, 0.0);
    const chrome::Block name = masthead(l.width);
    auto row = futuraBold(11.5);
    l.nameplate = name.height() - kNameTuck + kNameSpacing + kRule + kNameSpacing + lineHeight(*row);
    l.bandTop = kTop + l.nameplate + kBandGap;
    l.bandHeight = band_->heightFor(l.width);
    l.sectionTop = l.bandTop + l.bandHeight;
    l.section = texts_.any ? kSectionAbove + lineHeight(*futuraBold(12)) + kSectionBelow : 0;
    l.gridTop = l.sectionTop + l.section;
    l.gridHeight = texts_.any ? ShelfGrid::fit(l.width).height(shown_.size()) : 0;
    l.footerTop = l.gridTop + l.gridHeight;
    l.footer = kFooterAbove + 1 + kFooterSpacing + lineHeight(*futuraBold(10.5));
    l.height = l.footerTop + l.footer + kBottom;
    const bool moved = l.width != layout_.width;
    layout_ = l;
    if (moved) nameplate_ = section_ = footer_ = QImage();

    QScrollBar* bar = verticalScrollBar();
    bar->setPageStep(viewport()->height());
    bar->setRange(0, std::max(0, static_cast<int>(std::ceil(l.height - viewport()->height()))));
    band_->setGeometry(QRectF(l.x, l.bandTop - bar->value(), l.width, l.bandHeight).toAlignedRect());
    syncTiles();
    viewport()->update();
}

void Shelf::syncTiles() {
    const double top = verticalScrollBar()->value() - layout_.gridTop;
    const auto [first, last] = texts_.any ? grid().visible(top, top + viewport()->height(), shown_.size())
                                          : std::pair<size_t, size_t>{0, 0};
    std::map<Uuid, std::unique_ptr<CoverTile>> kept;
    for (size_t i = first; i < last; ++i) {
        const NotebookHead& n = shown_[i];
        auto found = tiles_.find(n.id);
        if (found != tiles_.end()) {
            found->second->setNotebook(n);
            kept[n.id] = std::move(found->second);
        } else {
            kept[n.id] = std::make_unique<CoverTile>(n);
            // A tile coming into view asks for its cover; the press decides whether one is due.
            if (press_) press_->ensure(n);
        }
    }
    tiles_ = std::move(kept);
    if (hovered_ && !tiles_.count(*hovered_)) hovered_.reset();
    if (pressed_ && !tiles_.count(*pressed_)) pressed_.reset();
    for (auto it = labels_.begin(); it != labels_.end();)
        it = tiles_.count(it->first) ? std::next(it) : labels_.erase(it);
}

void Shelf::showEvent(QShowEvent* event) {
    QAbstractScrollArea::showEvent(event);
    if (animating()) ensureFrames();
}

void Shelf::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    relayout();
}

void Shelf::scrollContentsBy(int, int) {
    band_->move(QPointF(layout_.x, layout_.bandTop - verticalScrollBar()->value()).toPoint());
    syncTiles();
    viewport()->update();
}

std::optional<size_t> Shelf::tileAt(QPointF point) const {
    if (!texts_.any || shown_.empty()) return std::nullopt;
    const ShelfGrid g = grid();
    const double x = point.x() - layout_.x, y = point.y() + verticalScrollBar()->value() - layout_.gridTop;
    if (x < g.left || y < 0) return std::nullopt;
    const double pitchX = g.column + ShelfGrid::kGap, pitchY = g.tileHeight() + ShelfGrid::kRowGap;
    const long col = static_cast<long>(std::floor((x - g.left) / pitchX));
    const long row = static_cast<long>(std::floor(y / pitchY));
    if (col < 0 || col >= g.columns || row < 0) return std::nullopt;
    if (x - g.left - col * pitchX > g.column || y - row * pitchY > g.coverHeight()) return std::nullopt;
    const size_t index = static_cast<size_t>(row) * g.columns + static_cast<size_t>(col);
    if (index >= shown_.size()) return std::nullopt;
    return index;
}

void Shelf::hoverAt(QPointF point) {
    const std::optional<size_t> at = tileAt(point);
    std::optional<Uuid> now;
    if (at) now = shown_[*at].id;
    if (hovered_ && hovered_ != now)
        if (CoverTile* t = tile(*hovered_)) t->leave();
    hovered_ = now;
    if (now)
        if (CoverTile* t = tile(*now)) t->hover(point - coverInView(*at).topLeft());
    viewport()->setCursor(now || footerLinks().first.contains(point) || footerLinks().second.contains(point)
                              ? Qt::PointingHandCursor
                              : Qt::ArrowCursor);
    ensureFrames();
}

void Shelf::mouseMoveEvent(QMouseEvent* event) { hoverAt(event->position()); }

void Shelf::leaveEvent(QEvent* event) {
    QAbstractScrollArea::leaveEvent(event);
    if (hovered_)
        if (CoverTile* t = tile(*hovered_)) t->leave();
    hovered_.reset();
    ensureFrames();
}

bool Shelf::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Leave) leaveEvent(event);
    return QAbstractScrollArea::viewportEvent(event);
}

void Shelf::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (auto at = tileAt(event->position())) {
        pressed_ = shown_[*at].id;
        if (CoverTile* t = tile(*pressed_)) t->press(true);
        ensureFrames();
    }
}

void Shelf::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const auto [privacy, help] = footerLinks();
    if (privacy.contains(event->position())) QDesktopServices::openUrl(QUrl(QString::fromUtf8(Links::privacy.data(), Links::privacy.size())));
    if (help.contains(event->position())) QDesktopServices::openUrl(QUrl(QString::fromUtf8(Links::support.data(), Links::support.size())));
    if (!pressed_) return;
    const Uuid id = *pressed_;
    pressed_.reset();
    if (CoverTile* t = tile(id)) t->press(false);
    ensureFrames();
    const auto at = tileAt(event->position());
    if (at && shown_[*at].id == id) emit open(shown_[*at]);
}

void Shelf::contextMenuEvent(QContextMenuEvent* event) {
    const auto at = tileAt(event->pos());
    if (!at) return;
    const NotebookHead n = shown_[*at];
    QMenu menu(this);
    QAction* open = menu.addAction("Open");
    QAction* window = menu.addAction("Open in New Window");
    menu.addSeparator();
    QAction* remove = menu.addAction(QString::fromUtf8("Delete\u2026"));
    QAction* chosen = menu.exec(event->globalPos());
    if (chosen == open) emit this->open(n);
    else if (chosen == window) emit openInWindow(n);
    else if (chosen == remove) emit this->remove(n);
}

bool Shelf::animating() const {
    if (!scheduler_) return false;
    const double now = scheduler_->now();
    for (const auto& [id, tile] : tiles_) {
        if (tile->moving() || tile->band.animating(now)) return true;
        if (press_ && press_->printing().count(id)) return true;  // the press mark pulses
    }
    return false;
}

void Shelf::ensureFrames() {
    viewport()->update();
    if (!frames_.isActive()) frames_.start();
}

std::pair<QRectF, QRectF> Shelf::footerLinks() const {
    auto font = futuraBold(10.5);
    const double y = layout_.footerTop + kFooterAbove + 1 + kFooterSpacing - verticalScrollBar()->value();
    const double h = lineHeight(*font);
    const double help = chrome::line("HELP", *font, 1.2).width();
    const double dot = chrome::line("\u00B7", *font, 1.2).width();
    const double privacy = chrome::line("PRIVACY", *font, 1.2).width();
    const double right = layout_.x + layout_.width;
    const QRectF helpRect(right - help, y, help, h);
    const QRectF privacyRect(helpRect.left() - 8 - dot - 8 - privacy, y, privacy, h);
    return {privacyRect, helpRect};
}

const QImage& Shelf::labelFor(const NotebookHead& n) {
    const std::string text = CoverTile::label(n);
    auto& entry = labels_[n.id];
    if (entry.second.isNull() || entry.first != text) {
        const chrome::Line line = chrome::line(text, *futuraBold(9.5), 1.2);
        const Color ink = print(dark_).withAlpha(0.55);
        entry.first = text;
        entry.second = cairoImage(QSizeF(line.width() + 2, ShelfGrid::kLabel + 2), viewport()->devicePixelRatioF(),
                                  [&](cairo_t* cr) { chrome::fill(cr, line, 0, line.baselineCentredOn(ShelfGrid::kLabel / 2), ink); });
    }
    return entry.second;
}

void Shelf::paintTiles(QPainter& p, double now, const QRectF& exposed) {
    if (!texts_.any) return;
    const ShelfGrid g = grid();
    const double ratio = viewport()->devicePixelRatioF();
    const QSizeF size(g.column, g.coverHeight());
    if (shadow_.isNull() || shadow_.width() != static_cast<int>(std::ceil((size.width() + 2 * CoverFlattener::kMargin) * ratio)))
        shadow_ = CoverFlattener::shadow(size, ratio);
    const double top = verticalScrollBar()->value() - layout_.gridTop;
    const auto [first, last] = g.visible(top, top + viewport()->height(), shown_.size());
    flattener_.beginFrame();
    const Date today = today_();
    for (size_t i = first; i < last; ++i) {
        const NotebookHead& n = shown_[i];
        CoverTile* t = tile(n.id);
        if (!t) continue;
        t->advance(now);
        // Every tile in view asks for its covers, so the flattener keeps them; only those in
        // the part being repainted (one saved cover, say) are drawn.
        const QRectF cover = coverOnPage(i);
        const bool drawn = tileArea(g, cover).intersects(exposed);
        const CoverBand::Look band = t->band.look(*press_, n.id, now);
        const bool printing = press_ && !band.shown.cover && press_->printing().count(n.id);
        // A cover flattened later redraws its own tile, wherever it is in view by then.
        auto ready = [self = QPointer<Shelf>(this), id = n.id] {
            if (self) self->redrawCover(id);
        };
        auto flat = [&](std::shared_ptr<const Image> art, bool marked = false) {
            return flattener_.get({n, std::move(art), size, ratio, dark_, CoverTile::lean(n.id), today, marked}, ready);
        };
        CoverTile::Look look;
        look.shown = flat(band.shown.cover);
        look.fresh = band.shown.fresh;
        if (band.leaving) {
            look.leaving = flat(band.leaving->cover);
            look.progress = band.progress;
        }
        if (!look.shown && look.leaving) {
            look.shown = look.leaving;  // the new art is still being flattened: the old stays
            look.leaving.reset();
            look.progress = 1;
        }
        if (!look.leaving) look.progress = 1;
        if (look.shown) t->lastDrawn = look.shown;
        else look.shown = t->lastDrawn;  // changed (a new title, a new size): the old one stands in
        look.shadow = &shadow_;
        look.dark = dark_;
        if (drawn) look.label = &labelFor(n);
        look.ground = Color::hex(Mag::inks(n.color).a);
        // The mark's strength between its low and high point: the marked cover is made at the high one.
        if (printing) {
            look.marked = flat(nullptr, true);
            look.mark = PressMark{PressMark::pulse(now)}.opacity() / PressMark{1}.opacity();
        }
        if (drawn) t->paint(p, cover, look);
    }
    warmNear(first, last);
}

void Shelf::warmNear(size_t first, size_t last) {
    if (!press_ || shown_.empty()) return;
    // The covers a screen above and below the view, nearest first, so they are loaded
    // before they scroll in; no more than leaves the press room for the ones in view (the
    // thumbnails it must free are then never the ones asked for here).
    const size_t room = press_->thumbsThatFit(Press::kSmall) * 3 / 4;
    const size_t inView = last - first;
    if (room <= inView) return;
    size_t budget = room - inView;
    const ShelfGrid g = grid();
    const size_t screen = static_cast<size_t>(g.columns) *
                          (static_cast<size_t>(viewport()->height() / (g.tileHeight() + ShelfGrid::kRowGap)) + 1);
    size_t below = last, above = first;
    for (size_t step = 0; step < screen && budget > 0; ++step) {
        if (below < shown_.size()) {
            press_->image(shown_[below++].id, Press::kSmall);
            --budget;
        }
        if (above > 0 && budget > 0) {
            press_->image(shown_[--above].id, Press::kSmall);
            --budget;
        }
    }
}

void Shelf::paintEvent(QPaintEvent* event) {
    QPainter p(viewport());
    const double ratio = viewport()->devicePixelRatioF();
    const double scroll = verticalScrollBar()->value();
    const double now = scheduler_ ? scheduler_->now() : 0;
    const Color ink = print(dark_);
    const Layout& l = layout_;
    p.translate(0, -scroll);
    const double viewTop = scroll, viewBottom = scroll + viewport()->height();
    auto inView = [&](double top, double height) { return top < viewBottom && top + height > viewTop; };

    if (inView(kTop, l.nameplate)) {
        if (nameplate_.isNull()) {
            nameplate_ = cairoImage(QSizeF(l.width, l.nameplate), ratio, [&](cairo_t* cr) {
                const chrome::Block name = masthead(l.width);
                chrome::fill(cr, name, (l.width - name.width()) / 2, 0, ink);
                double y = name.height() - kNameTuck + kNameSpacing;
                fillRect(cr, 0, y, l.width, kRule, ink);
                y += kRule + kNameSpacing;
                auto font = futuraBold(11.5);
                const Color c = ink.withAlpha(0.85);
                const chrome::Line left = chrome::line("NOTEBOOKS THAT WRITE BACK", *font, 1.6, l.width / 2);
                const chrome::Line right = chrome::line(texts_.dateline, *font, 1.6, l.width / 2);
                chrome::fill(cr, left, 0, y + left.ascent, c);
                chrome::fill(cr, right, l.width - right.width(), y + right.ascent, c);
            });
        }
        p.drawImage(QPointF(l.x, kTop), nameplate_);
    }

    if (inView(l.bandTop - 40, l.bandHeight + 80)) {
        // The band's shadow: black at 0.3, blurred, 16 points down.
        const QSizeF band(l.width, l.bandHeight);
        if (bandShadow_.isNull() || bandShadow_.width() != static_cast<int>(std::ceil((band.width() + 120) * ratio)) ||
            bandShadow_.height() != static_cast<int>(std::ceil((band.height() + 120) * ratio)))
            bandShadow_ = cairoImage(QSizeF(band.width() + 120, band.height() + 120), ratio, [&](cairo_t* cr) {
                drawShadow(cr, {60, 60, band.width(), band.height()}, Color{0, 0, 0, 0.3}, 11, 0, 16, [&](cairo_t* c) {
                    cairo_rectangle(c, 60, 60, band.width(), band.height());
                    cairo_set_source_rgb(c, 0, 0, 0);
                    cairo_fill(c);
                });
            });
        p.drawImage(QPointF(l.x - 60, l.bandTop - 60), bandShadow_);
    }

    if (texts_.any && inView(l.sectionTop, l.section)) {
        if (section_.isNull()) {
            section_ = cairoImage(QSizeF(l.width, l.section), ratio, [&](cairo_t* cr) {
                auto font = futuraBold(12);
                const Color c = ink.withAlpha(0.85);
                const double mid = kSectionAbove + lineHeight(*font) / 2;
                const chrome::Line title = chrome::line("BACK ISSUES", *font, 2);
                const chrome::Line count = chrome::line(texts_.count, *font, 1, l.width / 3);
                chrome::fill(cr, title, 0, title.baselineCentredOn(mid), c);
                chrome::fill(cr, count, l.width - count.width(), count.baselineCentredOn(mid), c);
                const double ruleLeft = title.width() + 12, ruleRight = l.width - count.width() - 12;
                if (ruleRight > ruleLeft) fillRect(cr, ruleLeft, mid - 0.5, ruleRight - ruleLeft, 1, c);
            });
        }
        p.drawImage(QPointF(l.x, l.sectionTop), section_);
    }

    paintTiles(p, now, QRectF(event->rect()).translated(0, scroll));

    if (inView(l.footerTop, l.footer)) {
        if (footer_.isNull()) {
            footer_ = cairoImage(QSizeF(l.width, l.footer), ratio, [&](cairo_t* cr) {
                fillRect(cr, 0, kFooterAbove, l.width, 1, ink.withAlpha(0.85));
                auto font = futuraBold(10.5);
                const Color c = ink.withAlpha(0.55);
                const double y = kFooterAbove + 1 + kFooterSpacing;
                const chrome::Line replies = chrome::line(texts_.replies, *font, 1.2, l.width / 2);
                chrome::fill(cr, replies, 0, y + replies.ascent, c);
                const chrome::Line help = chrome::line("HELP", *font, 1.2);
                const chrome::Line dot = chrome::line("\u00B7", *font, 1.2);
                const chrome::Line privacy = chrome::line("PRIVACY", *font, 1.2);
                double x = l.width - help.width();
                chrome::fill(cr, help, x, y + help.ascent, c);
                x -= 8 + dot.width();
                chrome::fill(cr, dot, x, y + dot.ascent, c);
                x -= 8 + privacy.width();
                chrome::fill(cr, privacy, x, y + privacy.ascent, c);
            });
        }
        p.drawImage(QPointF(l.x, l.footerTop), footer_);
    }

    if (!animating()) frames_.stop();
    else if (!frames_.isActive()) frames_.start();
}

}  // namespace nolby
