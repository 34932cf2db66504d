#pragma once
// An open notebook for the model's benchmarks: a model on a store in a temporary data
// folder, on the manual scheduler, with every item of the notebook laid out once.
#include "library/Library.h"
#include "model/NotebookModel.h"
#include "writing/Scribe.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace nolby::bench {

struct OpenModel {
    std::filesystem::path folder;
    std::shared_ptr<ManualScheduler> scheduler = std::make_shared<ManualScheduler>();
    std::shared_ptr<Library> library;
    std::shared_ptr<NotebookModel> model;

    explicit OpenModel(const Notebook& notebook) {
        std::string tmpl = (std::filesystem::temp_directory_path() / "nolby-bench-XXXXXX").string();
        folder = mkdtemp(tmpl.data());
        library = Library::make(folder, scheduler, nullptr, nullptr);
        NotebookModel::Services s;
        s.library = library;
        s.clock = scheduler->clock();
        s.scheduler = scheduler;
        model = NotebookModel::make(notebook, s);
        for (const Page& page : model->nb->pages)
            for (const PageItem& item : page.items) model->bounds(item);
    }
    ~OpenModel() {
        model.reset();
        library.reset();
        std::filesystem::remove_all(folder);
    }
    OpenModel(const OpenModel&) = delete;
    OpenModel& operator=(const OpenModel&) = delete;

    // Time passes: the debounced save falls due and is written.
    void rest() {
        scheduler->advance(1);
        scheduler->drain();
    }
};

// A learner's typed note at a point of a page.
inline PageItem note(double x, double y, const std::string& text) {
    TextItem t;
    t.x = x;
    t.y = y;
    t.width = 160;
    t.text = text;
    t.size = 17;
    return t;
}

// A small figure (a filled triangle and a line) at y.
inline PageItem figure(double y, uint64_t seed) {
    BlockItem b;
    b.json = R"({"t":"fig","h":12,"items":[{"k":"poly","pts":[[10,90],[30,10],[50,90]],"fill":"yellow"},)"
             R"({"k":"line","pts":[[60,50],[95,50]]}]})";
    b.y = y;
    b.seed = seed;
    return b;
}

// The item's first `count` operations as the writer's strokes of one job on a page: the
// first starting at `start`, each a tenth of a second after the one before, `dur` long.
inline std::vector<Scribe::Stroke> revealStrokes(NotebookModel& model, int page, const PageItem& item, size_t count,
                                                 double dur, int job, double start) {
    std::vector<InkOpRef> ops = model.entry(item).ops;
    std::vector<Scribe::Stroke> strokes;
    for (size_t i = 0; i < ops.size() && i < count; ++i) {
        Scribe::Stroke s;
        s.job = job;
        s.page = model.nb->pages[size_t(page)].id;
        s.item = item.id();
        s.index = int(i);
        s.op = ops[i];
        s.start = start + 0.1 * double(i);
        s.dur = dur;
        strokes.push_back(s);
    }
    return strokes;
}

}  // namespace nolby::bench
