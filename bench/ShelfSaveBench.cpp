// Editing a notebook while the shelf is alive, as in the app: the newsstand stays under the
// open notebook (hidden, the desk shows the notebook) or beside it (shown, the notebook is
// in a window of its own). Each iteration changes a note on the notebook's first page, saves
// it (debounced, as the model does) and lets the main loop run what the save set off; the
// time is the main thread's CPU time for both, with 100, 1,000 and 5,000 notebooks of three
// mixed pages in the store, once the shown shelf has settled. The goal is under 0.1 ms a save
// at 5,000.
#include "MixedNotebooks.h"
#include "OffscreenApp.h"
#include "ink/Faces.h"
#include "ink/Mag.h"
#include "library/Library.h"
#include "press/Press.h"
#include "ui/QtScheduler.h"
#include "ui/library/Newsstand.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>
#include <map>
#include <memory>
#include <sstream>

using namespace nolby;

namespace {

double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + t.tv_nsec / 1e9;
}

// A data folder of `count` notebooks, written once per count and removed at exit.
const std::filesystem::path& folderOf(int count) {
    static std::map<int, std::unique_ptr<bench::TempFolder>> folders;
    auto& folder = folders[count];
    if (!folder) {
        folder = std::make_unique<bench::TempFolder>("nolby-bench-shelfsave");
        bench::writeMixedNotebooks(folder->path, count, 3);
    }
    return folder->path;
}

void SaveWithShelf(benchmark::State& state) {
    bench::offscreenApp();
    Faces::registerFrom();
    Mag::registerFrom();
    const int count = int(state.range(0));
    const bool shown = state.range(1) != 0;
    const std::filesystem::path& data = folderOf(count);
    auto scheduler = std::make_shared<QtScheduler>();
    std::ostringstream log;
    auto press = Press::make(data, scheduler, nullptr);
    auto library = Library::make(data, scheduler, press, &log);
    Newsstand::Services services;
    services.library = library;
    services.press = press;
    services.scheduler = scheduler;
    auto stand = std::make_unique<Newsstand>(services, Newsstand::Actions{});
    stand->setScheme(ColorScheme::Scheme::light);
    stand->resize(1280, 860);
    stand->show();
    QApplication::processEvents();
    if (!shown) {
        stand->hide();
        QApplication::processEvents();
    }
    // The shelf settles first (its covers flattened, its fades and the headline's resolve run
    // out): what is timed is what a save sets off, not the shelf's first seconds.
    QEventLoop settle;
    QTimer::singleShot(3000, &settle, &QEventLoop::quit);
    settle.exec();

    Notebook notebook = *library->notebook(library->notebooks.get().front().id);
    TextItem note = *notebook.pages.front().items.front().text();
    int64_t edit = 0;
    for (auto _ : state) {
        note.text = "An edited note, version " + std::to_string(++edit);
        const double cpu0 = threadSeconds();
        notebook.pages.front().items.front() = PageItem(note);
        notebook.updated = ReferenceClock::now();
        library->save(notebook, false);
        QApplication::processEvents();
        state.SetIterationTime(threadSeconds() - cpu0);
    }
    state.counters["notebooks"] = double(count);
    stand.reset();
    library->flush();
    library.reset();
    press.reset();
    scheduler->finish();
}
BENCHMARK(SaveWithShelf)
    ->ArgsProduct({{100, 1000, 5000}, {0, 1}})
    ->ArgNames({"notebooks", "shown"})
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

}  // namespace
