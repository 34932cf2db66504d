#include "Commands.h"
#include "OpsJson.h"
#include "Render.h"
#include "ink/Faces.h"
#include "ink/fig/Fig.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>

namespace nolby::tools {

// nolby-ink fig '[items...]' [--h H] [--seed N] [--page W] [--png OUT] [--t T]
// Draws the items as a figure block does: 100 units across the page column (x from 24,
// width pageW − 48), 4 points below the top, at the block's text size and line width.
int figCommand(const Args& args) {
    if (args.empty()) return 2;
    nlohmann::json items = nlohmann::json::parse(args[0], nullptr, /*allow_exceptions=*/false);
    if (items.is_discarded()) {
        std::fprintf(stderr, "nolby-ink: the figure items are not valid JSON\n");
        return 2;
    }
    if (items.is_object()) items = nlohmann::json::array({items});
    if (!items.is_array()) {
        std::fprintf(stderr, "nolby-ink: the figure items must be a JSON array of item objects\n");
        return 2;
    }
    auto boxH = number(args, "--h", 40, 0, 10000);
    auto pageW = number(args, "--page", 400, 48, 10000);
    auto t = number(args, "--t", 1, -1e-9, 1 + 1e-9);
    auto seed = seedOption(args);
    if (!boxH || !pageW || !t || !seed) return 2;
    Faces::registerFrom();

    const double W = *pageW - 48, k = W / 100;
    Fig fig(*seed, 24, 4, k, *boxH, 12.5, 1.55);
    fig.draw(items);

    // As tall as the box, or as the ink that runs below it.
    double bottom = *boxH * k + 8, inkBottom = 0;
    for (const auto& op : fig.ops) {
        Rect b = op->bounds();
        if (!b.isNull()) inkBottom = std::max(inkBottom, b.maxY());
    }
    Laid laid;
    laid.ops = fig.ops;
    laid.height = std::max(bottom, inkBottom + 6);
    printOps(stdout, laid.ops);
    std::printf("%s\n", laidJson(laid).c_str());
    if (const char* out = option(args, "--png")) {
        if (!renderPng(laid.ops, {0, 0, *pageW, laid.height}, std::clamp(*t, 0.0, 1.0), out)) {
            std::fprintf(stderr, "nolby-ink: could not write %s\n", out);
            return 1;
        }
    }
    return 0;
}

}  // namespace nolby::tools
