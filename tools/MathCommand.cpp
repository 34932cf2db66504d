#include "Commands.h"
#include "OpsJson.h"
#include "Render.h"
#include "ink/Faces.h"
#include "ink/Ink.h"
#include "ink/math/MathInk.h"

#include <cstdio>

namespace nolby::tools {

// nolby-ink math TEX [--display] [--size S] [--seed N] [--png OUT]
int mathCommand(const Args& args) {
    if (args.empty()) return 2;
    auto size = sizeOption(args, 20);
    if (!size) return 2;
    Faces::registerFrom();
    auto seed = seedOption(args);
    if (!seed) return 2;
    MathInk ink(*seed);
    std::vector<InkOpRef> ops;
    std::vector<MathInk::Note> notes;
    MathInk::Extent e = ink.draw(args[0], *size, Ink::ink, flag(args, "--display"), 0, 0, ops, notes);
    printOps(stdout, ops);
    for (const auto& n : notes)
        std::printf("{\"note\":%s,\"color\":\"%s\",\"box\":[%g,%g,%g,%g]}\n", quoted(n.label).c_str(),
                    n.color.hexString().c_str(), n.box.x, n.box.y, n.box.w, n.box.h);
    std::printf("{\"width\":%g,\"ascent\":%g,\"descent\":%g}\n", e.w, e.a, e.d);
    if (const char* out = option(args, "--png")) {
        if (!renderPng(ops, {0, -e.a, e.w, e.a + e.d}, 1, out)) {
            std::fprintf(stderr, "nolby-ink: could not write %s\n", out);
            return 1;
        }
    }
    return 0;
}

}  // namespace nolby::tools
