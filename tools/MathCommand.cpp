#include "Commands.h"
#include "OpsJson.h"
#include "Render.h"
#include "ink/Faces.h"
#include "ink/Ink.h"
#include "ink/math/MathInk.h"
#include "platform/NumberText.h"

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
    using NumberText::shortest;
    for (const auto& n : notes)
        std::printf("{\"note\":%s,\"color\":\"%s\",\"box\":[%s,%s,%s,%s]}\n", quoted(n.label).c_str(),
                    n.color.hexString().c_str(), shortest(n.box.x).c_str(), shortest(n.box.y).c_str(),
                    shortest(n.box.w).c_str(), shortest(n.box.h).c_str());
    std::printf("{\"width\":%s,\"ascent\":%s,\"descent\":%s}\n", shortest(e.w).c_str(), shortest(e.a).c_str(),
                shortest(e.d).c_str());
    if (const char* out = option(args, "--png")) {
        if (!renderPng(ops, {0, -e.a, e.w, e.a + e.d}, 1, out)) {
            std::fprintf(stderr, "nolby-ink: could not write %s\n", out);
            return 1;
        }
    }
    return 0;
}

}  // namespace nolby::tools
