#include "app/AppContext.h"

#include "app/DebugHooks.h"
#include "tutor/Attestor.h"
#include "tutor/Painter.h"
#include "tutor/Spend.h"
#include "tutor/TokenStore.h"

namespace nolby {

std::shared_ptr<AppContext> AppContext::standard(std::shared_ptr<Scheduler> scheduler,
                                                 std::shared_ptr<FolderLock> lock,
                                                 std::shared_ptr<Gateway::Address> address) {
    auto context = std::make_shared<AppContext>();
    context->scheduler = scheduler;
    if (!address) address = Gateway::Address::fixed(Gateway::defaultBase());
    context->gateway = Gateway::make(scheduler, std::move(address), TokenStore::user(), Attestor::unsupported());
    // The press must know its painter before the library (which forgets covers through it)
    // is first made.
    Press::configure(scheduler, Painter::forPress(context->gateway));
    Library::configure(scheduler, std::move(lock));
    context->press = Press::shared();
    context->library = Library::shared();
    context->defaults = Defaults::standard();
    return context;
}

std::shared_ptr<NotebookModel> AppContext::makeModel(Notebook notebook) const {
    TutorSession::Services tutor;
    tutor.library = library;
    tutor.scheduler = scheduler;
    tutor.gateway = gateway;
    tutor.defaults = defaults;
    tutor.press = press;
    tutor.now = now;
    tutor.warmup = warmup;
    auto model = NotebookModel::make(std::move(notebook), TutorSession::modelServices(std::move(tutor), haptics));
    model->scroll.set(true);
    return model;
}

IssueServices AppContext::issueServices() const {
    IssueServices services;
    services.library = library;
    services.scheduler = scheduler;
    services.press = press;
    services.haptics = haptics;
    auto self = shared_from_this();
    services.models = [self](Notebook notebook) { return self->makeModel(std::move(notebook)); };
    return services;
}

IssueView* AppContext::issueView(std::shared_ptr<NotebookModel> model, std::function<void()> close,
                                 QWidget* parent) const {
    auto* view = new IssueView(issueServices(), std::move(model), std::move(close), parent);
    std::weak_ptr<Scheduler> weak = scheduler;
    view->onShown = [weak](const std::shared_ptr<NotebookModel>& shown) {
        if (auto s = weak.lock()) DebugHooks::apply(shown, s);
    };
    return view;
}

int64_t AppContext::repliesThisMonth() const {
    if (!defaults) return 0;
    return Spend::thisMonth(*defaults, now ? now() : ReferenceClock::now()).turns;
}

}  // namespace nolby
