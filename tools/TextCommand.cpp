#include "Commands.h"
#include "OpsJson.h"
#include "Render.h"
#include "ink/Hand.h"

#include <cstdio>

namespace nolby::tools {

// nolby-ink text TEXT [--face hand|scrawl|round] [--size S] [--width W] [--seed N] [--png OUT]
int textCommand(const Args& args) {
    if (args.empty()) return 2;
    auto size = sizeOption(args, 17);
    if (!size) return 2;
    Faces::Face face = Faces::Face::hand;
    if (const char* f = option(args, "--face")) {
        auto parsed = Faces::faceFromRawValue(f);
        if (!parsed) {
            std::fprintf(stderr, "nolby-ink: unknown face \"%s\" (hand, scrawl or round)\n", f);
            return 2;
        }
        face = *parsed;
    }
    auto width = number(args, "--width", 352, 0, 4000);
    if (!width) return 2;
    Faces::registerFrom();
    auto seed = seedOption(args);
    if (!seed) return 2;
    Hand hand(*seed);
    Hand::Result r = hand.write(args[0], 24, 20, *width, *size, Ink::ink, face);
    printOps(stdout, r.ops);
    Laid laid;
    laid.height = r.height;
    std::printf("%s\n", laidJson(laid).c_str());
    if (const char* out = option(args, "--png")) {
        if (!renderPng(r.ops, {0, 0, *width + 48, r.height + 40}, 1, out)) {
            std::fprintf(stderr, "nolby-ink: could not write %s\n", out);
            return 1;
        }
    }
    return 0;
}

}  // namespace nolby::tools
