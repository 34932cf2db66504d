#pragma once
// An open notebook for the model's benchmarks: a model on a store in a temporary data
// folder, on the manual scheduler, with every item of the notebook laid out once.
#include "model/Library.h"
#include "model/NotebookModel.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

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

}  // namespace nolby::bench
