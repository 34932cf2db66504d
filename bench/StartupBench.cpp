// Start-up to the first laid blocks: the handwriting faces registered, then the first
// formula typeset and emitted and the first paragraph laid out, in a fresh process each
// time (every font, shaping, layout and text-break cache cold). Each iteration forks a child that does the work and reports its own
// clock readings, so process creation is not counted.
#include "ink/Faces.h"
#include "ink/Ink.h"
#include "ink/J.h"
#include "ink/blocks/Blocks.h"
#include "ink/math/MathInk.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <sys/wait.h>
#include <unistd.h>

using namespace nolby;

namespace {

struct Times {
    double faces = 0, formula = 0, paragraph = 0;  // seconds
    double cpu = 0;  // the child's processor time for all three, seconds: on a busy machine
                     // the wall clock also counts waiting for a core
};

double processorSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

Times coldStart() {
    using clock = std::chrono::steady_clock;
    const double cpu0 = processorSeconds();
    const auto t0 = clock::now();
    Faces::registerFrom();
    const auto t1 = clock::now();
    const std::string tex = "x = \\frac{-b \\pm \\sqrt{b^2 - 4ac}}{2a}";
    MathInk ink(1);
    ink.measure(tex, 21, true);
    std::vector<InkOpRef> ops;
    std::vector<MathInk::Note> notes;
    ink.draw(tex, 21, Ink::ink, true, 0, 0, ops, notes);
    benchmark::DoNotOptimize(ops);
    const auto t2 = clock::now();
    const auto block = J::parse(R"({"t":"p","text":"A fraction names **equal parts** of a whole: the bottom says how many )"
                                R"(parts, the top how many you take. Two quarters make a half."})");
    Laid laid = Blocks{}.lay(*block, 7);
    benchmark::DoNotOptimize(laid);
    const auto t3 = clock::now();
    auto seconds = [](auto d) { return std::chrono::duration<double>(d).count(); };
    return {seconds(t1 - t0), seconds(t2 - t1), seconds(t3 - t2), processorSeconds() - cpu0};
}

void startToFirstFormula(benchmark::State& state) {
    double faces = 0, formula = 0, paragraph = 0, cpu = 0;
    for (auto _ : state) {
        int fds[2];
        if (pipe(fds) != 0) {
            state.SkipWithError("pipe");
            break;
        }
        pid_t child = fork();
        if (child == 0) {
            close(fds[0]);
            Times t = coldStart();
            ssize_t written = write(fds[1], &t, sizeof t);
            _exit(written == sizeof t ? 0 : 1);
        }
        close(fds[1]);
        Times t;
        ssize_t got = child > 0 ? read(fds[0], &t, sizeof t) : -1;
        close(fds[0]);
        int status = 0;
        if (child > 0) waitpid(child, &status, 0);
        if (got != sizeof t) {
            state.SkipWithError("the child did not report");
            break;
        }
        state.SetIterationTime(t.faces + t.formula + t.paragraph);
        faces += t.faces;
        formula += t.formula;
        paragraph += t.paragraph;
        cpu += t.cpu;
    }
    const double n = static_cast<double>(state.iterations());
    if (n > 0) {
        state.counters["faces_ms"] = 1000 * faces / n;
        state.counters["formula_ms"] = 1000 * formula / n;
        state.counters["paragraph_ms"] = 1000 * paragraph / n;
        state.counters["cpu_ms"] = 1000 * cpu / n;
    }
}

}  // namespace

BENCHMARK(startToFirstFormula)->UseManualTime()->Unit(benchmark::kMillisecond);
