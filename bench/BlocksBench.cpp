// Laying out a page of mixed reply blocks. Every block must stay far below the 4 ms the
// app's timing log treats as slow.
#include "ink/Faces.h"
#include "ink/Ink.h"
#include "ink/blocks/Blocks.h"

#include <benchmark/benchmark.h>

using namespace nolby;

namespace {

const char* kPage[] = {
    R"({"t":"h","text":"Area of a circle"})",
    R"({"t":"p","text":"The **area** grows with the square of the radius: $A = \\pi r^2$, so doubling $r$ makes it four times as big."})",
    R"({"t":"p","text":"Think of the circle as thin rings: unrolled, they make a triangle of base $2\\pi r$ and height $r$, whose area is $\\frac{1}{2} \\cdot 2\\pi r \\cdot r$."})",
    R"({"t":"list","items":["measure the radius","square it","multiply by $\\pi$"]})",
    R"({"t":"quote","text":"Do not worry about your difficulties in mathematics.","by":"A. Einstein"})",
    R"({"t":"math","tex":"A = \\note{blue}{constant}{\\pi} \\note{red}{radius squared}{r^2}","box":true})",
};

void layBlock(benchmark::State& state) {
    Faces::registerFrom();
    Blocks blocks{{400, 869}, Ink::color(std::string("blue"), Ink::ink)};
    J block = *J::parse(kPage[state.range(0)]);
    uint64_t seed = 1;
    for (auto _ : state) benchmark::DoNotOptimize(blocks.lay(block, seed++));
    state.SetLabel(block.str("t", ""));
}

}  // namespace

BENCHMARK(layBlock)->DenseRange(0, 5)->Unit(benchmark::kMicrosecond);
