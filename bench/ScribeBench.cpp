// The writer's scheduler on a long reply: one pump that turns 500 ready operations into
// strokes, and a reply streaming in as 50 blocks of 10 operations, each block's return
// from the pre-render running the scheduler (lead gate included).
#include "ink/ops/PhraseOp.h"
#include "writing/Scribe.h"

#include <benchmark/benchmark.h>

using namespace nolby;

namespace {

// Work without ink, so the pre-render has nothing to draw and only scheduling is measured.
class Blank final : public InkOp {
public:
    explicit Blank(double cost) : cost_(cost) {}
    double cost() const override { return cost_; }

private:
    double cost_;
};

class QuietStage final : public Scribe::Stage {
public:
    size_t strokes = 0;
    void taken(const Uuid&) override {}
    void add(const std::vector<Scribe::Stroke>& s) override { strokes += s.size(); }
    void advance(double) override {}
    void finishAll(const std::vector<Scribe::Stroke>&) override {}
};

std::vector<InkOpRef> block(int n) {
    std::vector<InkOpRef> ops;
    for (int i = 0; i < n; ++i) {
        InkOpRef op = i % 3 == 0 ? InkOpRef(std::make_shared<Blank>(40))
                                 : InkOpRef(std::make_shared<PhraseOp>(std::vector<PhraseOp::Run>{}, 400.0));
        op->pause = i == 0 ? 0.4 : 0;
        ops.push_back(op);
    }
    return ops;
}

void BM_PumpReadyReply(benchmark::State& state) {
    const Uuid page = Uuid::random();
    auto ops = block(500);
    for (auto _ : state) {
        state.PauseTiming();
        auto sched = std::make_shared<ManualScheduler>();
        auto scribe = std::make_shared<Scribe>(sched->clock(), sched);
        scribe->enqueue(page, Uuid::random(), ops, 0, false);
        sched->drain();
        auto stage = std::make_shared<QuietStage>();
        state.ResumeTiming();
        scribe->attach(stage, page, 0);  // one pump: 500 strokes
        benchmark::DoNotOptimize(stage->strokes);
    }
}
BENCHMARK(BM_PumpReadyReply)->Unit(benchmark::kMicrosecond);

void BM_StreamedReply(benchmark::State& state) {
    const Uuid page = Uuid::random();
    std::vector<std::vector<InkOpRef>> blocks(50, block(10));
    for (auto _ : state) {
        auto sched = std::make_shared<ManualScheduler>();
        auto scribe = std::make_shared<Scribe>(sched->clock(), sched);
        auto stage = std::make_shared<QuietStage>();
        scribe->attach(stage, page, 0);
        scribe->composing(true);
        for (const auto& ops : blocks) {
            scribe->enqueue(page, Uuid::random(), ops, 0, false);
            sched->drain();
        }
        scribe->composing(false);
        benchmark::DoNotOptimize(stage->strokes);
    }
}
BENCHMARK(BM_StreamedReply)->Unit(benchmark::kMicrosecond);

}  // namespace
