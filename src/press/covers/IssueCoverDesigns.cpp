// The three cover designs: the painting bleeding off the page, a ruled poster grid over it,
// and a dark editorial page with the painting in a window.
#include "press/covers/IssueCover.h"

#include "ink/J.h"
#include "ink/Rng.h"
#include "ink/mag/DoodleInk.h"
#include "ink/mag/Lens.h"
#include "ink/mag/PixelStair.h"
#include "ink/mag/PixelText.h"
#include "ink/mag/QuirnFlags.h"
#include "ink/mag/RetroWindow.h"
#include "platform/Canvas.h"
#include "platform/Unicode.h"
#include "press/covers/IssueCoverParts.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace nolby {

using namespace cover;

namespace {

constexpr double kDegree = std::numbers::pi / 180;
constexpr double kNarrow = 120;  // covers this narrow or narrower have no lens and no window

// Runs `paint` turned by `degrees` about the centre of `r`.
template <class F>
void turned(cairo_t* cr, const Rect& r, double degrees, F paint) {
    draw::Saved saved(cr);
    const double cx = r.x + r.w / 2, cy = r.y + r.h / 2;
    draw::translate(cr, cx, cy);
    draw::rotate(cr, degrees * kDegree);
    draw::translate(cr, -cx, -cy);
    paint();
}

// How far the art has arrived (1 when settled): pieces drawn over the painting only follow it.
double arrived(const CoverBand::Look& look) { return look.leaving ? look.progress : 1; }

}  // namespace

void IssueCover::bleed(cairo_t* cr, Frame& f, const Art& art) const {
    const double W = f.W, H = f.H;
    const Rect all{0, 0, W, H};
    drawArt(cr, all, art);
    shade(cr, all, 0, {0, 0, 0, large ? 0.4 : 0.26}, (large ? 0.26 : 0.3) * H, {0, 0, 0, 0});
    shade(cr, all, 0.6 * H, {0, 0, 0, 0}, H, {0, 0, 0, 0.42});

    const std::shared_ptr<const Image>& image = art.look.shown.cover;
    if (image && W > kNarrow) {
        f.drawn->lens = true;
        const Lens lens{{0.24 * W, 0.52 * H}, 0.115 * W, 1.6, {W, H}};
        draw::Saved saved(cr);
        const double amount = arrived(art.look);
        if (amount < 1) cairo_push_group(cr);
        lens.draw(cr, {0, 0}, [&](cairo_t* c) { fillWith(c, *image, all); });
        if (amount < 1) {
            cairo_pop_group_to_source(cr);
            cairo_paint_with_alpha(cr, amount);
        }
    }

    if (auto items = doodle(); items && W > kNarrow) {
        f.drawn->window = true;
        const RetroWindow window{slug(), W / 260};
        const Rect frame{0.73 * W - 0.21 * W, 0.56 * H - 0.19 * W, 0.42 * W, 0.38 * W};
        turned(cr, frame, 2, [&] {
            window.draw(cr, frame, [&](cairo_t* c, const Rect& area) {
                DoodleInk{*items, stableHash(notebook.id.string()), false}.draw(c, area.insetBy(0.03 * W, 0.03 * W));
            });
        });
        f.said(slug());
    }

    masthead(cr, f, Color{1, 1, 1, 1});
    issueLine(cr, f, 0.37 * W + f.drop(), Color{1, 1, 1, 1});
    coverLine(cr, f, Color{1, 1, 1, 1});
}

void IssueCover::grid(cairo_t* cr, Frame& f, const Art& art) const {
    const double W = f.W, H = f.H;
    const double g = std::max(0.018 * W, 2.0);
    const double top = 0.46 * W + f.drop();
    const double band = 0.7 * H;
    fillRect(cr, {0, 0, W, H}, Mag::black);
    drawArt(cr, {0, 0, W, H}, art);

    // The rules: one path, filled once.
    Path rules;
    for (const Rect& r : {Rect{0, top - g / 2, W, g}, Rect{0, band - g / 2, W, g}, Rect{0.25 * W - g / 2, 0, g, top},
                          Rect{0.39 * W - g / 2, 0, g, top}, Rect{0.46 * W - g / 2, top, g, band - top},
                          Rect{0.34 * W - g / 2, band, g, H - band}, Rect{0.7 * W - g / 2, band, g, H - band}})
        rules.addRect(r);
    draw::fillPath(cr, rules, Mag::black);
    {
        draw::Saved saved(cr);
        cairo_new_path(cr);
        cairo_rectangle(cr, g / 4, g / 4, W - g / 2, H - g / 2);
        draw::setColor(cr, Mag::black);
        draw::setLineWidth(cr, g / 2);
        cairo_stroke(cr);
    }

    fillRect(cr, {0.25 * W + g / 2, g / 2, 0.14 * W - g, top - g}, Mag::red);
    fillRect(cr, {g / 2, band + g / 2, 0.34 * W - g, H - band - g}, Mag::yellow);
    fillRect(cr, {0.7 * W + g / 2, band + g / 2, 0.3 * W - g, H - band - g}, Color::hex(Mag::inks(notebook.color).a));

    // The title panel: a white card with two thin rules, the doodle and the title.
    const Rect cell{g / 2, top + g / 2, 0.46 * W - g, band - top - g};
    if (cell.w > 0 && cell.h > 0) {
        draw::Saved saved(cr);
        draw::clipRect(cr, cell);
        fillRect(cr, cell, Mag::white);
        const double t = std::max(0.012 * W, 1.5);
        fillRect(cr, {cell.x + cell.w / 2 + 0.18 * cell.w - t / 2, cell.y, t, cell.h}, Mag::yellow);
        fillRect(cr, {cell.x, cell.y + cell.h / 2 + 0.3 * cell.h - t / 2, cell.w, t}, Mag::red);
        const Rect inner = cell.insetBy(0.035 * W, 0.035 * W);
        const chrome::Block title = chrome::block(shownTitle(), [](double s) { return fraunces(s, 620, 1); },
                                                  0.068 * W, 0, std::max(inner.w, 0.0), 3, 0.5);
        const double titleTop = inner.y + inner.h - title.height();
        if (auto items = doodle()) {
            const Rect room{inner.x, inner.y, inner.w, titleTop - 0.01 * W - inner.y};
            if (room.w > 0 && room.h > 0)
                DoodleInk{*items, stableHash(notebook.id.string()), false}.draw(cr, room);
        }
        chrome::fill(cr, title, inner.x, titleTop, Mag::black);
        f.said(title);
    }

    // The flags panel.
    const Rect flags{0.34 * W + g / 2, band + g / 2, 0.36 * W - g, H - band - g};
    if (flags.w > 0 && flags.h > 0) {
        draw::Saved saved(cr);
        draw::clipRect(cr, flags);
        fillRect(cr, flags, Mag::white);
        const double t = std::max(0.01 * W, 1.5);
        fillRect(cr, {flags.x, flags.y + flags.h / 2 - 0.3 * flags.h - t / 2, flags.w, t}, Mag::blue);
        const Size tiles{0.86 * flags.w, 0.26 * flags.h};
        QuirnFlags{}.draw(cr, {flags.x + (flags.w - tiles.width) / 2, flags.y + (flags.h - tiles.height) / 2,
                               tiles.width, tiles.height});
    }

    masthead(cr, f, Color{1, 1, 1, 1});
    issueLine(cr, f, top - 0.06 * W, Color{1, 1, 1, 1});
}

void IssueCover::editorial(cairo_t* cr, Frame& f, const Art& art) const {
    const double W = f.W, H = f.H;
    fillRect(cr, {0, 0, W, H}, Mag::black);
    PixelStair{std::max(W / 48, 3.0), stableHash(notebook.id.string())}.draw(cr, {0, 0, W, 0.13 * W + f.drop()});

    // A centred column: the pixel title, the window taking the height left, the contents.
    const double padTop = 0.17 * W + f.drop(), padBottom = 0.065 * W + (large ? 30 : 0);
    const double spacing = 0.045 * W;
    const Rect column{0.07 * W, padTop, W - 0.14 * W, H - padTop - padBottom};

    // The title, cut to three lines: a runaway title must leave room for the rest.
    const PixelText title{shownTitle(), 0.07 * W, std::max(W / 140, 1.4), 0.86 * W, Color{1, 1, 1, 1}, 1, 3};
    const Size titleSize = title.measure();
    title.draw(cr, {W / 2 - titleSize.width / 2, column.y});
    for (const std::string& line : PixelText::setting(title.text, title.size, title.px, title.width, 3).lines)
        f.said(line);

    // The contents: the header and one row per plan step (two, five when large).
    std::vector<std::string> steps;
    if (notebook.plan)
        if (auto plan = J::parse(*notebook.plan)) steps = plan->strs("steps");
    steps.resize(std::min(steps.size(), size_t(large ? 5 : 2)));
    const chrome::Block header = chrome::single(
        "NOLBY  " + unicode::uppercased(issueText()) + "  \u2022  " + Mag::quarter(ReferenceClock::toSys(notebook.created)),
        *futura(true, 0.044 * W), 0, column.w);
    struct Row {
        chrome::Line number, text;
        double height, ascent;
    };
    std::vector<Row> rows;
    auto numberFont = futura(true, 0.038 * W);
    auto stepFont = fraunces(0.05 * W, 520, 1);
    const double numberHeight = numberFont->ascent() + numberFont->descent() + numberFont->leading();
    const double stepHeight = stepFont->ascent() + stepFont->descent() + stepFont->leading();
    for (size_t k = 0; k < steps.size(); ++k) {
        chrome::Line number = chrome::line(chrome::zeroPadded(static_cast<long long>(3 * k + 2), 2), *numberFont, 0);
        chrome::Line text = chrome::line(steps[k], *stepFont, 0, std::max(column.w - number.width() - 0.03 * W, 0.0));
        // Aligned on the first baseline: the row is as tall as the taller ascent and descent.
        const double ascent = std::max(number.ascent, text.ascent);
        rows.push_back({std::move(number), std::move(text), std::max(numberHeight, stepHeight), ascent});
    }
    double contentsHeight = header.height();
    for (const Row& r : rows) contentsHeight += 0.016 * W + r.height;

    // The window takes the height left between the title and the contents.
    const double readerTop = column.y + titleSize.height + spacing;
    const double readerH = std::max(column.y + column.h - contentsHeight - spacing - readerTop, 0.0);
    const double w = column.w, h = readerH;
    if (h > 0) {
        f.drawn->window = true;
        const std::string name = [&] {
            std::string s = slug();
            return s.substr(0, s.size() - 4) + ".jpg";
        }();
        const double ww = std::min(0.86 * w, 1.2 * h), wh = 0.95 * h;
        const Rect frame{column.x + (w - ww) / 2, readerTop + (h - wh) / 2, ww, wh};
        turned(cr, frame, -2.5, [&] {
            RetroWindow{name, W / 260}.draw(cr, frame, [&](cairo_t* c, const Rect& area) {
                const Size picture{0.86 * w, 0.86 * h};
                drawArt(c,
                        {area.x + (area.w - picture.width) / 2, area.y + (area.h - picture.height) / 2, picture.width,
                         picture.height},
                        art);
            });
        });
        f.said(name);
    }

    double y = column.y + column.h - contentsHeight;
    chrome::fill(cr, header, column.x, y, Color{1, 1, 1, 1});
    f.said(header);
    y += header.height();
    for (const Row& r : rows) {
        y += 0.016 * W;
        const double baseline = y + r.ascent;
        chrome::fill(cr, r.number, column.x, baseline, Mag::cyan);
        chrome::fill(cr, r.text, column.x + r.number.width() + 0.03 * W, baseline, Color{1, 1, 1, 0.92});
        f.said(r.number.run.text);
        f.said(r.text.run.text);
        y += r.height;
    }
}

}  // namespace nolby
