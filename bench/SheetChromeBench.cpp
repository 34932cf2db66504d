// The sheet pane's outline on the main thread, in a pane of 1400 × 860 with twelve rows:
//   OutlinePaint        one paint of the outline as the sheet beneath repaints (the outline
//                       floats over it, so it is painted with every frame of the sheet);
//   OutlineRepublished  the sheet publishing the same layout, viewport and entries again (as
//                       every relayout does), then the frame painted.
// The goal is under 1 ms a paint; each is CPU time on the main thread.
#include "OffscreenApp.h"
#include "ink/Faces.h"
#include "ink/Mag.h"
#include "ui/sheet/SheetPane.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

using namespace nolby;

namespace {

struct OutlinedPane {
    std::unique_ptr<SheetPane> pane;
    QWidget* sheet = nullptr;

    OutlinedPane() {
        bench::offscreenApp();
        Faces::registerFrom();
        Mag::registerFrom();
        pane = std::make_unique<SheetPane>(nullptr, true);
        sheet = new QWidget;
        sheet->setAutoFillBackground(true);
        pane->setSheet(sheet);
        pane->resize(1400, 860);
        pane->show();
        std::vector<SheetState::Entry> entries;
        const char* texts[] = {"Why the tides turn", "what pulls the sea", "The moon's pull", "spring tides"};
        for (int i = 0; i < 12; ++i)
            entries.push_back({Uuid::random(), SheetState::Entry::Kind(i % 3), texts[i % 4], 400.0 + 500 * i});
        pane->state()->outline.set(entries);
        pane->state()->viewport.set(860);
        SheetLayout layout;
        layout.x = 360;
        layout.width = 1400;
        pane->state()->layout.set(layout);
        pane->state()->scrollY.set(1200);
        // Past its fade in: the steady state.
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 1000) {
            QApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(5);
        }
    }
};

void OutlinePaint(benchmark::State& state) {
    OutlinedPane p;
    QWidget* outline = p.pane->outline();
    if (!outline->isVisible()) state.SkipWithError("the outline does not show");
    for (auto _ : state) outline->repaint();
}
BENCHMARK(OutlinePaint)->Unit(benchmark::kMillisecond);

void OutlineRepublished(benchmark::State& state) {
    OutlinedPane p;
    QWidget* outline = p.pane->outline();
    if (!outline->isVisible()) state.SkipWithError("the outline does not show");
    const std::shared_ptr<SheetState>& s = p.pane->state();
    for (auto _ : state) {
        s->layout.notify();
        s->viewport.notify();
        s->outline.notify();
        outline->repaint();
    }
}
BENCHMARK(OutlineRepublished)->Unit(benchmark::kMillisecond);

}  // namespace
