// The raster cache's hit path: the page stage asks for every settled item's bitmap on each
// sync, so a hit must cost well under a microsecond.
#include "writing/InkRaster.h"

#include <benchmark/benchmark.h>

#include <vector>

using namespace nolby;

namespace {

class Dot final : public InkOp {
public:
    Rect bounds() const override { return {0, 0, 4, 4}; }
};

void BM_RasterHit(benchmark::State& state) {
    auto sched = std::make_shared<ManualScheduler>();
    auto cache = std::make_shared<InkRaster>(sched);
    std::vector<InkOpRef> ops{std::make_shared<Dot>()};
    std::vector<Uuid> ids;
    for (size_t i = 0; i < InkRaster::limit; ++i) {
        ids.push_back(Uuid::random());
        cache->now(ids.back(), i, ops, 3);
    }
    size_t i = 0;
    for (auto _ : state) {
        auto hit = cache->raster(ids[i], i, ops, 3);
        benchmark::DoNotOptimize(hit);
        if (++i == ids.size()) i = 0;
    }
}
BENCHMARK(BM_RasterHit);

}  // namespace
