// Pen outlines a second, counted in input points: handwriting-like strokes of 40 and 400
// pointer samples with pressure (a stylus), without (a finger or mouse: pressure from the
// pen's speed) and as a marker, as the page's ink strokes outline them.
#include "ink/Freehand.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

using namespace nolby;

namespace {

// Loops like running script: a curve advancing to the right while circling, the pen
// speeding up and slowing down, samples about 2 points apart.
std::vector<Freehand::Sample> stroke(int n, bool pressure) {
    std::vector<Freehand::Sample> out;
    out.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double t = i * 0.11;
        const double speed = 1 + 0.5 * std::sin(t * 0.7);
        const Point p{20 + 3.1 * t * speed + 6 * std::cos(t * 2.3), 100 + 7 * std::sin(t * 2.3) + 2 * std::sin(t * 0.4)};
        out.push_back({p, pressure ? 0.35 + 0.3 * std::sin(t * 1.3) * std::sin(t * 1.3) : 0.5});
    }
    return out;
}

Freehand::Options pen(bool simulate) { return {2.2, 0.55, 0.42, 6, 8, 0.25, simulate}; }
Freehand::Options marker() { return {14, 0, 0.55, 0, 0, 0.25, false}; }

void run(benchmark::State& state, const std::vector<Freehand::Sample>& samples, const Freehand::Options& o) {
    for (auto _ : state) {
        Path path = Freehand::outline(samples, o);
        benchmark::DoNotOptimize(path);
    }
    state.counters["points/s"] = benchmark::Counter(static_cast<double>(state.iterations() * samples.size()),
                                                    benchmark::Counter::kIsRate);
}

void stylus(benchmark::State& state) { run(state, stroke(static_cast<int>(state.range(0)), true), pen(false)); }
void finger(benchmark::State& state) { run(state, stroke(static_cast<int>(state.range(0)), false), pen(true)); }
void highlighter(benchmark::State& state) { run(state, stroke(static_cast<int>(state.range(0)), true), marker()); }

}  // namespace

BENCHMARK(stylus)->Arg(40)->Arg(400);
BENCHMARK(finger)->Arg(40)->Arg(400);
BENCHMARK(highlighter)->Arg(40)->Arg(400);
