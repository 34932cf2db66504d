// Start-up as the library grows: from starting build/bin/nolby to its first drawn shelf with
// 100, 1,000 and 5,000 notebooks of three mixed pages (about 50 KB a file) and no covers,
// run as a process ("-quit-after-shelf" ends it once the shelf has been painted) on the
// offscreen platform. Each iteration is one launch, timed by the wall clock; cpu_ms is the
// process's CPU time (all its threads; on a busy machine the steadier figure), peak_rss_mb
// its peak resident memory and files_mb the notebook files' size. The goals are
// a first shelf under 0.5 s with 1,000 and under 1.5 s with 5,000, and memory no more than
// the files' size over what an empty library takes.
#include "AppLaunch.h"
#include "MixedNotebooks.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace nolby;

namespace {

// A home of `count` notebooks (data, config and runtime folders), made once per count.
const bench::AppHome& homeOf(int count) {
    static std::map<int, std::unique_ptr<bench::AppHome>> homes;
    auto& home = homes[count];
    if (!home) {
        home = std::make_unique<bench::AppHome>("nolby-bench-librarystart");
        bench::writeMixedNotebooks(home->appData(), count, 3);
    }
    return *home;
}

double megabytesIn(const std::filesystem::path& folder) {
    std::error_code ec;
    uintmax_t bytes = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        if (entry.is_regular_file(ec)) bytes += entry.file_size(ec);
    return double(bytes) / (1 << 20);
}

void StartWithNotebooks(benchmark::State& state) {
    const int count = int(state.range(0));
    const bench::AppHome& home = homeOf(count);
    nolby::bench::homeForApp(home.path, false);
    const std::string path = nolby::bench::appBeside().string();
    char arg0[] = "nolby";
    char arg1[] = "-quit-after-shelf";
    char* argv[] = {arg0, arg1, nullptr};
    double peak = 0, cpu = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        pid_t pid = 0;
        if (posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ) != 0) {
            state.SkipWithError("build/bin/nolby could not be started");
            break;
        }
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("nolby did not end cleanly");
            break;
        }
        peak = std::max(peak, double(usage.ru_maxrss) / 1024);
        cpu += (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
        state.SetIterationTime(seconds);
    }
    state.counters["peak_rss_mb"] = peak;
    state.counters["cpu_ms"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
    state.counters["files_mb"] = megabytesIn(home.appData() / "Notebooks");
}
BENCHMARK(StartWithNotebooks)
    ->Arg(0)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(5000)
    ->ArgName("notebooks")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
