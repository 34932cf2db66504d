#include "Commands.h"
#include "OpsJson.h"
#include "Render.h"
#include "ink/Faces.h"
#include "ink/Ink.h"
#include "ink/blocks/Blocks.h"
#include "platform/NumberText.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>

namespace nolby::tools {

namespace {

// "400x869" or "400" (the height then stays 869).
std::optional<Geo> pageOption(const Args& args) {
    Geo geo;
    const char* s = option(args, "--page");
    if (!s) return geo;
    const std::string_view text(s);
    const size_t x = text.find('x');
    std::optional<double> w = NumberText::parseDouble(text.substr(0, x));
    std::optional<double> h = x == std::string_view::npos ? geo.pageH : NumberText::parseDouble(text.substr(x + 1));
    if (w) geo.pageW = *w;
    if (h) geo.pageH = *h;
    if (!w || !h || !(geo.pageW >= 100 && geo.pageW <= 4000) || !(geo.pageH >= 100 && geo.pageH <= 20000)) {
        std::fprintf(stderr, "nolby-ink: --page must be WIDTHxHEIGHT in points, e.g. 400x869\n");
        return std::nullopt;
    }
    return geo;
}

}  // namespace

// nolby-ink block JSON [--seed N] [--page 400x869] [--accent blue] [--png OUT] [--t T]
// JSON is one block object, or an array of them stacked down the page 12 points apart.
int blockCommand(const Args& args) {
    if (args.empty()) return 2;
    auto seed = seedOption(args);
    auto geo = pageOption(args);
    auto t = number(args, "--t", 1, -1, 2);
    if (!seed || !geo || !t) return 2;
    nlohmann::json parsed = nlohmann::json::parse(args[0], nullptr, false);
    if (parsed.is_discarded() || !(parsed.is_object() || parsed.is_array())) {
        std::fprintf(stderr, "nolby-ink: the block must be a JSON object or an array of objects\n");
        return 2;
    }
    std::vector<J> objects;
    if (parsed.is_object()) objects.emplace_back(parsed);
    else
        for (const auto& item : parsed)
            if (item.is_object()) objects.emplace_back(item);

    Faces::registerFrom();
    const char* accentName = option(args, "--accent");
    Blocks blocks{*geo, Ink::color(std::string(accentName ? accentName : "blue"), Ink::color(std::string("blue"), Ink::ink))};
    Laid page;
    double y = 0;
    for (size_t i = 0; i < objects.size(); ++i) {
        Laid one = blocks.lay(objects[i], *seed + i).shifted(0, y);
        page.ops.insert(page.ops.end(), one.ops.begin(), one.ops.end());
        page.rooms.insert(page.rooms.end(), one.rooms.begin(), one.rooms.end());
        y += one.height + (i + 1 < objects.size() ? 12 : 0);
    }
    page.height = y;
    printOps(stdout, page.ops);
    std::printf("%s\n", laidJson(page).c_str());
    if (const char* out = option(args, "--png")) {
        if (!renderPng(page.ops, {0, 0, geo->pageW, std::max(page.height, 20.0)}, *t, out)) {
            std::fprintf(stderr, "nolby-ink: could not write %s\n", out);
            return 1;
        }
    }
    return 0;
}

}  // namespace nolby::tools
