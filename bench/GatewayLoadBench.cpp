// The nolby-gateway program under load, as the app's users would load it: 200 clients at
// once, each logging in, streaming a demo lesson (at the demo's own pace, as a model would
// stream it) and fetching a painting. Reported: lessons a second, the time from asking to
// the first event of the reply (median and 99th percentile), the gateway's peak memory, and
// the replies that were not 200. The second run does the same while 80 slow clients from
// another address hold connections open, each sending a header byte every 2 s (and
// connecting again when the gateway cuts them off). The third run spreads the 200 clients
// over two gateways that share a Redis server (a redis-server of the bench's own), as a
// load balancer would: each client logs in at one and asks its lesson of the other, and
// each installation has one lesson a day.
#include "../tests/gateway/GatewayProcess.h"
#include "../tests/gateway/RedisProcess.h"

#include "tutor/Gateway.h"
#include "tutor/Http.h"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

using namespace nolby;
using nolby::testing::GatewayProcess;
using nolby::testing::RawClient;
using nolby::testing::RedisProcess;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kClients = 200;

struct Round {
    std::mutex mutex;
    std::vector<double> firstEvent;  // seconds, one a lesson
    int lessons = 0;
    int failures = 0;  // a step that did not answer 200
};

Http::Request request(const std::string& base, const std::string& path, const nlohmann::json& body,
                      const std::string& token = "") {
    Http::Request r;
    r.url = Gateway::url(base, path);
    r.headers = {{"content-type", "application/json"}};
    if (!token.empty()) r.headers.push_back({"authorization", "Bearer " + token});
    r.body = body.dump();
    r.timeout = 60;
    return r;
}

// One client: logs in at one gateway, streams a lesson and fetches a painting at another
// (or the same).
void client(const std::string& loginBase, const std::string& base, int n, Round& round) {
    Http::Reply login = Http::fetch(request(loginBase, "v1/attest", {{"unsupported", true}}), 1 << 16);
    const nlohmann::json answer = nlohmann::json::parse(login.body, nullptr, false);
    const std::string token = answer.is_object() ? answer.value("token", "") : "";
    if (login.status != 200 || token.empty()) {
        std::lock_guard lock(round.mutex);
        ++round.failures;
        return;
    }
    const nlohmann::json ask = {{"messages", {{{"role", "user"}, {"content", "Question " + std::to_string(n)}}}}};
    Http::Request lesson = request(base, "v1/messages", ask, token);
    lesson.headers.push_back({"x-nolby-op", "lesson"});
    int status = 0;
    std::optional<double> first;
    const Clock::time_point asked = Clock::now();
    Http::Events events;
    events.head = [&](int s) { status = s; };
    events.body = [&](std::string_view) {
        if (!first) first = std::chrono::duration<double>(Clock::now() - asked).count();
    };
    const bool streamed = !Http::perform(lesson, events) && status == 200 && first;
    Http::Reply painting = Http::fetch(
        request(base, "v1/paint", {{"kind", "sketch"}, {"subject", "a kite " + std::to_string(n)}, {"aspect", "4:3"}}, token),
        size_t(1) << 24);
    std::lock_guard lock(round.mutex);
    if (streamed) {
        ++round.lessons;
        round.firstEvent.push_back(*first);
    } else {
        ++round.failures;
    }
    if (painting.status != 200) ++round.failures;
}

// Slow clients: each connection sends a byte of an endless header every 2 s.
struct Dribblers {
    std::atomic<bool> running{true};
    std::thread thread;

    Dribblers(int port, int count) {
        thread = std::thread([this, port, count] {
            std::vector<std::unique_ptr<RawClient>> slow;
            const std::string start = "POST /v1/challenge HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\nX-Slow: ";
            while (running) {
                for (int i = 0; i < count; ++i) {
                    if (i >= static_cast<int>(slow.size())) slow.push_back(nullptr);
                    if (!slow[i] || slow[i]->closedByService() || slow[i]->heardFrom()) {
                        slow[i] = std::make_unique<RawClient>(port, "127.0.0.2");
                        slow[i]->send(start);
                    } else {
                        slow[i]->send("a");
                    }
                }
                for (int t = 0; t < 20 && running; ++t) std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // all connected before the clients come
    }
    ~Dribblers() {
        running = false;
        thread.join();
    }
};

// Rounds of 200 clients; `bases` are the gateways they spread over.
void rounds(benchmark::State& state, const std::vector<std::string>& bases, const std::vector<GatewayProcess*>& gateways) {
    Round total;
    double seconds = 0;
    for (auto _ : state) {
        Round round;
        const Clock::time_point start = Clock::now();
        std::vector<std::thread> clients;
        for (int i = 0; i < kClients; ++i)
            clients.emplace_back([&, i] { client(bases[i % bases.size()], bases[(i + 1) % bases.size()], i, round); });
        for (std::thread& t : clients) t.join();
        const double took = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(took);
        seconds += took;
        total.lessons += round.lessons;
        total.failures += round.failures;
        total.firstEvent.insert(total.firstEvent.end(), round.firstEvent.begin(), round.firstEvent.end());
    }
    std::sort(total.firstEvent.begin(), total.firstEvent.end());
    auto at = [&](double q) {
        if (total.firstEvent.empty()) return -1.0;
        return total.firstEvent[std::min(total.firstEvent.size() - 1, static_cast<size_t>(q * total.firstEvent.size()))] * 1000;
    };
    state.counters["lessons_per_s"] = seconds > 0 ? total.lessons / seconds : 0;
    state.counters["first_event_p50_ms"] = at(0.5);
    state.counters["first_event_p99_ms"] = at(0.99);
    long peak = 0;
    for (GatewayProcess* g : gateways) peak = std::max(peak, g->peakKiB());
    state.counters["peak_rss_mb"] = peak / 1024.0;
    state.counters["not_200"] = total.failures;
}

void BM_GatewayLoad(benchmark::State& state) {
    GatewayProcess gateway({"--port", "0"});
    if (gateway.base.empty()) {
        state.SkipWithError("nolby-gateway did not start");
        return;
    }
    std::unique_ptr<Dribblers> dribblers;
    if (state.range(0) > 0) dribblers = std::make_unique<Dribblers>(gateway.port, static_cast<int>(state.range(0)));
    rounds(state, {gateway.base}, {&gateway});
}
BENCHMARK(BM_GatewayLoad)->ArgName("slow")->Arg(0)->Arg(80)->Iterations(3)->UseManualTime()->Unit(benchmark::kSecond);

void BM_GatewayLoadOnRedis(benchmark::State& state) {
    RedisProcess redis;
    if (!redis.running()) {
        state.SkipWithError(redis.why.c_str());
        return;
    }
    const std::string secret = (redis.folder / "secret").string();
    const std::vector<std::string> args = {"--port", "0", "--redis", redis.url(), "--secret-file", secret, "--allowance", "1"};
    GatewayProcess one(args), two(args);
    if (one.base.empty() || two.base.empty()) {
        state.SkipWithError("nolby-gateway did not start");
        return;
    }
    rounds(state, {one.base, two.base}, {&one, &two});
}
BENCHMARK(BM_GatewayLoadOnRedis)->Iterations(3)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
