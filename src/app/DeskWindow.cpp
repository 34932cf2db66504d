#include "app/DeskWindow.h"

namespace nolby {

DeskWindow::DeskWindow(std::shared_ptr<AppContext> context, std::function<void(const Uuid&)> openInWindow,
                       QWidget* parent)
    : AppWindow(parent) {
    setWindowTitle("Nolby");
    setObjectName("desk");
    desk_ = new DeskView(std::move(context), std::move(openInWindow), this);
    // The window is named after the notebook it shows.
    connect(desk_, &DeskView::titleChanged, this, &QWidget::setWindowTitle);
    setCentralWidget(desk_);
    commands_ = new NolbyCommands(menuBar(), this);
    setMinimumSize(minimumWidth, minimumHeight);
    resize(1280, 860);
}

std::shared_ptr<NotebookModel> DeskWindow::focusedIssue() const {
    return desk_->issueView() ? desk_->issueView()->focused() : nullptr;
}

std::optional<DeskActions> DeskWindow::desk() const {
    return DeskActions{[desk = desk_] { desk->newIssue(); }};
}

std::optional<Dives> DeskWindow::dives() const {
    return desk_->issueView() ? std::optional(diveStack(desk_->issueView())) : std::nullopt;
}

void DeskWindow::shut() { desk_->shut(); }

}  // namespace nolby
