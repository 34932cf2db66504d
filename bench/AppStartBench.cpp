// Start-up: from starting build/bin/nolby to its first drawn shelf, with 100 issues that have
// printed covers in the data folder. The app is run as a process ("-quit-after-shelf" ends it
// once the shelf has been painted) on the offscreen platform; each iteration is one launch,
// timed by the wall clock. The goal is a median under 400 ms.
#include "AppLaunch.h"
#include "CoveredIssues.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace nolby;

namespace {

void StartToFirstShelf(benchmark::State& state) {
    const bench::AppHome home("nolby-bench-start");
    bench::writeCoveredIssues(home.appData(), 100);
    nolby::bench::homeForApp(home.path, false);
    const std::string path = nolby::bench::appBeside().string();
    char arg0[] = "nolby";
    char arg1[] = "-quit-after-shelf";
    char* argv[] = {arg0, arg1, nullptr};
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        pid_t pid = 0;
        if (posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ) != 0) {
            state.SkipWithError("build/bin/nolby could not be started");
            break;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            const std::string why = WIFEXITED(status) ? "exit " + std::to_string(WEXITSTATUS(status)) : "signal " + std::to_string(WTERMSIG(status));
            state.SkipWithError(("nolby did not end cleanly: " + why).c_str());
            break;
        }
        state.SetIterationTime(seconds);
    }
}
BENCHMARK(StartToFirstShelf)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(9)->ReportAggregatesOnly(true);

}  // namespace
