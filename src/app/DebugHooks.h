#pragma once
// The launch hooks that put a notebook into a known state without any clicking ("-page",
// "-speed", "-stall", "-replay", "-write", "-writeAt", "-about", "-ask", "-leaf", "-curl"),
// the desk's "-open", and the delivery of a question a new notebook was begun with. No Qt:
// the hooks act on a NotebookModel and a Scheduler, so they are tested on the manual clock.
//
// Every hook is for scripts, screenshots and benchmarks: a missing or unparsable value, a
// page out of range, an unknown "-open" form or a word not found is skipped without a
// message (see LaunchArguments for what parses).

#include "library/Library.h"
#include "model/NotebookModel.h"
#include "platform/Scheduler.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nolby::DebugHooks {

// The notebook hooks have been applied: they run once per process.
extern bool spent;
// The repeating stall timer made by "-stall"; it lives until the process ends.
extern Timer staller;
// The "-open" hook has run: it runs once per process, however often a desk is shown.
extern bool openedForTesting;
// Blocks the calling thread for that many seconds of wall-clock time ("-stall" does so on
// the main thread every half second). Tests put a recorder here.
extern std::function<void(double seconds)> stallFor;

// The process's argument list, the program path first: read afresh on each call from the
// process itself, unless tests (or main) gave one with setArguments.
std::vector<std::string> arguments();
void setArguments(std::optional<std::vector<std::string>> args);

// The argument after the first one equal to `key`; none when absent or given last.
std::optional<std::string> value(std::string_view key);

// For an issue view that has just come on screen, with its model: delivers the question
// its notebook was begun with (the note written at the top of the first page, the tutor
// asked half a second later) or else, once per process, applies the notebook hooks.
void apply(const std::shared_ptr<NotebookModel>& model, const std::shared_ptr<Scheduler>& scheduler);

// The "-open" hook: the notebook to show ("new" makes one with 600 by 1600 point pages;
// "newest", "title:" and a query, or a notebook id); none when it was already run, is
// absent or names nothing.
std::optional<Notebook> autoOpenForTesting(Library& library);
// The notebook an "-open" value names (the forms above; "new" makes one), whenever asked: a
// later start hands its "-open" to the running instance, which opens it this way.
std::optional<Notebook> named(Library& library, const std::string& open);

// Back to a fresh process's state (tests): hooks not spent, no stall timer, "-open" not run,
// the process's own arguments.
void reset();

}  // namespace nolby::DebugHooks
