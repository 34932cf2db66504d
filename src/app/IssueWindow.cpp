#include "app/IssueWindow.h"

#include "app/OpenIssues.h"
#include "ui/library/ColorScheme.h"
#include "ui/library/Table.h"

namespace nolby {

IssueWindow::IssueWindow(std::shared_ptr<AppContext> context, Uuid id, QWidget* parent)
    : AppWindow(parent), context_(std::move(context)), id_(id) {
    setWindowTitle("Issue");
    setAttribute(Qt::WA_DeleteOnClose);
    commands_ = new NolbyCommands(menuBar(), this);
    setMinimumSize(minimumWidth, minimumHeight);
    resize(1200, 840);
    if (auto notebook = context_->library->notebook(id_)) {
        model_ = context_->makeModel(*notebook);
        issue_ = context_->issueView(model_, [this] { close(); }, this);
        // Named after its notebook, and renamed with it.
        setWindowTitle(issue_->title());
        connect(issue_, &IssueView::titleChanged, this, &QWidget::setWindowTitle);
        setCentralWidget(issue_);
        OpenIssues::shared().add(id_, this);
    } else {
        setCentralWidget(new Table(new ColorScheme(this), this));
    }
}

IssueWindow::~IssueWindow() { shut(); }

std::shared_ptr<NotebookModel> IssueWindow::focusedIssue() const { return issue_ ? issue_->focused() : nullptr; }

std::optional<Dives> IssueWindow::dives() const { return issue_ ? std::optional(diveStack(issue_)) : std::nullopt; }

void IssueWindow::shut() {
    OpenIssues::shared().remove(id_, this);
    if (issue_) issue_->closeModels();
}

}  // namespace nolby
