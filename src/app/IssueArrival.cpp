#include "app/IssueArrival.h"

#include "app/Router.h"

namespace nolby::IssueArrival {

namespace {
std::function<void(const std::shared_ptr<NotebookModel>&)>& hooks() {
    static auto* hooks = new std::function<void(const std::shared_ptr<NotebookModel>&)>;
    return *hooks;
}
}  // namespace

void setLaunchHooks(std::function<void(const std::shared_ptr<NotebookModel>&)> launchHooks) {
    hooks() = std::move(launchHooks);
}

void arrived(const std::shared_ptr<NotebookModel>& model, const std::shared_ptr<Scheduler>& scheduler) {
    std::weak_ptr<NotebookModel> weak = model;
    // Held weakly: a timer's task must never keep its own scheduler alive.
    std::weak_ptr<Scheduler> weakScheduler = scheduler;
    scheduler->after(appearing, [weak, weakScheduler] {
        auto model = weak.lock();
        auto scheduler = weakScheduler.lock();
        if (!model || !scheduler) return;
        if (deliverPendingQuestion(model, scheduler)) return;
        if (hooks()) hooks()(model);
    });
}

bool deliverPendingQuestion(const std::shared_ptr<NotebookModel>& model, const std::shared_ptr<Scheduler>& scheduler) {
    auto& pending = Router::shared().pendingQuestion;
    // The question belongs to the notebook begun for it; any other notebook leaves it.
    if (!pending.get() || pending.get()->notebook != model->nb->id) return false;
    const std::string question = pending.get()->question;
    pending.set(std::nullopt);
    if (!model->isEmptyNotebook()) return false;
    model->startWriting(Point{28, model->nb->pageH < 700 ? 90.0 : 118.0}, false);
    if (model->editing.get()) model->editing.modify([&](auto& editing) { editing->text = question; });
    model->commitEditing();
    std::weak_ptr<NotebookModel> weak = model;
    scheduler->after(askDelay, [weak] {
        if (auto model = weak.lock()) model->ask();
    });
    return true;
}

}  // namespace nolby::IssueArrival
