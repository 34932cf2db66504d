#include "Commands.h"
#include "OpsJson.h"
#include "Render.h"
#include "ink/Faces.h"
#include "ink/Ink.h"
#include "platform/Canvas.h"
#include "platform/NumberText.h"
#include "platform/TextLine.h"

#include <cstdio>

namespace nolby::tools {

// nolby-ink face hand|scrawl|round TEXT [--size S] [--png OUT]
int faceCommand(const Args& args) {
    if (args.size() < 2) return 2;
    auto which = Faces::faceFromRawValue(args[0]);
    if (!which) {
        std::fprintf(stderr, "nolby-ink: unknown face \"%s\" (hand, scrawl or round)\n", args[0].c_str());
        return 2;
    }
    auto chosen = sizeOption(args, 24);
    if (!chosen) return 2;
    const double size = *chosen;
    Faces::registerFrom();
    auto font = Faces::font(*which, size);
    TextLine line = TextLine::shape(args[1], *font);
    for (const auto& run : line.runs)
        std::printf("{\"font\":%s,\"glyphs\":%zu}\n", quoted(run.instance->file().postScriptName()).c_str(),
                    run.glyphs.size());
    std::printf("{\"width\":%s,\"ascent\":%s,\"descent\":%s,\"missing\":%s}\n", NumberText::fixed(line.width, 3).c_str(),
                NumberText::fixed(line.ascent, 3).c_str(), NumberText::fixed(line.descent, 3).c_str(),
                line.hasMissingGlyphs() ? "true" : "false");
    if (const char* out = option(args, "--png")) {
        double pad = size * 0.5;
        Canvas canvas(line.width + 2 * pad, line.ascent + line.descent + 2 * pad, 2);
        canvas.fill(Ink::paper);
        cairo_t* cr = canvas.cr();
        draw::translate(cr, pad, pad + line.ascent);
        draw::appendPath(cr, line.outline());
        draw::setColor(cr, Ink::ink);
        cairo_fill(cr);
        if (!canvas.writePng(out)) {
            std::fprintf(stderr, "nolby-ink: could not write %s\n", out);
            return 1;
        }
    }
    return 0;
}

}  // namespace nolby::tools
