// nolby-ink sheet FILE --width W --viewport V [--head H] [--png OUT]
//
// A notebook as its sheet shows it in a window W points wide with V points of height to
// show it in, under a head H points tall (drawn blank): prints the sheet's layout (its field
// names), the opening scroll position and the outline as one JSON object, and with --png
// draws the visible part at 2 pixels per point, paper, pages and caret in one pass, once
// the writer has written out what it still had to write.
#include "Commands.h"
#include "OpsJson.h"
#include "ink/Faces.h"
#include "notebook/NotebookFile.h"
#include "platform/Canvas.h"
#include "platform/Files.h"
#include "platform/NumberText.h"
#include "sheet/SheetView.h"

#include <cstdio>
#include <memory>
#include <string>

namespace nolby::tools {

namespace {

std::string hundredths(double v) { return NumberText::trimmed(v, 2); }

class BlankHead final : public SheetHeadSource {
public:
    explicit BlankHead(double height) : height_(height) {}
    double layout(double, double) override { return height_; }
    void paint(cairo_t*, double) override {}

private:
    double height_;
};

std::string kindName(SheetState::Entry::Kind kind) {
    switch (kind) {
    case SheetState::Entry::Kind::heading: return "heading";
    case SheetState::Entry::Kind::question: return "question";
    case SheetState::Entry::Kind::dive: return "dive";
    }
    return "";
}

void printSheet(const SheetLayout& l, double scrollY, const std::vector<SheetState::Entry>& outline) {
    std::string out = "{\"layout\":{\"width\":" + hundredths(l.width) + ",\"scale\":" + hundredths(l.scale) +
                      ",\"x\":" + hundredths(l.x) + ",\"pageW\":" + hundredths(l.pageW) +
                      ",\"head\":" + hundredths(l.head) + ",\"slices\":[";
    for (size_t i = 0; i < l.slices.size(); ++i) {
        const SheetLayout::Slice& s = l.slices[i];
        out += std::string(i ? "," : "") + "{\"page\":" + std::to_string(s.page) + ",\"top\":" + hundredths(s.top) +
               ",\"height\":" + hundredths(s.height) + ",\"y\":" + hundredths(s.y) + "}";
    }
    out += "],\"height\":" + hundredths(l.height) + "},\"scrollY\":" + hundredths(scrollY) + ",\"outline\":[";
    for (size_t i = 0; i < outline.size(); ++i) {
        const SheetState::Entry& e = outline[i];
        out += std::string(i ? "," : "") + "{\"id\":" + quoted(e.id.string()) + ",\"kind\":" +
               quoted(kindName(e.kind)) + ",\"text\":" + quoted(e.text) + ",\"y\":" + hundredths(e.y) + "}";
    }
    out += "]}\n";
    std::fputs(out.c_str(), stdout);
}

}  // namespace

int sheetCommand(const Args& args) {
    if (args.empty()) return 2;
    const std::optional<double> width = number(args, "--width", 1000, 0, 20000);
    const std::optional<double> viewport = number(args, "--viewport", 800, 0, 20000);
    const std::optional<double> head = number(args, "--head", 0, -1, 20000);
    if (!width || !viewport || !head) return 2;
    const char* png = option(args, "--png");

    std::optional<std::string> bytes = Files::read(args[0]);
    NotebookFile::Decoded decoded = NotebookFile::decode(bytes.value_or(""));
    if (!bytes || !decoded.notebook) {
        std::fprintf(stderr, "nolby-ink: %s is not a notebook file it can read\n", args[0].c_str());
        return 1;
    }

    Faces::registerFrom();
    auto scheduler = std::make_shared<ManualScheduler>();
    NotebookModel::Services services;
    services.clock = scheduler->clock();
    services.scheduler = scheduler;
    auto model = NotebookModel::make(std::move(*decoded.notebook), services);

    auto state = std::make_shared<SheetState>();
    HeadlessSheetHost host({*width, *viewport});
    auto sheet = SheetView::make(model, state, {scheduler, nullptr, 2});
    host.sheet = sheet;
    sheet->setHost(&host);
    if (*head > 0) sheet->setHead(std::make_shared<BlankHead>(*head));
    sheet->becomeFirstResponder();
    scheduler->runPosted();
    // Whatever the writer still has to write is written out first, on the manual clock.
    scheduler->drain();
    for (int i = 0; i < 600 && model->scribe->busy.get(); ++i) {
        scheduler->advance(0.5);
        scheduler->drain();
    }
    scheduler->runPosted();
    if (!sheet->layout()) {
        std::fprintf(stderr, "nolby-ink: a sheet %s points wide shows nothing\n", hundredths(*width).c_str());
        return 1;
    }
    printSheet(*sheet->layout(), host.scrollPosition(), state->outline.get());

    if (!png) return 0;
    Canvas canvas(*width, *viewport, 2);
    sheet->paint(canvas.cr(), scheduler->now());
    if (canvas.writePng(png)) return 0;
    std::fprintf(stderr, "nolby-ink: could not write %s\n", png);
    return 1;
}

}  // namespace nolby::tools
