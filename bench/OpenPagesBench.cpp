// What an open notebook keeps per page at rest: a 100-page lesson (headings, paragraphs,
// formulas, lists, notes, quotes, figures and code, different words on every page) opened
// and every item laid out into the ink cache, as a notebook that has been read through.
// Counters: the heap the open notebook holds per page (allocated bytes, from the allocator's
// own count) and the growth of the resident set per page.
#include "OpenModel.h"
#include "ink/Faces.h"
#include "ink/Mag.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <string>

using namespace nolby;

namespace {

constexpr int kPages = 100;

// One page's blocks, their words made the page's own.
std::vector<std::string> lessonLines(int page) {
    const std::string n = std::to_string(page);
    return {
        R"j({"t":"h","text":"Part )j" + n + R"j(: halves and quarters"})j",
        R"j({"t":"p","text":"A fraction names **equal parts** of a whole: on page )j" + n +
            R"j( the bottom says how many parts, the top how many you take."})j",
        R"j({"t":"math","tex":"\\frac{1}{2} + \\frac{)j" + n + R"j(}{4} = \\frac{2 + )j" + n + R"j(}{4}"})j",
        R"j({"t":"list","items":["Cut into )j" + n + R"j( equal parts","Count the parts you take","Write top over bottom"]})j",
        R"j({"t":"note","text":"Tip )j" + n + R"j(: say the rule out loud, then __use it once__.","c":"yellow"})j",
        R"j({"t":"fig","h":30,"items":[{"k":"pie","x":28,"y":15,"r":12,"n":4,"fill":[0,1]},{"k":"pie","x":72,"y":15,"r":12,"n":4,"fill":[2]}],"caption":"Half and a quarter, )j" +
            n + R"j("})j",
        R"j({"t":"code","lines":[">>> from fractions import Fraction",">>> Fraction(1, 2) + Fraction()j" + n +
            R"j(, 4)"]})j",
        R"j({"t":"quote","text":"What I cannot create, I do not understand ()j" + n + R"j()."})j",
        R"j({"t":"p","text":"Two quarters make a half; )j" + n + R"j( quarters make )j" + n + R"j( over four."})j",
    };
}

Notebook lesson() {
    Notebook nb;
    nb.title = "Fractions";
    nb.pages.assign(kPages, Page{});
    for (int p = 0; p < kPages; ++p) {
        double y = 104;
        uint64_t seed = uint64_t(p) * 100;
        for (const std::string& line : lessonLines(p)) {
            BlockItem b;
            b.json = line;
            b.y = y;
            b.seed = ++seed;
            b.turn = 0;
            y += 60;
            nb.pages[size_t(p)].items.push_back(b);
        }
    }
    return nb;
}

size_t heapInUse() { return mallinfo2().uordblks; }

size_t residentBytes() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return size_t(resident) * size_t(sysconf(_SC_PAGESIZE));
}

void openLessonAtRest(benchmark::State& state) {
    Faces::registerFrom();
    Mag::registerFrom();
    {
        // Faces, glyph outlines and every other process-wide cache warmed once, so that
        // only what the open notebook itself keeps is counted.
        Notebook warm = lesson();
        warm.pages.resize(1);
        bench::OpenModel once(warm);
    }
    const Notebook nb = lesson();
    double heap = 0, resident = 0, ops = 0;
    for (auto _ : state) {
        malloc_trim(0);
        const size_t heapBefore = heapInUse(), residentBefore = residentBytes();
        {
            bench::OpenModel open(nb);
            open.rest();
            heap = double(heapInUse() - heapBefore);
            resident = double(residentBytes()) - double(residentBefore);
            ops = 0;
            for (const Page& page : open.model->nb->pages)
                for (const PageItem& item : page.items) ops += double(open.model->entry(item).ops.size());
            state.PauseTiming();  // closing the notebook is not part of opening it
        }
        malloc_trim(0);
        state.ResumeTiming();
    }
    state.counters["heap_MB_per_page"] = heap / kPages / 1e6;
    state.counters["rss_MB_per_page"] = resident / kPages / 1e6;
    state.counters["ops_per_page"] = ops / kPages;  // the ink laid, to show that it was
}

}  // namespace

BENCHMARK(openLessonAtRest)->Unit(benchmark::kMillisecond)->Iterations(1);
