// Shaping and outlining handwriting: 10,000 words a run, outlines cached after the first.
#include "ink/Faces.h"
#include "ink/Rng.h"
#include "platform/TextLine.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

using namespace nolby;

namespace {

std::vector<std::string> words(size_t n) {
    static const char* vocabulary[] = {"the", "area", "of", "a", "circle", "grows", "with", "square", "radius",
                                       "so", "doubling", "it", "makes", "four", "times", "as", "much", "paint",
                                       "ink", "fraction", "equals", "half", "triangle", "angle", "sum"};
    std::vector<std::string> out;
    Rng rng(1);
    for (size_t i = 0; i < n; ++i) out.push_back(vocabulary[rng.next() % std::size(vocabulary)]);
    return out;
}

void shapeAndOutline(benchmark::State& state, Faces::Face face) {
    Faces::registerFrom();
    auto font = Faces::font(face, 17);
    auto list = words(10000);
    for (auto _ : state) {
        for (const auto& w : list) {
            TextLine line = TextLine::shape(w, *font);
            benchmark::DoNotOptimize(line.outline());
        }
    }
    state.counters["words/s"] = benchmark::Counter(static_cast<double>(list.size()), benchmark::Counter::kIsIterationInvariantRate);
}

void shapeOnly(benchmark::State& state) {
    Faces::registerFrom();
    auto font = Faces::font(Faces::Face::hand, 17);
    auto list = words(10000);
    for (auto _ : state)
        for (const auto& w : list) benchmark::DoNotOptimize(TextLine::shape(w, *font).width);
    state.counters["words/s"] = benchmark::Counter(static_cast<double>(list.size()), benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

BENCHMARK_CAPTURE(shapeAndOutline, hand, Faces::Face::hand)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(shapeAndOutline, round, Faces::Face::round)->Unit(benchmark::kMillisecond);
BENCHMARK(shapeOnly)->Unit(benchmark::kMillisecond);
