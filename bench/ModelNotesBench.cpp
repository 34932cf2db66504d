// Typing and finding words in an open notebook.
//   Keystrokes into a 300-character note open in the middle of a page of a 40-page notebook:
//   one that stays on its line (the gap is measured again and stays), and one that starts a
//   new line (the content below moves, a debounced save is asked for).
//   On a page of 8 tutor paragraphs with their ink cached: the word and the block under a
//   point, every word of the page, and the next step offered.
#include "ink/Faces.h"
#include "ink/Ink.h"
#include "ink/J.h"
#include "ink/blocks/Blocks.h"
#include "OpenModel.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace nolby;

namespace {

constexpr int kPages = 40;

const char* kSentences[] = {
    "Halves are two equal parts of one whole, and two halves make that whole again.",
    "When we add fractions, the parts must be the same size before we count them.",
    "A quarter is half of a half, so two quarters are the same amount as one half.",
    "The number under the line says how many equal parts the whole was cut into.",
};

// A tutor paragraph at y, laid out as the page would show it, its height stored.
BlockItem paragraphAt(double y, int n, const Geo& geo) {
    std::string text;
    for (int i = 0; i < 2; ++i) text += std::string(kSentences[(n + i) % 4]) + " ";
    BlockItem b;
    b.json = R"({"t":"p","text":")" + text + R"("})";
    b.y = y;
    b.seed = uint64_t(n) + 1;
    b.turn = 1;
    b.h = Blocks{geo, Ink::color(std::string("blue"), Ink::ink)}.lay(J::parse(b.json).value_or(J()), b.seed).height;
    return b;
}

// Paragraphs down a page from the top margin while they fit.
Page paragraphs(int count, const Geo& geo) {
    Page p;
    double y = 104;
    for (int i = 0; i < count; ++i) {
        BlockItem b = paragraphAt(y, i, geo);
        y += *b.h + 8;
        p.items.emplace_back(std::move(b));
    }
    return p;
}

using Open = bench::OpenModel;

Notebook fortyPages() {
    Notebook n;
    const Geo geo{n.pageW, n.pageH};
    n.pages.clear();
    for (int i = 0; i < kPages; ++i) n.pages.push_back(paragraphs(4, geo));
    n.lastPage = kPages / 2;
    return n;
}

// A 300-character note open between the second and third paragraph of the middle page,
// ending on a line with room left, or with a line break (the next character starts a line).
void openLongNote(Open& open, bool lineBreak) {
    NotebookModel& m = *open.model;
    const PageItem& second = m.nb->pages[kPages / 2].items[1];
    const double y = m.bounds(second).maxY() + 4;
    m.startWriting({31, y + 12.24}, false);
    std::string text;
    while (text.size() < 300) text += "why are two quarters one half ";
    text.resize(lineBreak ? 299 : 300);
    if (lineBreak) text += "\n";
    m.editing.modify([&](std::optional<NotebookModel::Editing>& e) { e->text = text; });
}

void keystroke(NotebookModel& m, char c) {
    m.editing.modify([&](std::optional<NotebookModel::Editing>& e) { e->text.push_back(c); });
}
void backspace(NotebookModel& m) {
    m.editing.modify([](std::optional<NotebookModel::Editing>& e) { e->text.pop_back(); });
}

void BM_KeystrokeOnItsLine(benchmark::State& state) {
    Faces::registerFrom();
    Open open(fortyPages());
    openLongNote(open, false);
    NotebookModel& m = *open.model;
    const int64_t version = m.version(kPages / 2);
    for (auto _ : state) {
        keystroke(m, 'x');
        state.PauseTiming();
        backspace(m);
        state.ResumeTiming();
    }
    if (m.version(kPages / 2) != version) state.SkipWithError("the keystroke moved the content");
}
BENCHMARK(BM_KeystrokeOnItsLine)->Unit(benchmark::kMicrosecond);

void BM_KeystrokeStartingANewLine(benchmark::State& state) {
    Faces::registerFrom();
    Open open(fortyPages());
    openLongNote(open, true);
    NotebookModel& m = *open.model;
    int rounds = 0;
    for (auto _ : state) {
        keystroke(m, 'x');
        state.PauseTiming();
        backspace(m);
        if (++rounds % 64 == 0) open.rest();
        state.ResumeTiming();
    }
    if (m.version(kPages / 2) < 2 * rounds) state.SkipWithError("the new line moved nothing");
}
BENCHMARK(BM_KeystrokeStartingANewLine)->Unit(benchmark::kMicrosecond);

// A page of 8 paragraphs, shown one page at a time.
struct EightParagraphs {
    Open open{[] {
        Notebook n;
        n.pages = {paragraphs(8, Geo{n.pageW, n.pageH})};
        return n;
    }()};
    NotebookModel& m = *open.model;
    // The middle of a word in the fifth paragraph.
    Point point() {
        const BlockItem& fifth = *m.nb->pages[0].items[4].block();
        const NotebookModel::WordBox w = m.words(fifth)[7];
        return {w.rect.midX(), w.rect.midY()};
    }
};

void BM_WordAt(benchmark::State& state) {
    Faces::registerFrom();
    EightParagraphs page;
    const Point at = page.point();
    const BlockItem fifth = *page.m.nb->pages[0].items[4].block();
    for (auto _ : state) benchmark::DoNotOptimize(page.m.wordAt(at, fifth));
    if (!page.m.wordAt(at, fifth)) state.SkipWithError("no word hit");
}
BENCHMARK(BM_WordAt)->Unit(benchmark::kMicrosecond);

void BM_BlockHit(benchmark::State& state) {
    Faces::registerFrom();
    EightParagraphs page;
    const Point at = page.point();
    for (auto _ : state) benchmark::DoNotOptimize(page.m.blockHit(at));
    if (!page.m.blockHit(at)) state.SkipWithError("no block hit");
}
BENCHMARK(BM_BlockHit)->Unit(benchmark::kMicrosecond);

void BM_WordsOnPage(benchmark::State& state) {
    Faces::registerFrom();
    EightParagraphs page;
    for (auto _ : state) benchmark::DoNotOptimize(page.m.words(0));
    state.counters["words"] = double(page.m.words(0).size());
}
BENCHMARK(BM_WordsOnPage)->Unit(benchmark::kMicrosecond);

void BM_Way(benchmark::State& state) {
    Faces::registerFrom();
    EightParagraphs page;
    for (auto _ : state) benchmark::DoNotOptimize(page.m.way());
}
BENCHMARK(BM_Way)->Unit(benchmark::kMicrosecond);

}  // namespace
