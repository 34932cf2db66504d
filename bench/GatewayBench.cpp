// The gateway on loopback, token cached: how soon the first line of a reply reaches the
// main thread, and how many lines a second the client hands over while a reply streams.
#include "DemoTutor.h"
#include "EventStream.h"
#include "Service.h"

#include "tutor/Gateway.h"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>

using namespace nolby;

namespace {

double seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// One service, one client, one token for the whole run.
struct Rig {
    service::GatewayService served{[] {
        service::Options o;
        o.port = 0;
        o.demoPace = 0;
        o.control = true;  // scripted replies
        return o;
    }()};
    std::filesystem::path home;
    std::shared_ptr<LoopScheduler> loop = std::make_shared<LoopScheduler>();
    std::shared_ptr<Gateway> gateway;

    Rig() {
        served.start();
        std::string tmpl = (std::filesystem::temp_directory_path() / "nolby-bench-XXXXXX").string();
        home = mkdtemp(tmpl.data());
        gateway = Gateway::make(loop, served.base(), std::make_shared<TokenStore>(home), Attestor::unsupported());
        run([](std::string_view) {});  // logs in
    }
    ~Rig() { std::filesystem::remove_all(home); }

    // One "v1/messages" request, its lines handed to `line` on the main loop.
    template <class Line>
    void run(Line&& line) {
        bool ended = false;
        Gateway::Reader reader;
        reader.lines = true;
        reader.onBody = [&](std::string_view l) { line(l); };
        reader.onEnd = [&](std::exception_ptr) { ended = true; };
        gateway->send("v1/messages", {{"messages", nlohmann::json::array()}}, {}, 30, std::move(reader));
        loop->runUntil([&] { return ended; }, 60);
    }

    void queue(const std::string& text) {
        Http::Request r;
        r.url = Gateway::url(served.base(), "_control/queue");
        r.headers = {{"content-type", "application/json"}};
        r.body = nlohmann::json{{"text", text}}.dump();
        Http::fetch(r, 1 << 20);
    }
};

Rig& rig() {
    static Rig r;
    return r;
}

// From send() to the first line on the main thread, per iteration; `prepare` runs before
// each, outside the time.
template <class Prepare>
void firstLine(benchmark::State& state, Prepare&& prepare) {
    Rig& r = rig();
    std::vector<double> times;
    for (auto _ : state) {
        prepare(r);
        const double start = seconds();
        double first = 0;
        r.run([&](std::string_view) {
            if (first == 0) first = seconds();
        });
        state.SetIterationTime(first - start);
        times.push_back(first - start);
    }
    std::sort(times.begin(), times.end());
    state.counters["median_ms"] = times[times.size() / 2] * 1000;
}

// The demo tutor's reply.
void BM_FirstLine(benchmark::State& state) {
    firstLine(state, [](Rig&) {});
}
BENCHMARK(BM_FirstLine)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(300);

// A short scripted reply: the transport alone, without the demo's lesson.
void BM_FirstLineQueued(benchmark::State& state) {
    firstLine(state, [](Rig& r) { r.queue("{\"t\":\"p\",\"text\":\"hi\"}\n"); });
}
BENCHMARK(BM_FirstLineQueued)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(300);

// Lines of the event stream handed to the main thread per second, for a long reply.
void BM_Lines(benchmark::State& state) {
    Rig& r = rig();
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += "{\"t\":\"p\",\"text\":\"line " + std::to_string(i) + ": the quick brown fox jumps over it\"}\n";
    int64_t lines = 0;
    for (auto _ : state) {
        state.PauseTiming();
        r.queue(text);
        state.ResumeTiming();
        r.run([&](std::string_view) { ++lines; });
    }
    state.counters["lines"] = benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Lines)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// The service's own work for one demo reply: the lesson and its events.
void BM_DemoReply(benchmark::State& state) {
    const nlohmann::json body = {{"messages", nlohmann::json::array()}};
    for (auto _ : state) benchmark::DoNotOptimize(service::events(service::DemoTutor::reply(body), {}));
}
BENCHMARK(BM_DemoReply)->Unit(benchmark::kMicrosecond);

}  // namespace
