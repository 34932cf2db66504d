// One frame of a page being written, as the page view paints it: the kept paper, then the
// stage's layers at the frame's time, on a 400 × 869 page at 2 pixels per point. The page
// holds 30 written items (handwriting and small figures) and six strokes part way through
// their reveals; then the same with a painting blooming in as well. A frame of the page at
// rest is the baseline.
#include "OpenModel.h"
#include "WriteDesk.h"
#include "ink/Faces.h"
#include "ink/Mag.h"
#include "page/PageBack.h"
#include "page/PaperView.h"

#include <benchmark/benchmark.h>

#include <cmath>

using namespace nolby;
using bench::figure;
using bench::note;
using tools::WriteDesk;

namespace {

constexpr double kStart = 10;  // when the reveals begin

struct Page {
    std::unique_ptr<WriteDesk> desk = std::make_unique<WriteDesk>(WriteDesk::Options{});
    PageBack back;
    PaperView paper;
    Canvas canvas{400, 869, 2};
    int job = 100;

    Page() : paper(PaperView::forPage(Notebook{}, 0, 1, PaperView::PageSide::single, true)) {
        Faces::registerFrom();
        Mag::registerFrom();
        auto& items = desk->model->notebook.pages.front().items;
        for (int i = 0; i < 30; ++i) {
            const double y = 90 + 48 * (i / 2);
            if (i % 5 == 4) items.push_back(figure(y, uint64_t(i)));
            else items.push_back(note(i % 2 ? 210 : 28, y, "a line of handwriting " + std::to_string(i)));
        }
        desk->sync();
        desk->clock->set(kStart - 1);
    }

    // The item's operations revealed as strokes from kStart, each over `dur` seconds.
    void reveal(const PageItem& item, size_t count, double dur) {
        const Uuid id = item.id();
        std::vector<InkOpRef> ops = desk->model->ops(item);
        std::vector<Scribe::Stroke> strokes;
        for (size_t i = 0; i < ops.size() && i < count; ++i) {
            Scribe::Stroke s;
            s.job = job;
            s.page = desk->page();
            s.item = id;
            s.index = int(i);
            s.op = ops[i];
            s.start = kStart + 0.1 * double(i);
            s.dur = dur;
            strokes.push_back(s);
        }
        ++job;
        desk->stage().add(strokes);
    }

    void paint() {
        BlockItem b;
        b.json = R"({"t":"sketch","h":40,"caption":"a painting"})";
        b.y = 600;
        b.image = "painting.png";
        desk->model->paintings["painting.png"] = tools::samplePainting(704, 324);
        const PageItem item(b);
        std::vector<InkOpRef> ops = desk->model->ops(item);
        Scribe::Stroke s;
        s.job = job++;
        s.page = desk->page();
        s.item = b.id;
        s.op = ops.back();
        s.sprite = InkRaster::render({s.op}, 2);
        s.bloom = std::make_shared<const Bloom>(*Bloom::make(*s.sprite->image, 7919));
        s.start = kStart;
        s.dur = 4;
        desk->stage().add({s});
    }

    void frame(double t) {
        back.draw(canvas.cr(), {400, 869}, true, paper);
        desk->stage().render(canvas.cr(), t);
    }
};

// Six reveals under way: two lines of handwriting (four phrases) and a figure's two strokes.
void writing(Page& page) {
    page.reveal(note(28, 700, "words being written now, on two lines"), 2, 2);
    page.reveal(note(210, 700, "and more words written here beside them"), 2, 2);
    page.reveal(figure(760, 99), 2, 2);
    page.desk->stage().advance(kStart);
}

// The parts of a frame at rest: the kept paper alone, and the stage's layers alone.
void BM_PaperAlone(benchmark::State& state) {
    Page page;
    page.frame(kStart);
    for (auto _ : state) page.back.draw(page.canvas.cr(), {400, 869}, true, page.paper);
}
BENCHMARK(BM_PaperAlone)->Unit(benchmark::kMillisecond);

void BM_InkAlone(benchmark::State& state) {
    Page page;
    page.frame(kStart);
    for (auto _ : state) page.desk->stage().render(page.canvas.cr(), kStart + 1);
}
BENCHMARK(BM_InkAlone)->Unit(benchmark::kMillisecond);

void BM_FrameAtRest(benchmark::State& state) {
    Page page;
    page.frame(kStart);
    for (auto _ : state) page.frame(kStart + 1);
}
BENCHMARK(BM_FrameAtRest)->Unit(benchmark::kMillisecond);

void BM_FrameWhileWriting(benchmark::State& state) {
    Page page;
    writing(page);
    state.counters["reveals"] = double(page.desk->stage().revealing().size());
    page.frame(kStart + 1);
    for (auto _ : state) page.frame(kStart + 1);
}
BENCHMARK(BM_FrameWhileWriting)->Unit(benchmark::kMillisecond);

void BM_FrameWithPaintingBlooming(benchmark::State& state) {
    Page page;
    page.paint();
    writing(page);
    page.frame(kStart + 1.8);
    for (auto _ : state) page.frame(kStart + 1.8);
}
BENCHMARK(BM_FrameWithPaintingBlooming)->Unit(benchmark::kMillisecond);

}  // namespace
