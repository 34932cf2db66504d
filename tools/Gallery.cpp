#include "Gallery.h"

#include "OpsJson.h"
#include "ink/Faces.h"
#include "ink/Ink.h"
#include "ink/ops/FillOp.h"
#include "ink/ops/ImageOp.h"
#include "ink/ops/InkStrokeOp.h"
#include "ink/ops/MonoOp.h"
#include "ink/ops/PhraseOp.h"
#include "ink/ops/StrokeOp.h"
#include "ink/ops/TextOp.h"
#include "ink/ops/WetOp.h"
#include "ink/ops/WrapOp.h"
#include "platform/Canvas.h"
#include "platform/NumberText.h"

#include <cmath>
#include <filesystem>

namespace nolby::tools {

namespace {

Pen pen(Color c, double width, BlendMode blend = BlendMode::normal) {
    Pen p = Pen::usual(c, width);
    p.blend = blend;
    return p;
}

GalleryCase strokes() {
    GalleryCase g{"stroke", 360, 140, {}};
    // A loose spiral of cubic curves: one long sub-path, eased.
    Path spiral;
    spiral.moveTo(70, 70);
    for (int i = 1; i <= 6; ++i) {
        double r = 8.0 * i, a = i * 1.9;
        spiral.curveTo({70 + r * std::cos(a - 0.9), 70 + r * std::sin(a - 0.9)},
                       {70 + r * std::cos(a - 0.4), 70 + r * std::sin(a - 0.4)},
                       {70 + r * std::cos(a), 70 + r * std::sin(a)});
    }
    g.ops.push_back(std::make_shared<StrokeOp>(spiral, pen(Ink::ink, 2.2)));
    // Seven short strokes: written one after another, linearly.
    Path hatch;
    for (int i = 0; i < 7; ++i) {
        hatch.moveTo(150 + i * 12, 30);
        hatch.lineTo(140 + i * 12, 110);
    }
    g.ops.push_back(std::make_shared<StrokeOp>(hatch, pen(Color::hex(0x1971c2), 1.6)));
    // A dashed line and a highlighter stroke in multiply.
    Pen dashed = pen(Color::hex(0xe03131), 2);
    dashed.dash = std::vector<double>{6, 4};
    dashed.cap = LineCap::butt;
    Path dash;
    dash.moveTo(250, 30);
    dash.quadTo({300, 0}, {340, 50});
    g.ops.push_back(std::make_shared<StrokeOp>(dash, dashed));
    Path marker;
    marker.moveTo(240, 95);
    marker.lineTo(345, 90);
    g.ops.push_back(std::make_shared<StrokeOp>(marker, pen(Ink::marker(std::string("yellow")), 14, BlendMode::multiply)));
    Path under;
    under.moveTo(250, 92);
    under.lineTo(330, 92);
    g.ops.push_back(std::make_shared<StrokeOp>(under, pen(Ink::ink, 1.5)));
    return g;
}

GalleryCase fills() {
    GalleryCase g{"fill", 360, 140, {}};
    Path circle;
    circle.addEllipse({20, 20, 100, 100});
    g.ops.push_back(std::make_shared<FillOp>(circle, Ink::fill(std::string("blue"))));
    Path ring;
    ring.addEllipse({140, 20, 100, 100});
    ring.addEllipse({165, 45, 50, 50});
    g.ops.push_back(std::make_shared<FillOp>(ring, Ink::fill(std::string("teal")), BlendMode::normal, true));
    Path a, b;
    a.addRoundedRect({255, 25, 70, 60}, 10, 10);
    b.addRoundedRect({280, 55, 70, 60}, 10, 10);
    g.ops.push_back(std::make_shared<FillOp>(a, Ink::fill(std::string("yellow")), BlendMode::multiply));
    g.ops.push_back(std::make_shared<FillOp>(b, Ink::fill(std::string("pink")), BlendMode::multiply));
    return g;
}

GalleryCase text() {
    GalleryCase g{"text", 360, 140, {}};
    Path band;
    band.addRect({10, 40, 340, 50});
    g.ops.push_back(std::make_shared<FillOp>(band, Ink::fill(std::string("blue"))));
    auto hand = Faces::font(Faces::Face::hand, 34);
    g.ops.push_back(std::make_shared<TextOp>("Handwriting", 20, 78, *hand, Ink::ink, 0, Ink::paper));
    auto round = Faces::font(Faces::Face::round, 20);
    g.ops.push_back(std::make_shared<TextOp>("x \u2260 \u03c0 \u2264 \u221e", 240, 120, *round, Color::hex(0xe03131)));
    return g;
}

GalleryCase phrase() {
    GalleryCase g{"phrase", 360, 140, {}};
    auto font = Faces::font(Faces::Face::scrawl, 30);
    const char* words[] = {"ink", "flows", "from", "the", "pen"};
    Color colors[] = {Ink::ink, Ink::ink, Color::hex(0x1971c2), Ink::ink, Color::hex(0xe03131)};
    std::vector<PhraseOp::Run> runs;
    double x = 20;
    for (int i = 0; i < 5; ++i) {
        GlyphRun glyphs(words[i], *font);
        double w = glyphs.width;
        runs.push_back({std::move(glyphs), x, 80, colors[i]});
        x += w + 12;
    }
    g.ops.push_back(std::make_shared<PhraseOp>(runs, 30.0));
    return g;
}

GalleryCase mono() {
    GalleryCase g{"mono", 360, 140, {}};
    auto font = Faces::font(Faces::Face::round, 22);
    std::vector<Color> colors(4, Color::hex(0x6741d9));
    colors.insert(colors.end(), 4, Ink::ink);
    colors.push_back(Color::hex(0x2f9e44));
    g.ops.push_back(std::make_shared<MonoOp>("let x = 42; // WWW", 20, 80, *font, 17, colors));
    return g;
}

std::shared_ptr<const Image> paintedImage() {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 120, 80);
    cairo_t* cr = cairo_create(s);
    cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, 80);
    cairo_pattern_add_color_stop_rgb(sky, 0, 0.55, 0.75, 0.95);
    cairo_pattern_add_color_stop_rgb(sky, 1, 0.98, 0.85, 0.6);
    cairo_set_source(cr, sky);
    cairo_paint(cr);
    cairo_pattern_destroy(sky);
    cairo_set_source_rgb(cr, 0.35, 0.6, 0.3);
    cairo_arc(cr, 40, 110, 60, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_destroy(cr);
    return Image::adopt(s);
}

GalleryCase image() {
    GalleryCase g{"image", 360, 140, {}};
    g.ops.push_back(std::make_shared<ImageOp>(paintedImage(), Rect{20, 10, 180, 120}));
    g.ops.push_back(std::make_shared<WetOp>(Rect{210, 10, 140, 120}, 9));
    return g;
}

GalleryCase wrappers() {
    GalleryCase g{"wrap", 360, 140, {}};
    // A small note, tilted about its centre and shifted into place.
    auto font = Faces::font(Faces::Face::hand, 22);
    Path card;
    card.addRect({0, 0, 120, 70});
    std::vector<InkOpRef> note{
        std::make_shared<FillOp>(card, Ink::wash(std::string("yellow"))),
        std::make_shared<TextOp>("remember!", 12, 42, *font, Ink::ink),
    };
    for (const auto& op : note) {
        auto turned = std::make_shared<RotOp>(op, -4, 60, 35);
        g.ops.push_back(turned->offset(30, 30));
    }
    Path arrow;
    arrow.moveTo(200, 70);
    arrow.curveTo({240, 20}, {290, 20}, {330, 70});
    auto stroke = std::make_shared<StrokeOp>(arrow, pen(Ink::ink, 2));
    g.ops.push_back(std::make_shared<PacedOp>(stroke, 12));
    return g;
}

// The learner's stored strokes: a pen whose pressure swells and fades, a pen without
// pressure (width from speed), a quick tick, a dot, and a highlighter over a line.
GalleryCase inkStrokes() {
    GalleryCase g{"inkstroke", 360, 140, {}};
    // Samples owned here, read through the PenStroke view as stored strokes are.
    struct Item {
        std::vector<float> pts;
        const char* color;
        double width;
        const char* tool;
        operator PenStroke() const { return {pts, color, width, tool}; }
    };
    auto item = [](const char* tool, const char* color, double width) { return Item{{}, color, width, tool}; };
    Item swell = item("pen", "ink", 3.2);
    for (int i = 0; i <= 60; ++i) {
        double u = i / 60.0;
        swell.pts.insert(swell.pts.end(), {static_cast<float>(20 + 140 * u), static_cast<float>(40 + 18 * std::sin(u * 6.3)),
                                           static_cast<float>(0.15 + 0.85 * std::sin(u * M_PI))});
    }
    g.ops.push_back(std::make_shared<InkStrokeOp>(swell, Ink::learner));
    Item loop = item("pen", "ink", 2.4);
    for (int i = 0; i <= 90; ++i) {
        // Samples bunch up where the pen slows at the top of each loop.
        double a = i / 90.0 * 4 * M_PI;
        loop.pts.insert(loop.pts.end(), {static_cast<float>(180 + 9 * a - 16 * std::sin(a)),
                                         static_cast<float>(50 - 22 * std::cos(a)), 0.5f});
    }
    g.ops.push_back(std::make_shared<InkStrokeOp>(loop, Ink::ink));
    Item tick = item("pen", "red", 2.8);
    tick.pts = {304, 30, 0.3f, 310, 40, 0.6f, 316, 50, 0.9f, 326, 34, 0.7f, 342, 14, 0.4f};
    g.ops.push_back(std::make_shared<InkStrokeOp>(tick, Color::hex(0xe03131)));
    Item dot = item("pen", "ink", 4);
    dot.pts = {350, 52, 0.8f};
    g.ops.push_back(std::make_shared<InkStrokeOp>(dot, Ink::ink));
    Item under = item("pen", "ink", 1.8);
    Item marker = item("marker", "pink", 14);
    for (int i = 0; i <= 40; ++i) {
        double x = 30 + 300 * i / 40.0;
        under.pts.insert(under.pts.end(), {static_cast<float>(x), static_cast<float>(108 + 2 * std::sin(x / 30)), 0.6f});
        marker.pts.insert(marker.pts.end(), {static_cast<float>(x), static_cast<float>(110 - 0.02 * (x - 30)),
                                             static_cast<float>(0.2 + 0.02 * i)});
    }
    g.ops.push_back(std::make_shared<InkStrokeOp>(under, Ink::ink));
    g.ops.push_back(std::make_shared<InkStrokeOp>(marker, Ink::ink));
    return g;
}

}  // namespace

std::vector<GalleryCase> galleryCases() {
    Faces::registerFrom();
    return {strokes(), fills(), text(), phrase(), mono(), image(), wrappers(), inkStrokes()};
}

bool renderGallery(const std::string& outdir, std::FILE* out) {
    std::error_code ec;
    std::filesystem::create_directories(outdir, ec);
    Faces::registerFrom();
    auto label = Faces::font(Faces::Face::round, 11);
    bool ok = true;
    const double ts[] = {0.25, 0.5, 1};
    for (const GalleryCase& c : galleryCases()) {
        printOps(out, c.ops);
        const double gap = 10;
        Canvas canvas(3 * c.width + 4 * gap, c.height + 2 * gap + 16, 2);
        canvas.fill(Color::hex(0xe4e0d6));
        for (int i = 0; i < 3; ++i) {
            double x0 = gap + i * (c.width + gap), y0 = gap;
            cairo_t* cr = canvas.cr();
            draw::Saved saved(cr);
            draw::translate(cr, x0, y0);
            Path paper;
            paper.addRect({0, 0, c.width, c.height});
            FillOp(paper, Ink::paper).draw(cr, 1);
            draw::clipRect(cr, {0, 0, c.width, c.height});
            for (const auto& op : c.ops) op->draw(cr, ts[i]);
            cairo_reset_clip(cr);
            const std::string caption = c.name + "   t = " + NumberText::shortest(ts[i]);
            TextOp(caption, 4, c.height + 14, *label, Ink::grey).draw(cr, 1);
        }
        std::string file = (std::filesystem::path(outdir) / (c.name + ".png")).string();
        if (!canvas.writePng(file)) {
            std::fprintf(stderr, "nolby-ink: could not write %s\n", file.c_str());
            ok = false;
        }
    }
    return ok;
}

}  // namespace nolby::tools
