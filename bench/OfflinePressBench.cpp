// An issue opened offline in a library of issues without covers: build/bin/nolby is started on
// the newest of `issues` titled issues (none has a cover, so the press asks for every one),
// with the gateway's address pointing at a closed loopback port, and left alone for the
// second argument's seconds. Measured: the main thread's CPU time over that wall time
// (main_cpu_s, from /proc/<pid>/task/<pid>/stat) and the whole process's (process_cpu_s).
// The goal is that failing paint requests cost the main thread next to nothing (no relayout,
// no repaint of what did not change): 1,000 issues cost about what one does.
// NOLBY_BENCH_APP names another build's nolby to measure (for a side-by-side run).
#include "AppLaunch.h"
#include "CoveredIssues.h"
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

using namespace nolby;

namespace {

std::filesystem::path app() {
    if (const char* other = std::getenv("NOLBY_BENCH_APP")) return other;
    return nolby::bench::appBeside();
}


void OpenIssueOffline(benchmark::State& state) {
    const bench::AppHome home("nolby-bench-offline");
    bench::writeIssues(home.appData(), static_cast<int>(state.range(0)), false);
    nolby::bench::homeForApp(home.path, true);
    const std::string path = app().string();
    char arg0[] = "nolby";
    char arg1[] = "-open";
    char arg2[] = "newest";
    char* argv[] = {arg0, arg1, arg2, nullptr};
    for (auto _ : state) {
        pid_t pid = 0;
        if (posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ) != 0) {
            state.SkipWithError("nolby could not be started");
            break;
        }
        const auto start = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(state.range(1)));
        const double main = bench::mainThreadCpuSeconds(pid);
        const double all = bench::cpuSeconds(pid);
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
        if (main < 0 || all < 0) {
            state.SkipWithError("nolby ended while it was measured");
            break;
        }
        state.SetIterationTime(wall);
        state.counters["main_cpu_s"] = main;
        state.counters["process_cpu_s"] = all;
    }
}
BENCHMARK(OpenIssueOffline)
    ->ArgNames({"issues", "for"})
    ->Args({1000, 15})
    ->Args({1, 15})  // the floor: starting and showing a lone issue
    ->UseManualTime()
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

}  // namespace
