#include "Commands.h"
#include "OpsJson.h"
#include "WriteDesk.h"
#include "ink/Faces.h"
#include "ink/Mag.h"
#include "model/NotebookModel.h"
#include "page/PagePainter.h"
#include "page/PaperView.h"
#include "platform/Canvas.h"
#include "platform/NumberText.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace nolby::tools {

namespace {

// A whole number from the flag, or none (printing why) when it is not one.
bool wholeNumber(const Args& args, const char* name, std::optional<int64_t>& out) {
    const char* s = option(args, name);
    if (!s) return true;
    auto v = NumberText::parseDouble(s);
    if (!v || *v != std::floor(*v) || std::fabs(*v) > 1e15) {
        std::fprintf(stderr, "nolby-ink: %s must be a whole number\n", name);
        return false;
    }
    out = static_cast<int64_t>(*v);
    return true;
}

const char* kindName(PaperView::FolioPart::Kind k) {
    switch (k) {
        case PaperView::FolioPart::Kind::brand: return "brand";
        case PaperView::FolioPart::Kind::rule: return "rule";
        case PaperView::FolioPart::Kind::number: return "number";
    }
    return "";
}

// --side, as a page side; none (printing why) for another word.
bool sideOf(const Args& args, PaperView::PageSide& side) {
    side = PaperView::PageSide::single;
    const char* s = option(args, "--side");
    if (!s || !std::strcmp(s, "single")) return true;
    if (!std::strcmp(s, "left")) side = PaperView::PageSide::left;
    else if (!std::strcmp(s, "right")) side = PaperView::PageSide::right;
    else {
        std::fprintf(stderr, "nolby-ink: unknown side \"%s\" (single, left or right)\n", s);
        return false;
    }
    return true;
}

// The notebook the flags describe (--title, --issue) and the page number (--number, from 1);
// false, printing why, for flags that are not whole numbers or a page before the first.
bool issueOf(const Args& args, Notebook& nb, int64_t& number) {
    if (const char* t = option(args, "--title")) nb.title = t;
    std::optional<int64_t> n;
    if (!wholeNumber(args, "--issue", nb.issue) || !wholeNumber(args, "--number", n)) return false;
    if (n && *n < 1) {
        std::fprintf(stderr, "nolby-ink: --number counts pages from 1\n");
        return false;
    }
    number = n.value_or(1);
    return true;
}

// The masthead, whether the page opens the issue (and its band's height) and the folio.
void printPaper(const PaperView& paper, Size view) {
    std::string folio;
    for (const auto& part : paper.folio(view.width, view.height))
        folio += std::string(folio.empty() ? "" : ", ") + quoted(kindName(part.kind));
    std::printf("{\"masthead\": %s, \"opener\": %s, \"band\": %s, \"folio\": [%s], \"number\": %s}\n",
                quoted(paper.masthead()).c_str(), paper.opener() ? "true" : "false",
                NumberText::shortest(paper.opener() ? paper.bandHeight() : 0).c_str(), folio.c_str(),
                quoted(paper.folioNumber()).c_str());
}

}  // namespace

// nolby-ink paper [--title T] [--issue N] [--number N] [--side single|left|right] [--png OUT]
int paperCommand(const Args& args) {
    Notebook nb;
    int64_t number = 1;
    PaperView::PageSide side;
    if (!issueOf(args, nb, number) || !sideOf(args, side)) return 2;
    Mag::registerFrom();
    Faces::registerFrom();

    // The page alone at view scale 1, so the view is the page.
    const Size view{nb.pageW, nb.pageH};
    const PaperView paper = PaperView::forPage(nb, number - 1, 1, side, true);
    printPaper(paper, view);

    if (const char* out = option(args, "--png")) {
        Canvas canvas(view.width, view.height, 2);
        NoPress press;
        CoverBand band;
        drawPageBack(canvas.cr(), view, true, &paper, band.look(press, nb.id, 0));
        if (!canvas.writePng(out)) {
            std::fprintf(stderr, "nolby-ink: could not write %s\n", out);
            return 1;
        }
    }
    return 0;
}

// nolby-ink page JSON [--title T] [--issue N] [--number N] [--side single|left|right] [--layers] [--png OUT]
// The reply's blocks laid down page N of an open notebook, shown as the page view shows it
// alone: the view is the page at view scale 1, drawn at 2 pixels per point with its paper
// and furniture, the ink through the page stage (or, with --layers, from the items' cached
// bitmaps and a patch). Prints the paper's line as `paper` does, a line about the page, and
// the page's operations.
int pageCommand(const Args& args) {
    if (args.empty() || args[0].rfind("--", 0) == 0) {
        std::fprintf(stderr, "nolby-ink: page needs the reply's JSON first\n");
        return 2;
    }
    std::string error;
    auto blocks = replyBlocks(args[0], error);
    Notebook nb;
    int64_t number = 1;
    PaperView::PageSide side;
    if (!blocks) std::fprintf(stderr, "nolby-ink: %s\n", error.c_str());
    if (!blocks || !issueOf(args, nb, number) || !sideOf(args, side)) return 2;
    if (number > 999) {
        std::fprintf(stderr, "nolby-ink: page makes the pages before its own: --number 999 at most\n");
        return 2;
    }
    const bool layers = flag(args, "--layers");
    Mag::registerFrom();
    Faces::registerFrom();

    nb.pages.assign(size_t(number), Page{});
    auto scheduler = std::make_shared<ManualScheduler>();
    NotebookModel::Services services;
    services.clock = scheduler->clock();
    services.scheduler = scheduler;
    auto model = NotebookModel::make(nb, services);
    const int index = int(number - 1);
    std::vector<LaidBlock> laid = layDown(*blocks, model->geo(), model->accent(), 1);
    for (const LaidBlock& b : laid) model->cache->prime(b.item, b.ops, model->geo());
    model->mutate(index, false, [&](std::vector<PageItem>& items) {
        for (const LaidBlock& b : laid) items.emplace_back(b.item);
    });
    const Size view{nb.pageW, nb.pageH};
    model->viewSize.set(view);

    PagePainter painter(PageView{model, index, !layers, side, true, true},
                        {2, scheduler, std::make_shared<NoPress>()});
    scheduler->drain();  // bitmaps rendered in the background arrive
    painter.sync(scheduler->now());

    printPaper(*painter.view().paperView(), view);
    const PageGeometry g = painter.view().geometry();
    const std::vector<InkOpRef> ops = model->settledOps(index);
    std::printf("{\"page\": %lld, \"items\": %zu, \"ops\": %zu, \"scale\": %s, \"ox\": %s, \"ink\": %s}\n",
                static_cast<long long>(number), laid.size(), ops.size(), NumberText::shortest(g.s).c_str(),
                NumberText::shortest(g.ox).c_str(), layers ? "\"layers\"" : "\"stage\"");
    printOps(stdout, ops);

    if (const char* out = option(args, "--png")) {
        Canvas canvas(view.width, view.height, 2);
        painter.paint(canvas.cr(), scheduler->now());
        if (!canvas.writePng(out)) {
            std::fprintf(stderr, "nolby-ink: could not write %s\n", out);
            return 1;
        }
    }
    return 0;
}

}  // namespace nolby::tools
