#include "app/IssueWindow.h"

#include "app/IssueArrival.h"
#include "app/OpenIssues.h"
#include "ui/library/ColorScheme.h"
#include "ui/library/Table.h"

#include <QCloseEvent>

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
        issue_ = new IssueStandIn(context_, model_, this);
        setCentralWidget(issue_);
        OpenIssues::shared().add(id_, this);
        IssueArrival::arrived(model_, context_->scheduler);
    } else {
        setCentralWidget(new Table(new ColorScheme(this), this));
    }
}

IssueWindow::~IssueWindow() { shut(); }

std::optional<Dives> IssueWindow::dives() const {
    if (!model_) return std::nullopt;
    return Dives{0, {}};
}

void IssueWindow::shut() {
    OpenIssues::shared().remove(id_, this);
    if (issue_) issue_->shut();
}

void IssueWindow::closeEvent(QCloseEvent* event) {
    shut();
    AppWindow::closeEvent(event);
}

}  // namespace nolby
