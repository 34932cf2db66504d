#pragma once
// What happens once an issue view has come on screen (its appearing fade finished): a
// question waiting for this notebook is written on its first page as a typed note and
// asked half a second later; otherwise the launch hooks run.

#include "model/NotebookModel.h"
#include "platform/Scheduler.h"

#include <functional>
#include <memory>

namespace nolby {

namespace IssueArrival {

// Seconds the issue view takes to fade in.
inline constexpr double appearing = 0.28;
// Seconds between writing the waiting question and asking it.
inline constexpr double askDelay = 0.5;

// The launch hooks, run for a notebook that was not handed a question. Set once by the
// application; none: nothing runs.
void setLaunchHooks(std::function<void(const std::shared_ptr<NotebookModel>&)> hooks);

// Schedules the arrival `appearing` seconds from now; nothing if the model has gone by then.
void arrived(const std::shared_ptr<NotebookModel>& model, const std::shared_ptr<Scheduler>& scheduler);

// Writes and asks the question waiting for this notebook, if one waits for it and the
// notebook is still empty; true when it did (the launch hooks are then not run).
bool deliverPendingQuestion(const std::shared_ptr<NotebookModel>& model, const std::shared_ptr<Scheduler>& scheduler);

}  // namespace IssueArrival

}  // namespace nolby
