#include "app/IssueStandIn.h"

#include "model/Scribe.h"

#include <QResizeEvent>

namespace nolby {

IssueStandIn::IssueStandIn(std::shared_ptr<AppContext> context, std::shared_ptr<NotebookModel> model, QWidget* parent)
    : QWidget(parent), context_(std::move(context)), model_(std::move(model)) {
    PageView view{model_, 0, true, PaperView::PageSide::single, true, true};
    page_ = new PageWidget(view, context_->scheduler, context_->press, this);
    watches_.push_back(model_->nb.observe([this] { follow(); }));
    watches_.push_back(model_->scribe->version.observe([this] { follow(); }));
    follow();
}

IssueStandIn::~IssueStandIn() { shut(); }

void IssueStandIn::shut() {
    if (shut_) return;
    shut_ = true;
    watches_.clear();
    model_->close();
}

void IssueStandIn::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    page_->setGeometry(rect());
    model_->viewSize.set(Size{double(width()), double(height())});
}

void IssueStandIn::follow() {
    const auto& pages = model_->nb->pages;
    int shown = 0;
    for (int i = 0; i < int(pages.size()); ++i)
        if (!pages[size_t(i)].items.empty()) shown = i;
    if (page_->view().index != shown) {
        PageView view = page_->view();
        view.index = shown;
        page_->setView(view);
    }
}

}  // namespace nolby
