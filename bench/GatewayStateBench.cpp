// Allowance checks a second on each of the gateway's stores: in memory, in a SQLite file and
// in a Redis server on loopback (a redis-server of the bench's own). A check takes one of an
// installation's lessons and charges it, as a lesson request does; 1000 installations take
// turns. With 8 threads they run at once, as a gateway's workers do.
#include "../tests/gateway/RedisProcess.h"

#include "Allowance.h"
#include "GatewayState.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <filesystem>

using namespace nolby;

namespace {

const char* const kStores[] = {"memory", "sqlite", "redis"};

struct Stores {
    std::filesystem::path folder;
    testing::RedisProcess redis;
    std::shared_ptr<service::GatewayState> state[3];

    Stores() {
        std::string made = (std::filesystem::temp_directory_path() / "nolby-bench-state-XXXXXX").string();
        folder = mkdtemp(made.data());
        state[0] = service::memoryState();
        state[1] = service::sqliteState(folder / "state.sqlite");
        if (redis.running()) state[2] = service::redisState(redis.url());
    }
    ~Stores() { std::filesystem::remove_all(folder); }
};

Stores& stores() {
    static Stores s;
    return s;
}

void BM_AllowanceCheck(benchmark::State& state) {
    const std::shared_ptr<service::GatewayState>& store = stores().state[state.range(0)];
    if (!store) {
        state.SkipWithError(stores().redis.why.c_str());
        return;
    }
    service::Allowance allowance(store, std::nullopt);
    const int64_t now = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    int64_t i = state.thread_index() * 7919;
    for (auto _ : state) {
        std::shared_ptr<service::Allowance::Hold> hold = allowance.hold("installation-" + std::to_string(i++ % 1000), now / 86400, now);
        hold->charge();
    }
    state.SetLabel(kStores[state.range(0)]);
    state.counters["checks_per_s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_AllowanceCheck)->ArgName("store")->DenseRange(0, 2)->Threads(1)->Threads(8)->UseRealTime();

}  // namespace
