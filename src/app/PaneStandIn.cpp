#include "app/PaneStandIn.h"

#include "ui/notebook/PageWidget.h"

#include <QKeyEvent>

namespace nolby {

PaneStandIn::PaneStandIn(std::shared_ptr<NotebookModel> model, PaneActions actions, bool outline,
                         std::shared_ptr<Scheduler> scheduler, std::shared_ptr<PressSource> press, QWidget* parent)
    : QWidget(parent), model_(std::move(model)), actions_(std::move(actions)), outline_(outline) {
    setFocusPolicy(Qt::StrongFocus);
    page_ = new PageWidget(PageView{model_, model_->pageIndex.get(), true, PaperView::PageSide::single, true, true},
                           std::move(scheduler), std::move(press), this);
    pageWatch_ = model_->pageIndex.observe([this] { showCurrentPage(); });
}

void PaneStandIn::showCurrentPage() {
    page_->setView(PageView{model_, model_->pageIndex.get(), true, PaperView::PageSide::single, true, true});
}

void PaneStandIn::resizeEvent(QResizeEvent*) {
    page_->setGeometry(rect());
    model_->viewSize.set(Size{static_cast<double>(width()), static_cast<double>(height())});
}

void PaneStandIn::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    if (actions_.focused) actions_.focused();
}

void PaneStandIn::keyPressEvent(QKeyEvent* event) {
    // Escape closes a dive, as the sheet's own key handling will.
    if (event->key() == Qt::Key_Escape && actions_.close) {
        actions_.close();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace nolby
