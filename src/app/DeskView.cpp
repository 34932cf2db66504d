#include "app/DeskView.h"

#include "app/DebugHooks.h"
#include "app/DebugHooksPalette.h"
#include "app/OpenIssues.h"
#include "app/Router.h"

namespace nolby {

DeskView::DeskView(std::shared_ptr<AppContext> context, std::function<void(const Uuid&)> openInWindow, QWidget* parent)
    : QWidget(parent), context_(std::move(context)), openInWindow_(std::move(openInWindow)) {
    stack_ = new QStackedLayout(this);
    stack_->setContentsMargins(0, 0, 0, 0);
    Newsstand::Services services;
    services.library = context_->library;
    services.press = context_->press;
    services.scheduler = context_->scheduler;
    services.repliesThisMonth = [context = context_] { return context->repliesThisMonth(); };
    if (context_->now) services.today = context_->now;
    Newsstand::Actions actions;
    actions.open = [this](const NotebookHead& n) {
        if (std::optional<Notebook> whole = Library::whole(n)) show(*whole);
    };
    actions.openInWindow = [this](const NotebookHead& n) {
        if (!OpenIssues::shared().raise(n.id) && openInWindow_) openInWindow_(n.id);
    };
    actions.begin = [this](const std::string& question) { begin(question); };
    newsstand_ = new Newsstand(std::move(services), std::move(actions), this);
    stack_->addWidget(newsstand_);
}

DeskView::~DeskView() { shut(); }

void DeskView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (started_) return;
    started_ = true;
    applyDeskHooks();
    // A topic handed in while the desk was away is begun as soon as it is shown.
    learnWatch_ = Router::shared().learn.observe([this] { takeLearn(); });
    takeLearn();
}

void DeskView::applyDeskHooks() {
    // The shelf follows the desktop's own preference unless the appearance was named.
    if (auto appearance = DebugHooks::applyAppearance())
        newsstand_->setScheme(*appearance == LaunchArguments::Appearance::light ? ColorScheme::Scheme::light
                                                                                : ColorScheme::Scheme::dark);
    if (auto notebook = DebugHooks::autoOpenForTesting(*context_->library)) show(*notebook);
}

void DeskView::takeLearn() {
    auto& learn = Router::shared().learn;
    if (!learn.get()) return;
    const std::string topic = NotebookModel::trimmed(*learn.get());
    if (topic.empty()) {
        learn.set(std::nullopt);  // a blank topic begins nothing
        return;
    }
    learn.set(std::nullopt);
    begin(topic);
}

void DeskView::show(const Notebook& notebook) {
    if (OpenIssues::shared().raise(notebook.id)) return;
    auto stored = context_->library->notebook(notebook.id);
    setModel(context_->makeModel(stored ? *stored : notebook));
}

void DeskView::begin(const std::string& question) {
    Notebook notebook = context_->library->create(1600, 600);
    if (!question.empty()) Router::shared().pendingQuestion.set(Router::Pending{notebook.id, question});
    show(notebook);
}

void DeskView::newIssue() {
    if (model_) close();
    newsstand_->ask();
}

void DeskView::close() {
    setModel(nullptr);
    context_->library->sortByRecent();
}

void DeskView::shut() {
    if (issue_) issue_->closeModels();
}

void DeskView::setModel(std::shared_ptr<NotebookModel> model) {
    if (issue_) {
        // The old notebook keeps its typed note and is saved as it goes.
        issue_->closeModels();
        stack_->removeWidget(issue_);
        issue_->deleteLater();
        issue_ = nullptr;
    }
    model_ = std::move(model);
    if (!model_) {
        stack_->setCurrentWidget(newsstand_);
        newsstand_->refresh();
        emit titleChanged(title());
        return;
    }
    issue_ = context_->issueView(model_, [this] { close(); }, this);
    connect(issue_, &IssueView::titleChanged, this, &DeskView::titleChanged);
    stack_->addWidget(issue_);
    stack_->setCurrentWidget(issue_);
    emit titleChanged(title());
}

QString DeskView::title() const { return issue_ ? issue_->title() : QStringLiteral("Nolby"); }

}  // namespace nolby
