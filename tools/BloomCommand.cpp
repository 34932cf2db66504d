// nolby-ink bloom PNG [--seed N] --png OUT
// Shows how a painting blooms onto the page: a contact sheet on paper with the painting and
// its ink lines in the first row, then the colour sheet (the painting through mask k) and
// the rim sheet (the painting at 0.55 through rim k) for every 4th stage and the last.
// Prints one JSON line: the painting's size, the grid rows, the seed and the stages shown.

#include "Commands.h"
#include "ink/Ink.h"
#include "platform/Canvas.h"
#include "platform/Pict.h"
#include "writing/Bloom.h"

#include <cairo.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace nolby::tools {

namespace {

constexpr double cellWidth = 240, gap = 12;

std::shared_ptr<const Image> readImage(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return nullptr;
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return Pict::image(bytes);
}

// A pattern of `img` stretched over a cell of w x h points at (x, y), bilinear, edges padded.
cairo_pattern_t* stretched(const Image& img, double x, double y, double w, double h) {
    cairo_pattern_t* p = cairo_pattern_create_for_surface(img.surface());
    cairo_matrix_t m;
    cairo_matrix_init_scale(&m, img.width() / w, img.height() / h);
    cairo_matrix_translate(&m, -x, -y);
    cairo_pattern_set_matrix(p, &m);
    cairo_pattern_set_filter(p, CAIRO_FILTER_BILINEAR);
    cairo_pattern_set_extend(p, CAIRO_EXTEND_PAD);
    return p;
}

// The painting (or a sheet of it) multiplied onto the paper in one cell, through a mask.
void sheet(cairo_t* cr, const Image& img, const Image* mask, double alpha, double x, double y, double w, double h) {
    cairo_save(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    cairo_push_group(cr);
    cairo_pattern_t* p = stretched(img, x, y, w, h);
    cairo_set_source(cr, p);
    cairo_paint_with_alpha(cr, alpha);
    cairo_pattern_destroy(p);
    cairo_pop_group_to_source(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_MULTIPLY);
    if (mask) {
        cairo_pattern_t* m = stretched(*mask, x, y, w, h);
        cairo_mask(cr, m);
        cairo_pattern_destroy(m);
    } else {
        cairo_paint(cr);
    }
    cairo_restore(cr);
}

}  // namespace

int bloomCommand(const Args& args) {
    const char* out = option(args, "--png");
    auto seed = seedOption(args);
    if (args.empty() || args[0].rfind("--", 0) == 0 || !out || !seed) return 2;
    auto painting = readImage(args[0]);
    if (!painting) {
        std::fprintf(stderr, "nolby-ink: %s is not a readable PNG or JPEG image\n", args[0].c_str());
        return 1;
    }
    auto bloom = Bloom::make(*painting, *seed);
    if (!bloom) {
        std::fprintf(stderr, "nolby-ink: a painting must be at least 9 pixels on each side; %s is %dx%d\n",
                     args[0].c_str(), painting->width(), painting->height());
        return 1;
    }

    std::vector<int> shown;
    for (int k = 0; k < Bloom::stages; k += 4) shown.push_back(k);
    shown.push_back(Bloom::stages - 1);
    const double w = cellWidth, h = std::max(8.0, std::min(4 * w, w * painting->height() / painting->width()));
    const double sheetW = gap + double(shown.size()) * (w + gap), sheetH = gap + 3 * (h + gap);
    Canvas canvas(sheetW, sheetH, 1);
    canvas.fill(Ink::paper);
    cairo_t* cr = canvas.cr();
    sheet(cr, *painting, nullptr, 1, gap, gap, w, h);
    sheet(cr, *bloom->lines, nullptr, 1, gap + (w + gap), gap, w, h);
    for (size_t i = 0; i < shown.size(); ++i) {
        double x = gap + double(i) * (w + gap);
        size_t k = size_t(shown[i]);
        sheet(cr, *painting, bloom->masks[k].get(), 1, x, gap + (h + gap), w, h);
        sheet(cr, *painting, bloom->rims[k].get(), 0.55, x, gap + 2 * (h + gap), w, h);
    }
    if (!canvas.writePng(out)) {
        std::fprintf(stderr, "nolby-ink: could not write %s\n", out);
        return 1;
    }
    std::string stages;
    for (int k : shown) stages += (stages.empty() ? "" : ", ") + std::to_string(k);
    std::printf("{\"rows\": %d, \"seed\": %llu, \"size\": [%d, %d], \"stages\": [%s]}\n",
                bloom->masks[0]->height(), static_cast<unsigned long long>(*seed), painting->width(),
                painting->height(), stages.c_str());
    return 0;
}

}  // namespace nolby::tools
