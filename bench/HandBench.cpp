// Writing a 200-word paragraph with markup and inline maths by hand: the layout every
// block and figure calls. One paragraph must stay far below the 4 ms the app treats as slow.
#include "ink/Hand.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace nolby;

namespace {

std::string paragraph() {
    const std::string sentence =
        "The **area** of a circle grows with the square of its radius, so $A = \\pi r^2$ and doubling "
        "the radius makes it __four times__ as big; try `r = 3` and ((check)) the answer. ";
    std::string text;
    while (text.size() < 1300) text += sentence;  // about 200 words
    return text;
}

void writeParagraph(benchmark::State& state) {
    Faces::registerFrom();
    const std::string text = paragraph();
    uint64_t seed = 1;
    for (auto _ : state) {
        Hand hand(seed++);
        benchmark::DoNotOptimize(hand.write(text, 24, 20, 352));
    }
    state.counters["paragraphs/s"] = benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

BENCHMARK(writeParagraph)->Unit(benchmark::kMillisecond);
