#include "app/IssueToolbar.h"

#include "app/IssueView.h"
#include "app/NextStepButton.h"
#include "ink/Mag.h"
#include "model/TutorLink.h"

#include <QActionGroup>
#include <QEvent>
#include <QLayout>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

#include <functional>

namespace nolby {

const IssueToolbar::Mode IssueToolbar::modeTable[3] = {
    {"lesson", "Nolby leads"},
    {"explore", "You lead"},
    {"think", "You work it out"},
};

namespace {

// Small line icons of ours, drawn at 16 points on the device's pixel ratio.
QIcon lineIcon(const std::function<void(QPainter&)>& draw) {
    QPixmap pm(32, 32);
    pm.setDevicePixelRatio(2);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    draw(p);
    return QIcon(pm);
}

QIcon chevronLeft() {
    return lineIcon([](QPainter& p) {
        QPainterPath path;
        path.moveTo(10, 3);
        path.lineTo(5, 8);
        path.lineTo(10, 13);
        p.drawPath(path);
    });
}

// The icon of a lesson mode: a mortarboard for "lesson" (and any mode not in the table), a
// walker for "explore", a brain for "think".
QIcon modeIcon(const std::string& mode) {
    if (mode == "explore")
        return lineIcon([](QPainter& p) {
            p.drawEllipse(QPointF(9, 3), 1.6, 1.6);
            p.drawLine(QPointF(8.5, 5.5), QPointF(7, 10));
            p.drawLine(QPointF(7, 10), QPointF(9.5, 14));
            p.drawLine(QPointF(7, 10), QPointF(4.5, 14));
            p.drawLine(QPointF(4.5, 8), QPointF(8.2, 6.5));
            p.drawLine(QPointF(8.2, 6.5), QPointF(11.5, 8.5));
        });
    if (mode == "think")
        return lineIcon([](QPainter& p) {
            p.drawEllipse(QRectF(2.5, 3, 6, 10));
            p.drawEllipse(QRectF(7.5, 3, 6, 10));
            p.drawLine(QPointF(8, 4), QPointF(8, 12));
        });
    return lineIcon([](QPainter& p) {
        QPainterPath cap;
        cap.moveTo(1.5, 6.5);
        cap.lineTo(8, 3.5);
        cap.lineTo(14.5, 6.5);
        cap.lineTo(8, 9.5);
        cap.closeSubpath();
        p.drawPath(cap);
        p.drawArc(QRectF(4.5, 5, 7, 7), 200 * 16, 140 * 16);
        p.drawLine(QPointF(13, 7.2), QPointF(13, 11));
    });
}

}  // namespace

IssueToolbar::IssueToolbar(IssueView& view) : QToolBar(&view), view_(view) {
    setMovable(false);
    setFloatable(false);
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    // No background (paintEvent draws none): the paper of the panes runs up behind the
    // controls. No style sheet either: a styled subtree takes the application's palette, and
    // the labels over the paper must keep the issue view's light one on a dark desktop.
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    layout()->setContentsMargins(10, 6, 10, 6);
    layout()->setSpacing(6);

    shelf_ = addAction(chevronLeft(), QStringLiteral("Shelf"));
    shelf_->setToolTip(QStringLiteral("Back to the shelf — Ctrl+Shift+L"));
    shelf_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L));
    shelf_->setShortcutContext(Qt::WindowShortcut);
    connect(shelf_, &QAction::triggered, this, [this] { view_.shut(); });

    spacer_ = new QWidget(this);
    spacer_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    addWidget(spacer_);

    whoLeads_ = new QToolButton(this);
    whoLeads_->setText(QStringLiteral("Who leads"));
    whoLeads_->setToolTip(QStringLiteral("Who leads the lesson"));
    whoLeads_->setPopupMode(QToolButton::InstantPopup);
    whoLeads_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    auto* menu = new QMenu(whoLeads_);
    menu->addSection(QStringLiteral("Who leads"));
    modes_ = new QActionGroup(menu);
    // A mode outside the table marks no item.
    modes_->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (const Mode& m : modeTable) {
        QAction* item = menu->addAction(QString::fromUtf8(m.item));
        item->setCheckable(true);
        item->setData(QString::fromUtf8(m.value));
        modes_->addAction(item);
        const std::string value = m.value;
        connect(item, &QAction::triggered, this, [this, value] { choose(value); });
    }
    whoLeads_->setMenu(menu);
    addWidget(whoLeads_);

    auto* fixed = new QWidget(this);
    fixed->setFixedWidth(8);
    fixedAction_ = addWidget(fixed);
    way_ = new NextStepButton(this);
    wayAction_ = addWidget(way_);
    connect(way_, &QAbstractButton::clicked, this, [this] { step(); });
    way_->onStopWriting = [this] { stopWriting(); };

    connect(&view_, &IssueView::focusedChanged, this, [this] { bind(); });
    bind();
}

void IssueToolbar::paintEvent(QPaintEvent*) {}

bool IssueToolbar::event(QEvent* e) {
    const bool handled = QToolBar::event(e);
    if (e->type() == QEvent::LayoutRequest || e->type() == QEvent::Resize) updateMask();
    return handled;
}

void IssueToolbar::updateMask() {
    QRegion controls;
    for (QAction* a : actions()) {
        QWidget* w = widgetForAction(a);
        if (w && w != spacer_ && a->isVisible() && !w->isHidden()) controls += w->geometry().adjusted(-2, -2, 2, 2);
    }
    // An empty mask would mean no mask at all: keep one pixel.
    setMask(controls.isEmpty() ? QRegion(0, 0, 1, 1) : controls);
}

void IssueToolbar::bind() {
    if (bound_ == view_.focused()) return;
    bound_ = view_.focused();
    watches_.clear();
    NotebookModel& m = *bound_;
    auto again = [this] { refresh(); };
    // What the next-step cue and the menu read.
    watches_.push_back(m.nb.observe(again));
    watches_.push_back(m.editing.observe(again));
    watches_.push_back(m.tutor.observe(again));
    watches_.push_back(m.pageIndex.observe(again));
    watches_.push_back(m.pageVersions.observe(again));
    watches_.push_back(m.scribe->busy.observe(again));
    refresh();
}

void IssueToolbar::refresh() {
    if (!bound_) return;
    NotebookModel& m = *bound_;
    const std::string& mode = m.nb->mode;
    // Refreshed on every keystroke and stroke of the focused notebook: the icon is drawn
    // again only when the mode changes.
    if (mode != iconMode_) {
        iconMode_ = mode;
        whoLeads_->setIcon(modeIcon(mode));
    }
    for (QAction* item : modes_->actions()) item->setChecked(item->data().toString().toStdString() == mode);

    const bool rest = m.isEmptyNotebook() && !m.tutor->thinking && !m.scribe->busy.get();
    fixedAction_->setVisible(!rest);
    wayAction_->setVisible(!rest);
    if (!rest) way_->setCue(m.way(), Mag::inks(m.nb->color).a);
}

void IssueToolbar::choose(const std::string& mode) {
    const std::shared_ptr<NotebookModel> m = view_.focused();
    m->nb.modify([&](Notebook& n) { n.mode = mode; });
    m->save(false);
}

void IssueToolbar::step() {
    const std::shared_ptr<NotebookModel> m = view_.focused();
    m->follow(way_->cue());
}

void IssueToolbar::stopWriting() {
    const std::shared_ptr<NotebookModel> m = view_.focused();
    // Cancelling a turn is silent: no error is left for the pill to show.
    if (m->session) m->session->cancel();
    m->scribe->flush();
}

}  // namespace nolby
