// nolby-ink: lays out ink and shows it, as operations on standard output and as a PNG.
//
//   nolby-ink gallery OUTDIR
//       renders every drawing operation kind at t = 0.25, 0.5 and 1, one PNG per kind,
//       and prints the operations, one JSON object a line.
//   nolby-ink math 'TEX' [--display] [--size S] [--seed N] [--png OUT]
//       typesets a formula and prints its operations, then its notes and extent.
//   nolby-ink text 'TEXT' [--face hand|scrawl|round] [--size S] [--width W] [--seed N] [--png OUT]
//       writes marked-up text by hand in a column from x 24 and prints its operations,
//       then {"height": h, "rooms": []}.
//   nolby-ink face hand|scrawl|round 'TEXT' [--size S] [--png OUT]
//       shapes the text in a handwriting face and prints, per run, which font file drew it.

#include "Gallery.h"
#include "OpsJson.h"
#include "Render.h"
#include "ink/Hand.h"
#include "ink/math/MathInk.h"
#include "ink/Faces.h"
#include "ink/Ink.h"
#include "platform/Canvas.h"
#include "platform/TextLine.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

using namespace nolby;

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage:\n"
                 "  nolby-ink gallery OUTDIR\n"
                 "  nolby-ink math TEX [--display] [--size S] [--seed N] [--png OUT]\n"
                 "  nolby-ink text TEXT [--face hand|scrawl|round] [--size S] [--width W] [--seed N] [--png OUT]\n"
                 "  nolby-ink face hand|scrawl|round TEXT [--size S] [--png OUT]\n");
    return 2;
}

// The value after a flag, or null when the flag is absent.
const char* option(const std::vector<std::string>& args, const char* flag) {
    for (size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == flag) return args[i + 1].c_str();
    return nullptr;
}

std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') { out += '\\'; out += static_cast<char>(c); }
        else if (c < 0x20) { char b[8]; std::snprintf(b, sizeof b, "\\u%04x", c); out += b; }
        else out += static_cast<char>(c);
    }
    return out + "\"";
}

bool flag(const std::vector<std::string>& args, const char* name) {
    for (const auto& a : args)
        if (a == name) return true;
    return false;
}

// A positive size in points from --size, or the fallback; none when it is malformed.
std::optional<double> sizeOption(const std::vector<std::string>& args, double fallback) {
    const char* s = option(args, "--size");
    if (!s) return fallback;
    char* end = nullptr;
    double v = std::strtod(s, &end);
    if (end == s || *end || !(v > 0 && v < 1000)) {
        std::fprintf(stderr, "nolby-ink: --size must be a number of points between 0 and 1000\n");
        return std::nullopt;
    }
    return v;
}

uint64_t seedOption(const std::vector<std::string>& args) {
    const char* s = option(args, "--seed");
    return s ? std::strtoull(s, nullptr, 10) : 1;
}

int mathCommand(const std::vector<std::string>& args) {
    if (args.empty()) return usage();
    auto size = sizeOption(args, 20);
    if (!size) return 2;
    Faces::registerFrom();
    MathInk ink(seedOption(args));
    std::vector<InkOpRef> ops;
    std::vector<MathInk::Note> notes;
    MathInk::Extent e = ink.draw(args[0], *size, Ink::ink, flag(args, "--display"), 0, 0, ops, notes);
    tools::printOps(stdout, ops);
    for (const auto& n : notes)
        std::printf("{\"note\":%s,\"color\":\"%s\",\"box\":[%g,%g,%g,%g]}\n", jsonString(n.label).c_str(),
                    n.color.hexString().c_str(), n.box.x, n.box.y, n.box.w, n.box.h);
    std::printf("{\"width\":%g,\"ascent\":%g,\"descent\":%g}\n", e.w, e.a, e.d);
    if (const char* out = option(args, "--png")) {
        if (!tools::renderPng(ops, {0, -e.a, e.w, e.a + e.d}, 1, out)) {
            std::fprintf(stderr, "nolby-ink: could not write %s\n", out);
            return 1;
        }
    }
    return 0;
}

int textCommand(const std::vector<std::string>& args) {
    if (args.empty()) return usage();
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
    double width = 352;
    if (const char* w = option(args, "--width")) {
        char* end = nullptr;
        width = std::strtod(w, &end);
        if (end == w || *end || !(width > 0 && width < 4000)) {
            std::fprintf(stderr, "nolby-ink: --width must be a number of points between 0 and 4000\n");
            return 2;
        }
    }
    Faces::registerFrom();
    Hand hand(seedOption(args));
    Hand::Result r = hand.write(args[0], 24, 20, width, *size, Ink::ink, face);
    tools::printOps(stdout, r.ops);
    Laid laid;
    laid.height = r.height;
    std::printf("%s\n", tools::laidJson(laid).c_str());
    if (const char* out = option(args, "--png")) {
        if (!tools::renderPng(r.ops, {0, 0, width + 48, r.height + 40}, 1, out)) {
            std::fprintf(stderr, "nolby-ink: could not write %s\n", out);
            return 1;
        }
    }
    return 0;
}

int face(const std::vector<std::string>& args) {
    if (args.size() < 2) return usage();
    auto which = Faces::faceFromRawValue(args[0]);
    if (!which) {
        std::fprintf(stderr, "nolby-ink: unknown face \"%s\" (hand, scrawl or round)\n", args[0].c_str());
        return 2;
    }
    double size = 24;
    if (const char* s = option(args, "--size")) size = std::atof(s);
    if (!(size > 0 && size < 1000)) {
        std::fprintf(stderr, "nolby-ink: --size must be a number of points between 0 and 1000\n");
        return 2;
    }
    Faces::registerFrom();
    auto font = Faces::font(*which, size);
    TextLine line = TextLine::shape(args[1], *font);
    for (const auto& run : line.runs)
        std::printf("{\"font\":%s,\"glyphs\":%zu}\n", jsonString(run.instance->file().postScriptName()).c_str(),
                    run.glyphs.size());
    std::printf("{\"width\":%.3f,\"ascent\":%.3f,\"descent\":%.3f,\"missing\":%s}\n", line.width, line.ascent,
                line.descent, line.hasMissingGlyphs() ? "true" : "false");
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

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    std::vector<std::string> args(argv + 2, argv + argc);
    if (std::strcmp(argv[1], "face") == 0) return face(args);
    if (std::strcmp(argv[1], "math") == 0) return mathCommand(args);
    if (std::strcmp(argv[1], "text") == 0) return textCommand(args);
    if (std::strcmp(argv[1], "gallery") == 0) {
        if (args.size() != 1) return usage();
        return tools::renderGallery(args[0], stdout) ? 0 : 1;
    }
    return usage();
}
