#include "Commands.h"
#include "OpsJson.h"
#include "Render.h"
#include "ink/Faces.h"
#include "model/NotebookModel.h"
#include "notebook/NotebookFile.h"
#include "platform/Files.h"
#include "platform/NumberText.h"
#include "platform/Unicode.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace nolby::tools {

namespace {

// OUT for one page; with several, the page number (from 1) before the extension: OUT-3.png,
// after a word for the moment when one is given: OUT-before-3.png.
std::string pageFile(const std::string& out, int page, bool several, const std::string& moment = "") {
    if (!several) return out;
    const size_t slash = out.find_last_of('/');
    const size_t dot = out.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    const std::string stem = hasExtension ? out.substr(0, dot) : out;
    const std::string extension = hasExtension ? out.substr(dot) : ".png";
    return stem + (moment.empty() ? "" : "-" + moment) + "-" + std::to_string(page + 1) + extension;
}

// The page as drawn: a page size a file cannot draw (not finite, tiny or huge) gives the
// usual page.
Rect pageArea(const Notebook& n) {
    const bool usable = std::isfinite(n.pageW) && std::isfinite(n.pageH) && n.pageW >= 10 && n.pageH >= 10 &&
                        n.pageW <= 4000 && n.pageH <= 4000;
    return usable ? Rect{0, 0, n.pageW, n.pageH} : Rect{0, 0, 400, 869};
}

// "X,Y" as a point; none when it is not two numbers.
std::optional<Point> pointOf(const std::string& text) {
    const size_t comma = text.find(',');
    if (comma == std::string::npos) return std::nullopt;
    std::optional<double> x = NumberText::parseDouble(text.substr(0, comma));
    std::optional<double> y = NumberText::parseDouble(text.substr(comma + 1));
    if (!x || !y) return std::nullopt;
    return Point{*x, *y};
}

std::string num(double v) { return NumberText::trimmed(v, 2); }

std::string rectJson(const Rect& r) {
    return "[" + num(r.minX()) + "," + num(r.minY()) + "," + num(r.width()) + "," + num(r.height()) + "]";
}

// Prints a page's operations after a header line and draws them on paper.
bool drawPage(NotebookModel& model, int page, const std::string& when, const std::string& png) {
    std::printf("{\"page\":%d%s}\n", page + 1, when.empty() ? "" : (",\"when\":" + tools::quoted(when)).c_str());
    std::vector<InkOpRef> ops = model.settledOps(page);
    printOps(stdout, ops);
    if (renderPng(ops, pageArea(model.nb.get()), 1, png)) return true;
    std::fprintf(stderr, "nolby-ink: could not write %s\n", png.c_str());
    return false;
}

// Clicks on a page, types the text into the note the click opened, character by character
// as a learner would ("\n" in the text is a line break), and commits it. The page and the one
// after it are drawn before and after: the push-down and any carry onto a new page show.
int typeNote(NotebookModel& model, int page, Point at, const std::string& typed, const std::string& out) {
    const Notebook& n = model.nb.get();
    if (!(at.x >= 0 && at.x < n.pageW && at.y >= 0 && at.y < n.pageH)) {
        std::fprintf(stderr, "nolby-ink: the point %s,%s is off the page, which is %s by %s points\n",
                     num(at.x).c_str(), num(at.y).c_str(), num(n.pageW).c_str(), num(n.pageH).c_str());
        return 1;
    }
    const int count = static_cast<int>(n.pages.size());
    for (int p = page; p <= std::min(page + 1, count - 1); ++p)
        if (!drawPage(model, p, "before", pageFile(out, p, true, "before"))) return 1;

    model.click(at, page);
    const std::optional<NotebookModel::Editing> opened = model.editing.get();
    if (!opened) {
        std::fprintf(stderr, "nolby-ink: the click opened no note\n");
        return 1;
    }
    std::string kind = !opened->isNew ? "reopened" : opened->about ? "margin" : "note";
    std::printf("{\"opened\":%s,\"x\":%s,\"y\":%s,\"width\":%s%s}\n", tools::quoted(kind).c_str(), num(opened->x).c_str(),
                num(opened->y).c_str(), num(opened->width).c_str(),
                opened->about ? (",\"about\":" + tools::quoted(*opened->about)).c_str() : "");

    std::string text;
    for (size_t i = 0; i < typed.size(); ++i) {
        if (typed.compare(i, 2, "\\n") == 0) {
            text += '\n';
            ++i;
        } else {
            text += typed[i];
        }
    }
    for (const std::string& character : unicode::graphemes(text))
        model.editing.modify([&](std::optional<NotebookModel::Editing>& e) { e->text += character; });
    const double moved = model.gap ? model.gap->applied : 0;
    model.commitEditing();
    std::printf("{\"moved\":%s,\"pages\":%d}\n", num(moved).c_str(), static_cast<int>(model.nb->pages.size()));

    const int after = static_cast<int>(model.nb->pages.size());
    for (int p = page; p <= std::min(page + 1, after - 1); ++p)
        if (!drawPage(model, p, "after", pageFile(out, p, true, "after"))) return 1;
    return 0;
}

// Every word of a page's tutor blocks, in reading order, with its box.
void printWords(NotebookModel& model, int page) {
    for (const NotebookModel::Word& w : model.words(page))
        std::printf("{\"text\":%s,\"rect\":%s,\"block\":%s}\n", tools::quoted(w.text).c_str(), rectJson(w.rect).c_str(),
                    tools::quoted(w.block.string()).c_str());
}

}  // namespace

// nolby-ink notebook FILE [--page N | --all] --png OUT
// nolby-ink notebook FILE [--page N] --click X,Y [--type TEXT] --png OUT
// nolby-ink notebook FILE [--page N] --words
// Opens a notebook file in a headless model (no store: nothing is saved, paintings are not
// read). Plain, it draws what is settled on each chosen page onto paper at 2 pixels a point,
// printing the page's operations first, after a line {"page": N}. With --click it clicks the
// page there as the learner would, types TEXT into the note that opens and commits it,
// drawing the page and the next before (OUT-before-N.png) and after (OUT-after-N.png). With
// --words it lists the words of the page and their boxes. Pages count from 1; the default is
// the page the notebook was left on.
int notebookCommand(const Args& args) {
    const char* out = option(args, "--png");
    const bool all = flag(args, "--all");
    const bool words = flag(args, "--words");
    const char* pageText = option(args, "--page");
    const char* click = option(args, "--click");
    const char* typed = option(args, "--type");
    if (args.empty() || (all && pageText) || (typed && !click)) return 2;
    if ((click || words) && all) return 2;
    if (click && words) return 2;
    if (!words && !out) return 2;

    std::optional<Point> at;
    if (click && !(at = pointOf(click))) {
        std::fprintf(stderr, "nolby-ink: --click wants X,Y in page points, as 120,300\n");
        return 2;
    }

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

    if (words) {
        printWords(*model, first);
        return 0;
    }
    if (at) return typeNote(*model, first, *at, typed ? typed : "", out);

    for (int page = first; page <= last; ++page)
        if (!drawPage(*model, page, "", pageFile(out, page, first != last))) return 1;
    return 0;
}

}  // namespace nolby::tools
