#include "Commands.h"
#include "OpsJson.h"
#include "ink/Faces.h"
#include "ink/Mag.h"
#include "model/page/PaperView.h"
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

}  // namespace

// nolby-ink paper [--title T] [--issue N] [--number N] [--side single|left|right] [--png OUT]
int paperCommand(const Args& args) {
    Notebook nb;
    if (const char* t = option(args, "--title")) nb.title = t;
    std::optional<int64_t> number;
    if (!wholeNumber(args, "--issue", nb.issue) || !wholeNumber(args, "--number", number)) return 2;
    if (number && *number < 1) {
        std::fprintf(stderr, "nolby-ink: --number counts pages from 1\n");
        return 2;
    }
    PaperView::PageSide side = PaperView::PageSide::single;
    if (const char* s = option(args, "--side")) {
        if (!std::strcmp(s, "left")) side = PaperView::PageSide::left;
        else if (!std::strcmp(s, "right")) side = PaperView::PageSide::right;
        else if (std::strcmp(s, "single")) {
            std::fprintf(stderr, "nolby-ink: unknown side \"%s\" (single, left or right)\n", s);
            return 2;
        }
    }
    Mag::registerFrom();
    Faces::registerFrom();

    // The page alone at view scale 1, so the view is the page.
    const Size view{nb.pageW, nb.pageH};
    const PaperView paper = PaperView::forPage(nb, number.value_or(1) - 1, 1, side, true);
    std::string folio;
    for (const auto& part : paper.folio(view.width, view.height))
        folio += std::string(folio.empty() ? "" : ", ") + quoted(kindName(part.kind));
    std::printf("{\"masthead\": %s, \"opener\": %s, \"band\": %s, \"folio\": [%s], \"number\": %s}\n",
                quoted(paper.masthead()).c_str(), paper.opener() ? "true" : "false",
                NumberText::shortest(paper.opener() ? paper.bandHeight() : 0).c_str(), folio.c_str(),
                quoted(paper.folioNumber()).c_str());

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

}  // namespace nolby::tools
