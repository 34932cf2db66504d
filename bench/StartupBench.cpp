// Start-up to the first laid block: the handwriting faces registered, then the first
// formula typeset and emitted, in a fresh process each time (every font, shaping and
// layout cache cold). Each iteration forks a child that does the work and reports its own
// clock readings, so process creation is not counted.
#include "ink/Faces.h"
#include "ink/Ink.h"
#include "ink/math/MathInk.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <sys/wait.h>
#include <unistd.h>

using namespace nolby;

namespace {

struct Times {
    double faces = 0, formula = 0;  // seconds
};

Times coldStart() {
    using clock = std::chrono::steady_clock;
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
    return {std::chrono::duration<double>(t1 - t0).count(), std::chrono::duration<double>(t2 - t1).count()};
}

void startToFirstFormula(benchmark::State& state) {
    double faces = 0, formula = 0;
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
        state.SetIterationTime(t.faces + t.formula);
        faces += t.faces;
        formula += t.formula;
    }
    const double n = static_cast<double>(state.iterations());
    if (n > 0) {
        state.counters["faces_ms"] = 1000 * faces / n;
        state.counters["formula_ms"] = 1000 * formula / n;
    }
}

}  // namespace

BENCHMARK(startToFirstFormula)->UseManualTime()->Unit(benchmark::kMillisecond);
