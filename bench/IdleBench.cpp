// Idle cost: what the app spends while the learner only looks. build/bin/nolby is started on
// a new notebook ("-open new": the sheet focused, the caret at its typing spot beside the
// prompt) and left alone; from the first argument's seconds on, it is measured for the
// second's: the process's CPU time (user and system, from /proc) over that wall time.
// At rest (the caret has stopped blinking, 14 s on, for 20 s) the goal is well under 1 % of
// a core; while the caret blinks (2 s to 10 s) it is shown for comparison. It runs on the window system the environment names (under xvfb-run,
// the X server; else the offscreen platform).
#include "AppLaunch.h"
#include "ProcCpu.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

using nolby::bench::cpuSeconds;

void FocusedSheet(benchmark::State& state) {
    const nolby::bench::AppHome home("nolby-bench-idle");
    nolby::bench::homeForApp(home.path, true);
    const std::string path = nolby::bench::appBeside().string();
    char arg0[] = "nolby";
    char arg1[] = "-open";
    char arg2[] = "new";
    char arg3[] = "-caret";  // drawn even where no window manager makes the window active
    char* argv[] = {arg0, arg1, arg2, arg3, nullptr};
    for (auto _ : state) {
        pid_t pid = 0;
        if (posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ) != 0) {
            state.SkipWithError("build/bin/nolby could not be started");
            break;
        }
        std::this_thread::sleep_for(std::chrono::seconds(state.range(0)));
        const double before = cpuSeconds(pid);
        const auto start = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(state.range(1)));
        const double after = cpuSeconds(pid);
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
        if (before < 0 || after < 0) {
            state.SkipWithError("nolby ended while it was measured");
            break;
        }
        state.SetIterationTime(wall);
        state.counters["cpu_percent"] = (after - before) / wall * 100;
    }
}
BENCHMARK(FocusedSheet)
    ->ArgNames({"from", "for"})
    ->Args({14, 20})  // at rest
    ->Args({2, 8})    // the caret blinking
    ->UseManualTime()
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

}  // namespace
