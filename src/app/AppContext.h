#pragma once
// What every window of the application shares: the main-thread scheduler, the notebook
// store, the cover press, the gateway and the settings. The running app has one, made from
// the process-wide pieces; tests make their own on a temporary data folder and a local
// gateway, so nothing of the user's is touched.

#include "app/IssueView.h"
#include "library/Library.h"
#include "model/NotebookModel.h"
#include "platform/Defaults.h"
#include "platform/Haptics.h"
#include "platform/Scheduler.h"
#include "press/Press.h"
#include "tutor/Gateway.h"
#include "tutor/TutorSession.h"

#include <functional>
#include <memory>

namespace nolby {

struct AppContext : std::enable_shared_from_this<AppContext> {
    std::shared_ptr<Scheduler> scheduler;
    std::shared_ptr<Library> library;
    std::shared_ptr<Press> press;
    std::shared_ptr<Gateway> gateway;
    std::shared_ptr<Defaults> defaults;
    std::shared_ptr<Haptics> haptics = std::make_shared<NoHaptics>();
    // The wall clock for turn records and datelines; none: the system's.
    std::function<Date()> now;
    // The launch argument "-warmup".
    bool warmup = false;

    // The process-wide pieces on the Qt scheduler: the press painting through the gateway at
    // `address` (none: NOLBY_API's, else the built-in one), the user's library (on the data
    // folder `lock` holds), settings and token.
    static std::shared_ptr<AppContext> standard(std::shared_ptr<Scheduler> scheduler,
                                                std::shared_ptr<FolderLock> lock = nullptr,
                                                std::shared_ptr<Gateway::Address> address = nullptr);

    // A model for a notebook in the scrolling-sheet mode, with its tutor.
    std::shared_ptr<NotebookModel> makeModel(Notebook notebook) const;
    // What an issue view makes its notebook's and dives' models with.
    IssueServices issueServices() const;
    // An issue view of `model` that, once it has appeared, delivers the question its notebook
    // was begun with or applies the launch hooks.
    IssueView* issueView(std::shared_ptr<NotebookModel> model, std::function<void()> close, QWidget* parent) const;
    // The tutor's replies this month, for the shelf.
    int64_t repliesThisMonth() const;
};

}  // namespace nolby
