// Sketchy shapes a second: two-pass lines, two-pass ellipses and hatch-filled rounded
// rectangles, each at 100, 300 and 600 points across, as figures draw them.
#include "ink/Rough.h"

#include <benchmark/benchmark.h>

#include <vector>

using namespace nolby;

namespace {

Rough figureRough() { return Rough(42, 1, 1.054, 2, 0.62); }

void report(benchmark::State& state) {
    state.counters["shapes/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void lines(benchmark::State& state) {
    const double size = static_cast<double>(state.range(0));
    Rough rough = figureRough();
    for (auto _ : state) {
        Path path;
        rough.line(path, 10, 10, 10 + size, 10 + size * 0.3, 2);
        benchmark::DoNotOptimize(path);
    }
    report(state);
}

void ellipses(benchmark::State& state) {
    const double size = static_cast<double>(state.range(0));
    Rough rough = figureRough();
    for (auto _ : state) {
        Path path;
        rough.ellipse(path, size, size, size, size * 0.7, 2);
        benchmark::DoNotOptimize(path);
    }
    report(state);
}

// The outline and its hatching at the figure angle and a figure-sized gap.
void hatchedRects(benchmark::State& state) {
    const double size = static_cast<double>(state.range(0));
    const std::vector<std::vector<Point>> polygon{{{0, 0}, {size, 0}, {size, size * 0.6}, {0, size * 0.6}}};
    Rough rough = figureRough();
    for (auto _ : state) {
        Path path;
        rough.rect(path, 0, 0, size, size * 0.6, true, 2);
        rough.hachure(path, polygon, 8, -41);
        benchmark::DoNotOptimize(path);
    }
    report(state);
}

}  // namespace

BENCHMARK(lines)->Arg(100)->Arg(300)->Arg(600);
BENCHMARK(ellipses)->Arg(100)->Arg(300)->Arg(600);
BENCHMARK(hatchedRects)->Arg(100)->Arg(300)->Arg(600);
