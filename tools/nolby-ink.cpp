// nolby-ink: lays out ink and shows it, as operations on standard output and as a PNG.
//
//   nolby-ink gallery OUTDIR
//       renders every drawing operation kind at t = 0.25, 0.5 and 1, one PNG per kind,
//       and prints the operations, one JSON object a line.
//   nolby-ink layers OUTDIR
//       renders named layer scenes (fill modes, stroke ends, wipes, multiply, repeating
//       drops, springs, mask floods, anchors) at several clock times, one PNG a scene.
//   nolby-ink math 'TEX' [--display] [--size S] [--seed N] [--png OUT]
//       typesets a formula and prints its operations, then its notes and extent.
//   nolby-ink text 'TEXT' [--face hand|scrawl|round] [--size S] [--width W] [--seed N] [--png OUT]
//       writes marked-up text by hand in a column from x 24 and prints its operations,
//       then {"height": h, "rooms": []}.
//   nolby-ink face hand|scrawl|round 'TEXT' [--size S] [--png OUT]
//       shapes the text in a handwriting face and prints, per run, which font file drew it.
//   nolby-ink paper [--title T] [--issue N] [--number N] [--side single|left|right] [--png OUT]
//       draws a page's paper and print furniture at 2 pixels per point and prints the
//       masthead, whether the page opens the issue (and its band's height) and the folio.
//   nolby-ink page JSON [--title T] [--issue N] [--number N] [--side single|left|right] [--layers] [--png OUT]
//       lays a reply's blocks down page N of a notebook and draws the page as its view shows
//       it alone (view scale 1, 2 pixels per point, paper and furniture, ink through the page
//       stage or, with --layers, from cached bitmaps); prints the paper, the page and its ops.
//   nolby-ink bloom PNG [--seed N] --png OUT
//       shows how a painting blooms: the painting, its ink lines, and the colour and rim
//       sheets of every 4th stage and the last, on paper; prints the grid it used.
//   nolby-ink library [--data DIR]
//       loads the notebook store of the data folder as the app does (numbering and saving
//       issue-less notebooks too) and prints each notebook, its dives under it, and the
//       files it skipped or repaired. A folder a running app holds is only read, and the
//       first line says so.
//   nolby-ink write JSON [--speed S] [--painting PNG [--at T]] (--sheet OUT.png | --frames DIR [--fps N])
//       writes a reply out on a page as the notebook does, a painting arriving for its first
//       sketch at T; draws moments of it on paper and prints each stroke as it is scheduled.
//   nolby-ink cover FILE --size WxH [--art IMG] [--printing] [--large] [--png OUT]
//       draws a notebook file's issue cover at 2 pixels per point and prints its design, slug
//       and line of facts.
//   nolby-ink trim IN OUT
//       trims a painting's mat as the cover press does and prints the part kept.
//   nolby-ink lesson [--notebook FILE] [--ask TEXT] [--turned] [--out DIR]
//       runs one tutor turn headless (NOLBY_API, else a demo gateway of its own), writes it out,
//       saves the notebook in the data folder DIR and draws its pages to DIR/page-N.png.
//   nolby-ink sheet FILE --width W --viewport V [--head H] [--png OUT]
//       lays a notebook out as its sheet in a window W wide showing V of height under a blank
//       head H tall; prints the layout, the opening scroll position and the outline as JSON
//       and draws the visible part at 2 pixels per point.

#include "Commands.h"
#include "Gallery.h"

#include <cstdio>
#include <cstring>
#include <string>

using namespace nolby::tools;

namespace nolby::tools {

int galleryCommand(const Args& args) {
    if (args.size() != 1) return 2;
    return renderGallery(args[0], stdout) ? 0 : 1;
}

}  // namespace nolby::tools

namespace {

struct Command {
    const char* name;
    int (*run)(const Args&);
    const char* usage;
};

const Command kCommands[] = {
    {"gallery", galleryCommand, "gallery OUTDIR"},
    {"math", mathCommand, "math TEX [--display] [--size S] [--seed N] [--png OUT]"},
    {"text", textCommand, "text TEXT [--face hand|scrawl|round] [--size S] [--width W] [--seed N] [--png OUT]"},
    {"block", blockCommand, "block JSON [--seed N] [--page 400x869] [--accent blue] [--png OUT] [--t T]"},
    {"face", faceCommand, "face hand|scrawl|round TEXT [--size S] [--png OUT]"},
    {"fig", figCommand, "fig ITEMS_JSON [--h H] [--seed N] [--page W] [--png OUT] [--t T]"},
    {"layers", layersCommand, "layers OUTDIR"},
    {"paper", paperCommand, "paper [--title T] [--issue N] [--number N] [--side single|left|right] [--png OUT]"},
    {"page", pageCommand,
     "page JSON [--title T] [--issue N] [--number N] [--side single|left|right] [--layers] [--png OUT]"},
    {"bloom", bloomCommand, "bloom PNG [--seed N] --png OUT"},
    {"library", libraryCommand, "library [--data DIR]   (numbers and saves issue-less notebooks, as the app does)"},
    {"notebook", notebookCommand,
     "notebook FILE ([--page N | --all] --png OUT | [--page N] --click X,Y [--type TEXT] --png OUT | [--page N] --words)"},
    {"cover", coverCommand, "cover FILE --size WxH [--art IMG] [--printing] [--large] [--png OUT]"},
    {"trim", trimCommand, "trim IN OUT"},
    {"write", writeCommand, "write JSON [--speed S] [--painting PNG [--at T]] (--sheet OUT.png | --frames DIR [--fps N])"},
    {"lesson", lessonCommand, "lesson [--notebook FILE] [--ask TEXT] [--turned] [--out DIR]"},
    {"sheet", sheetCommand, "sheet FILE --width W --viewport V [--head H] [--png OUT]"},
};

int usage() {
    std::fprintf(stderr, "usage:\n");
    for (const Command& c : kCommands) std::fprintf(stderr, "  nolby-ink %s\n", c.usage);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    Args args(argv + 2, argv + argc);
    for (const Command& c : kCommands) {
        if (std::strcmp(argv[1], c.name) != 0) continue;
        int status = c.run(args);
        if (status == 2) std::fprintf(stderr, "usage: nolby-ink %s\n", c.usage);
        return status;
    }
    return usage();
}
