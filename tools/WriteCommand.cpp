// nolby-ink write JSON [--speed S] [--painting PNG [--at T]] (--sheet OUT.png | --frames DIR [--fps N])
// Writes a reply out on a page as the notebook does: the blocks (one object or an array)
// laid down the page and queued as a reply at clock 0, the page's writer and stage driven on
// a manual clock until nothing is written or revealed any more. With --painting, at T
// seconds (3 unless given) the painting arrives for the first sketch block and its last
// operation is queued alongside, as the tutor does. The page is drawn on paper at 2 pixels
// per point, as a contact sheet of twelve moments with their times, or as frame i at time
// i / fps (10 unless given). Prints one JSON line per stroke as it is scheduled: the
// operation as `block` prints it, plus "job", "index", "at" (the clock then), "start",
// "dur" and "beside".

#include "Commands.h"
#include "OpsJson.h"
#include "WriteDesk.h"
#include "ink/Faces.h"
#include "ink/Ink.h"
#include "ink/Mag.h"
#include "ink/ops/TextOp.h"
#include "platform/NumberText.h"
#include "platform/Pict.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace nolby::tools {

namespace {

constexpr double kLimit = 600;    // seconds of writing at most
constexpr int kMoments = 12;      // pictures on a contact sheet
constexpr int kColumns = 4;
constexpr double kCell = 0.5;     // a page on the sheet, to its own size
constexpr double kGap = 16, kLabel = 26;

std::string jsonNumber(double v) { return std::isfinite(v) ? NumberText::trimmed(v, 4) : "null"; }

std::string strokeLine(const WriteDesk::Scheduled& s) {
    std::string line = opJson(*s.stroke.op);
    line.pop_back();  // the closing brace
    line += ",\"job\":" + std::to_string(s.stroke.job) + ",\"index\":" + std::to_string(s.stroke.index);
    line += ",\"at\":" + jsonNumber(s.at) + ",\"start\":" + jsonNumber(s.stroke.start) +
            ",\"dur\":" + jsonNumber(s.stroke.dur);
    line += std::string(",\"beside\":") + (s.stroke.beside ? "true" : "false") + "}";
    return line;
}

std::shared_ptr<const Image> readImage(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return nullptr;
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return Pict::image(bytes);
}

// A flag given last, with no value after it, would otherwise be taken as absent.
bool valued(const Args& args, const char* name) {
    if (!args.empty() && args.back() == name) {
        std::fprintf(stderr, "nolby-ink: %s needs a value\n", name);
        return false;
    }
    return true;
}

struct Plan {
    std::vector<J> blocks;
    double speed = 1;
    std::shared_ptr<const Image> painting;
    double at = 3;
    int sketch = -1;  // the block the painting goes to
};

// Writes the reply on a fresh desk; `moment(desk, t)` is called when the clock reaches each
// of `times` (in order). Returns the clock when everything came to rest.
template <class F>
double writeOut(const Plan& plan, const std::vector<double>& times, bool print, F&& moment) {
    WriteDesk desk({.geo = {}, .speed = plan.speed});
    if (print) desk.onStroke = [](const WriteDesk::Scheduled& s) { std::printf("%s\n", strokeLine(s).c_str()); };
    const std::vector<Uuid> ids = desk.reply(plan.blocks, 1);
    size_t next = 0;
    // Moves the clock to t, stopping at each moment on the way.
    auto until = [&](double t) {
        while (next < times.size() && times[next] <= t) {
            desk.run(times[next] - desk.clock->now());
            moment(desk, times[next++]);
        }
        desk.run(t - desk.clock->now());
    };
    if (plan.painting) {
        until(plan.at);
        desk.paint(ids[size_t(plan.sketch)], plan.painting);
    }
    while (!desk.idle() && desk.clock->now() < kLimit) until(desk.clock->now() + 0.05);
    const double end = desk.clock->now();
    until(times.empty() ? end : std::max(end, times.back()));
    return end;
}

bool writeSheet(const Plan& plan, const std::string& out) {
    // Where the writing ends, first, so the moments can span it.
    const double end = writeOut(plan, {}, false, [](WriteDesk&, double) {});
    std::vector<double> times;
    for (int i = 0; i < kMoments; ++i) times.push_back(std::round(end * i / (kMoments - 1) * 100) / 100);
    const Geo geo;
    const double cw = geo.pageW * kCell, ch = geo.pageH * kCell;
    const int rows = (kMoments + kColumns - 1) / kColumns;
    Canvas sheet(kGap + kColumns * (cw + kGap), kGap + rows * (ch + kLabel + kGap), 2);
    sheet.fill(Color::hex(0xe9e4d8));
    auto font = Faces::font(Faces::Face::hand, 16);
    int k = 0;
    writeOut(plan, times, true, [&](WriteDesk& desk, double t) {
        auto frame = desk.frame(t);
        const double x = kGap + (k % kColumns) * (cw + kGap), y = kGap + (k / kColumns) * (ch + kLabel + kGap);
        cairo_t* cr = sheet.cr();
        cairo_save(cr);
        cairo_translate(cr, x, y + kLabel);
        cairo_scale(cr, kCell / 2, kCell / 2);  // the frame's pixels are half points
        cairo_set_source_surface(cr, frame->surface(), 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
        cairo_paint(cr);
        cairo_restore(cr);
        TextOp("t = " + NumberText::trimmed(t, 2) + " s", x + 2, y + kLabel - 8, *font, Ink::ink).draw(cr, 1);
        ++k;
    });
    return sheet.writePng(out);
}

bool writeFrames(const Plan& plan, const std::string& dir, double fps) {
    const double end = writeOut(plan, {}, false, [](WriteDesk&, double) {});
    std::vector<double> times;
    for (int i = 0; i <= int(std::ceil(end * fps)); ++i) times.push_back(i / fps);
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    bool ok = true;
    int i = 0;
    writeOut(plan, times, true, [&](WriteDesk& desk, double t) {
        char name[32];
        std::snprintf(name, sizeof name, "frame-%04d.png", i++);
        if (ok && !desk.frame(t)->writePng((std::filesystem::path(dir) / name).string())) {
            std::fprintf(stderr, "nolby-ink: could not write %s in %s\n", name, dir.c_str());
            ok = false;
        }
    });
    return ok;
}

}  // namespace

int writeCommand(const Args& args) {
    if (args.empty() || args[0].rfind("--", 0) == 0) return 2;
    for (const char* name : {"--speed", "--painting", "--at", "--sheet", "--frames", "--fps"})
        if (!valued(args, name)) return 2;
    const char* sheet = option(args, "--sheet");
    const char* frames = option(args, "--frames");
    if (!sheet == !frames) {
        std::fprintf(stderr, "nolby-ink: give either --sheet OUT.png or --frames DIR\n");
        return 2;
    }
    Plan plan;
    auto speed = number(args, "--speed", 1, 0, 1000);
    auto at = number(args, "--at", 3, -1, kLimit);
    if (at && *at < 0) {
        std::fprintf(stderr, "nolby-ink: --at must be a time of 0 seconds or more\n");
        return 2;
    }
    auto fps = number(args, "--fps", 10, 0, 241);
    if (!speed || !at || !fps) return 2;
    plan.speed = *speed;
    plan.at = *at;

    std::string error;
    auto blocks = replyBlocks(args[0], error);
    if (!blocks) {
        std::fprintf(stderr, "nolby-ink: %s\n", error.c_str());
        return 2;
    }
    plan.blocks = std::move(*blocks);
    if (plan.blocks.empty()) {
        std::fprintf(stderr, "nolby-ink: the reply has no block objects\n");
        return 2;
    }

    if (const char* file = option(args, "--painting")) {
        plan.painting = readImage(file);
        if (!plan.painting) {
            std::fprintf(stderr, "nolby-ink: %s is not a readable PNG or JPEG image\n", file);
            return 1;
        }
        for (size_t i = 0; i < plan.blocks.size() && plan.sketch < 0; ++i)
            if (plan.blocks[i].str("t", "") == "sketch") plan.sketch = int(i);
        if (plan.sketch < 0) {
            std::fprintf(stderr, "nolby-ink: --painting needs a sketch block to go to\n");
            return 2;
        }
    } else if (option(args, "--at")) {
        std::fprintf(stderr, "nolby-ink: --at is the time a --painting arrives\n");
        return 2;
    }

    Faces::registerFrom();
    Mag::registerFrom();
    const bool ok = sheet ? writeSheet(plan, sheet) : writeFrames(plan, frames, *fps);
    if (!ok && sheet) std::fprintf(stderr, "nolby-ink: could not write %s\n", sheet);
    return ok ? 0 : 1;
}

}  // namespace nolby::tools
