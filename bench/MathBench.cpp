// Typesetting a fixed list of formulas: measure, then the drawing pass, as both callers do.
#include "ink/Faces.h"
#include "ink/Ink.h"
#include "ink/math/MathInk.h"

#include <benchmark/benchmark.h>

using namespace nolby;

namespace {

const char* kFormulas[] = {
    "A = \\pi r^2",
    "\\frac{a+b}{2} \\geq \\sqrt{ab}",
    "x = \\frac{-b \\pm \\sqrt{b^2 - 4ac}}{2a}",
    "\\int_0^1 x^2\\,dx = \\frac{1}{3}",
    "\\sum_{i=1}^{n} i = \\frac{n(n+1)}{2}",
    "e^{i\\pi} + 1 = 0",
    "\\lim_{x \\to 0} \\frac{\\sin x}{x} = 1",
    "f'(x) = \\lim_{h \\to 0} \\frac{f(x+h) - f(x)}{h}",
    "\\left( \\frac{1}{2} \\right)^{n} \\to 0",
    "\\vec{F} = m\\vec{a}",
    "\\note{red}{slope}{m} x + \\note{blue}{intercept}{c}",
    "\\binom{n}{k} = \\frac{n!}{k!(n-k)!}",
};

void typeset(benchmark::State& state) {
    Faces::registerFrom();
    uint64_t seed = 1;
    for (auto _ : state) {
        for (const char* tex : kFormulas) {
            MathInk ink(seed++);
            ink.measure(tex, 20, false);
            std::vector<InkOpRef> ops;
            std::vector<MathInk::Note> notes;
            ink.draw(tex, 20, Ink::ink, false, 0, 0, ops, notes);
            benchmark::DoNotOptimize(ops);
        }
    }
    state.counters["formulas/s"] =
        benchmark::Counter(static_cast<double>(std::size(kFormulas)), benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

BENCHMARK(typeset)->Unit(benchmark::kMillisecond);
