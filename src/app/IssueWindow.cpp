#include "app/IssueWindow.h"

#include "app/DebugHooks.h"
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
        issue_ = new IssueView(context_->issueServices(), model_, [this] { close(); }, this);
        std::weak_ptr<Scheduler> scheduler = context_->scheduler;
        issue_->onShown = [scheduler](const std::shared_ptr<NotebookModel>& model) {
            if (auto s = scheduler.lock()) DebugHooks::apply(model, s);
        };
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
