#include "Commands.h"
#include "OpsJson.h"
#include "Render.h"
#include "ink/Faces.h"
#include "model/NotebookFile.h"
#include "model/NotebookModel.h"
#include "platform/Files.h"
#include "platform/NumberText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace nolby::tools {

namespace {

// OUT for one page; with several, the page number (from 1) before the extension: OUT-3.png.
std::string pageFile(const std::string& out, int page, bool several) {
    if (!several) return out;
    const size_t slash = out.find_last_of('/');
    const size_t dot = out.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    const std::string stem = hasExtension ? out.substr(0, dot) : out;
    const std::string extension = hasExtension ? out.substr(dot) : ".png";
    return stem + "-" + std::to_string(page + 1) + extension;
}

// The page as drawn: a page size a file cannot draw (not finite, tiny or huge) gives the
// usual page.
Rect pageArea(const Notebook& n) {
    const bool usable = std::isfinite(n.pageW) && std::isfinite(n.pageH) && n.pageW >= 10 && n.pageH >= 10 &&
                        n.pageW <= 4000 && n.pageH <= 4000;
    return usable ? Rect{0, 0, n.pageW, n.pageH} : Rect{0, 0, 400, 869};
}

}  // namespace

// nolby-ink notebook FILE [--page N | --all] --png OUT
// Opens a notebook file in a headless model (no store: nothing is saved, paintings are not
// read) and draws what is settled on each chosen page onto paper at 2 pixels a point,
// printing the page's operations first, after a line {"page": N}. Pages count from 1; the
// default is the page the notebook was left on.
int notebookCommand(const Args& args) {
    const char* out = option(args, "--png");
    const bool all = flag(args, "--all");
    const char* pageText = option(args, "--page");
    if (args.empty() || !out || (all && pageText)) return 2;

    const std::string file = args[0];
    std::optional<std::string> bytes = Files::read(file);
    if (!bytes) {
        std::fprintf(stderr, "nolby-ink: cannot read %s\n", file.c_str());
        return 1;
    }
    NotebookFile::Decoded decoded = NotebookFile::decode(*bytes);
    if (!decoded.notebook) {
        std::string why = decoded.issues.empty() ? "not a notebook" : decoded.issues.front();
        std::fprintf(stderr, "nolby-ink: %s is not a notebook file: %s\n", file.c_str(), why.c_str());
        return 1;
    }
    for (const std::string& issue : decoded.issues) std::fprintf(stderr, "nolby-ink: repaired: %s\n", issue.c_str());

    Faces::registerFrom();
    auto scheduler = std::make_shared<ManualScheduler>();
    NotebookModel::Services services;
    services.clock = scheduler->clock();
    services.scheduler = scheduler;
    auto model = NotebookModel::make(std::move(*decoded.notebook), services);

    const int count = static_cast<int>(model->nb->pages.size());
    int first = model->pageIndex.get(), last = first;
    if (all) {
        first = 0;
        last = count - 1;
    } else if (pageText) {
        std::optional<double> page = NumberText::parseDouble(pageText);
        if (!page || !(*page >= 1 && *page <= count) || *page != std::floor(*page)) {
            std::fprintf(stderr, "nolby-ink: --page must be a whole number from 1 to %d\n", count);
            return 2;
        }
        first = last = static_cast<int>(*page) - 1;
    }

    const Rect area = pageArea(model->nb.get());
    for (int page = first; page <= last; ++page) {
        std::printf("{\"page\":%d}\n", page + 1);
        std::vector<InkOpRef> ops = model->settledOps(page);
        printOps(stdout, ops);
        const std::string png = pageFile(out, page, first != last);
        if (!renderPng(ops, area, 1, png)) {
            std::fprintf(stderr, "nolby-ink: could not write %s\n", png.c_str());
            return 1;
        }
    }
    return 0;
}

}  // namespace nolby::tools
