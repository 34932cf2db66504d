// The tutor turn's speed: a reply line of each block kind until its block is laid out,
// placed, primed and handed to the writer on a page of 40 items; the start of a turn on a
// full page (context, reading sweep and both pictures); and the first text delta of a reply
// through the model client on loopback.
#include "Service.h"

#include "ink/Faces.h"
#include "library/Library.h"
#include "model/NotebookModel.h"
#include "tutor/Claude.h"
#include "tutor/TutorSession.h"

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

// Median and slowest of the times, in milliseconds, as counters.
void report(benchmark::State& state, std::vector<double> times) {
    if (times.empty()) return;
    std::sort(times.begin(), times.end());
    state.counters["median_ms"] = times[times.size() / 2] * 1000;
    state.counters["max_ms"] = times.back() * 1000;
}

const bool kFaces = (Faces::registerFrom(), true);

struct Stream final : Gateway::Call {
    Claude::Handlers handlers;
    bool stopped = false;
    void cancel() override { stopped = true; }
    bool cancelled() const override { return stopped; }
};

// An open notebook with a tutor session whose reply the benchmark writes.
struct Turn {
    std::shared_ptr<ManualScheduler> scheduler = std::make_shared<ManualScheduler>();
    std::shared_ptr<Stream> stream = std::make_shared<Stream>();
    std::shared_ptr<NotebookModel> model;

    explicit Turn(Notebook n) {
        TutorSession::Services tutor;
        tutor.scheduler = scheduler;
        tutor.now = [] { return dateFromReference(800'000'000); };
        auto s = stream;
        tutor.stream = [s](const Claude::Request&, Claude::Handlers h) {
            s->handlers = std::move(h);
            s->stopped = false;
            return s;
        };
        tutor.paint = [](const std::string&, const std::string&, const std::string&, const std::optional<std::string>&,
                         Press::Reply) {};
        NotebookModel::Services services;
        services.clock = scheduler->clock();
        services.scheduler = scheduler;
        services.tutor = TutorSession::maker(tutor);
        model = NotebookModel::make(std::move(n), services);
        model->scroll.set(true);
        for (const Page& page : model->nb->pages)
            for (const PageItem& item : page.items) model->bounds(item);
    }
    TutorSession& session() { return static_cast<TutorSession&>(*model->session); }
    void start() {
        model->ask();
        scheduler->runPosted();
    }
};

// A learner note; read by the first turn unless `turn` is none.
TextItem note(double y, std::string text, std::optional<int64_t> turn = 0) {
    TextItem t;
    t.x = 28;
    t.y = y;
    t.width = 344;
    t.text = std::move(text);
    t.color = "learner";
    t.size = 17;
    t.turn = turn;
    return t;
}

// A page of 40 items: short notes read in earlier turns down its upper half, and a question.
Notebook fortyItems() {
    Notebook n;
    for (int i = 0; i < 39; ++i) n.pages[0].items.push_back(note(104 + i * 8, "a short note " + std::to_string(i)));
    n.pages[0].items.push_back(note(430, "Why does it work?", std::nullopt));
    n.turns.push_back(nolby::Turn{});
    return n;
}

const std::pair<const char*, const char*> kLines[] = {
    {"h", R"j({"t":"h","text":"Halves and quarters"})j"},
    {"p", R"j({"t":"p","text":"A fraction names **equal parts** of a whole: the bottom says how many parts, the top how many you take."})j"},
    {"math", R"j({"t":"math","tex":"\\note{teal}{a half}{\\frac{1}{2}} + \\frac{1}{4} = \\frac{3}{4}"})j"},
    {"list", R"j({"t":"list","items":["Cut into equal parts","Count the parts you take","Write top over bottom"]})j"},
    {"quote", R"j({"t":"quote","text":"What I cannot create, I do not understand.","by":"Richard Feynman"})j"},
    {"note", R"j({"t":"note","text":"Tip: say the rule out loud, then __use it once__.","c":"yellow"})j"},
    {"fig", R"j({"t":"fig","h":30,"items":[{"k":"pie","x":28,"y":15,"r":12,"n":4,"fill":[0,1]},{"k":"pie","x":72,"y":15,"r":12,"n":4,"fill":[2]}],"caption":"Half and a quarter"})j"},
    {"code", R"j({"t":"code","lines":[">>> from fractions import Fraction",">>> Fraction(1, 2) + Fraction(1, 4)","Fraction(3, 4)"]})j"},
    {"ask", R"j({"t":"ask","text":"What is $\\frac{1}{2} + \\frac{1}{4}$?","space":12})j"},
    {"aside", R"j({"t":"aside","text":"Fractions in Python stay exact."})j"},
    {"sketch", R"j({"t":"sketch","prompt":"a pie on a table","h":40,"caption":"A pie"})j"},
};

// One reply line until its block is placed, primed and queued for writing: the main thread's
// part (taking the line, and placing, storing and queuing the laid-out block); the layout runs
// in a background job between the two and is reported on its own.
void BM_LineToPlacedBlock(benchmark::State& state) {
    const auto [kind, line] = kLines[state.range(0)];
    state.SetLabel(kind);
    std::vector<double> times, layouts;
    for (auto _ : state) {
        state.PauseTiming();
        Turn turn(fortyItems());
        turn.start();
        state.ResumeTiming();
        double start = seconds();
        turn.stream->handlers.onText(std::string(line) + "\n");
        double took = seconds() - start;
        const double laying = seconds();
        while (turn.scheduler->backgroundCount() > 0) turn.scheduler->runBackground(0);
        layouts.push_back(seconds() - laying);
        start = seconds();
        turn.scheduler->runPosted();
        took += seconds() - start;
        state.SetIterationTime(took);
        times.push_back(took);
        state.PauseTiming();
        if (turn.model->scribe->jobs().empty()) state.SkipWithError("nothing was queued");
        turn.session().cancel();
        turn.model->scribe->flush();
        state.ResumeTiming();
    }
    report(state, times);
    std::sort(layouts.begin(), layouts.end());
    state.counters["layout_ms"] = layouts[layouts.size() / 2] * 1000;
}
BENCHMARK(BM_LineToPlacedBlock)->DenseRange(0, 10)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(40);

// A full page of the usual size: a lesson's worth of blocks down to its bottom line, and the
// learner's question at its foot.
Notebook fullPage() {
    Notebook n;
    Turn layout(n);
    const Blocks blocks{layout.model->geo(), layout.model->accent()};
    double y = 104;
    for (int i = 0; y < 640; ++i) {
        const char* line = kLines[i % std::size(kLines)].second;
        if (std::string_view(line).find("sketch") != std::string_view::npos) continue;
        BlockItem b;
        b.json = line;
        b.y = y;
        b.seed = uint64_t(i) + 1;
        b.turn = 0;
        b.h = blocks.lay(*J::parse(b.json), b.seed).height;
        y += *b.h + 12;
        n.pages[0].items.push_back(b);
    }
    n.pages[0].items.push_back(note(y + 14, "And what about thirds?", std::nullopt));
    n.turns.push_back(nolby::Turn{});
    return n;
}

// From ask() to the request handed to the stream: the context, the reading sweep and both
// pictures, on a full 400 by 869 page whose ink is cached.
void BM_TurnStart(benchmark::State& state) {
    Turn turn(fullPage());
    std::vector<double> times;
    for (auto _ : state) {
        const double start = seconds();
        turn.start();
        const double took = seconds() - start;
        state.SetIterationTime(took);
        times.push_back(took);
        state.PauseTiming();
        if (!turn.session().current()) state.SkipWithError("no turn started");
        turn.session().cancel();
        state.ResumeTiming();
    }
    report(state, times);
}
BENCHMARK(BM_TurnStart)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

// The model client on loopback: from Claude::stream to the first text delta on the main
// thread, the session token already held.
struct Live {
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

    Live() {
        served.start();
        std::string tmpl = (std::filesystem::temp_directory_path() / "nolby-bench-XXXXXX").string();
        home = mkdtemp(tmpl.data());
        gateway = Gateway::make(loop, served.base(), std::make_shared<TokenStore>(home), Attestor::unsupported());
    }
    ~Live() { std::filesystem::remove_all(home); }

    void queue(const std::string& text) {
        Http::Request r;
        r.url = Gateway::url(served.base(), "_control/queue");
        r.headers = {{"content-type", "application/json"}};
        r.body = nlohmann::json{{"text", text}}.dump();
        Http::fetch(r, 1 << 20);
    }
    // Streams a queued reply; true when a text delta arrived. The stream is let go after it.
    double firstDelta() {
        queue("{\"t\":\"p\",\"text\":\"hi\"}\n");
        Claude::Request request;
        request.content = nlohmann::json::array({{{"type", "text"}, {"text", "Hello"}}});
        bool ended = false;
        double first = 0;
        Claude::Handlers h;
        h.onText = [&](std::string_view) {
            if (first == 0) first = seconds();
        };
        h.onEnd = [&](std::optional<Claude::Usage>, std::exception_ptr) { ended = true; };
        const double start = seconds();
        auto call = Claude::stream(*gateway, nullptr, {}, request, std::move(h));
        loop->runUntil([&] { return ended || first > 0; }, 30);
        call->cancel();
        return first > 0 ? first - start : -1;
    }
};

void BM_FirstTextDelta(benchmark::State& state) {
    Live live;
    live.firstDelta();  // logs in
    std::vector<double> times;
    for (auto _ : state) {
        const double took = live.firstDelta();
        if (took < 0) {
            state.SkipWithError("no text arrived");
            break;
        }
        state.SetIterationTime(took);
        times.push_back(took);
    }
    report(state, times);
}
BENCHMARK(BM_FirstTextDelta)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(200);

}  // namespace
