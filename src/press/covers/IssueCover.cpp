// The cover's texts, its art and the pieces every design shares: the nameplate, the issue
// line and the cover lines.
#include "press/covers/IssueCover.h"

#include "ink/J.h"
#include "ink/Mag.h"
#include "ink/mag/Grain.h"
#include "ink/mag/TextBlock.h"
#include "ink/mag/Unprinted.h"
#include "platform/Canvas.h"
#include "platform/DayText.h"
#include "platform/Unicode.h"
#include "press/covers/IssueCoverParts.h"

#include <algorithm>
#include <cmath>

namespace nolby {

using namespace cover;

IssueCover::Design IssueCover::design(std::optional<int64_t> issue) {
    const int64_t n = issue && *issue >= 1 ? *issue : 1;
    static constexpr Design table[] = {Design::bleed, Design::grid, Design::bleed, Design::editorial};
    return table[(n - 1) % 4];
}

std::string IssueCover::issueText() const {
    const int64_t n = notebook.issue && *notebook.issue >= 1 ? *notebook.issue : 1;
    return "No. " + chrome::zeroPadded(n, 3);
}

std::string IssueCover::slug() const {
    const std::string lower = unicode::lowercased(notebook.title);
    std::string joined;
    int words = 0;
    size_t i = 0;
    while (i < lower.size() && words < 3) {
        while (i < lower.size() && lower[i] == ' ') ++i;
        const size_t start = i;
        while (i < lower.size() && lower[i] != ' ') ++i;
        if (i == start) break;
        if (words++) joined += "_";
        joined += lower.substr(start, i - start);
    }
    joined = unicode::prefix(joined, 18);
    return (joined.empty() ? "untitled" : joined) + ".ink";
}

std::string IssueCover::meta() const {
    const size_t n = notebook.writtenPages;
    if (n == 0) return "a new notebook";
    const auto updated = DayText::localDay(notebook.updated), today = DayText::localDay(now);
    std::string day;
    if (updated == today) day = "today";
    else if (std::chrono::sys_days(updated) + std::chrono::days(1) == std::chrono::sys_days(today)) day = "yesterday";
    else day = DayText::monthDay(notebook.updated);
    return std::to_string(n) + " page" + (n == 1 ? "" : "s") + " \u00B7 " + day;
}

std::string IssueCover::shownTitle() const { return notebook.title.empty() ? "New issue" : notebook.title; }

std::optional<nlohmann::json> IssueCover::doodle() const {
    if (!notebook.plan) return std::nullopt;
    std::optional<J> plan = J::parse(*notebook.plan);
    if (!plan) return std::nullopt;
    const nlohmann::json* items = plan->arr("doodle");
    if (!items) return std::nullopt;
    return *items;
}

IssueCover::Drawn IssueCover::draw(cairo_t* cr, Size size, const Art& art) const {
    Drawn drawn;
    drawn.design = design();
    const double W = size.width, H = size.height;
    if (!cr || !(W > 0) || !(H > 0) || !std::isfinite(W) || !std::isfinite(H)) return drawn;
    Frame f{W, H, large, &drawn};
    draw::Saved saved(cr);
    draw::clipRect(cr, {0, 0, W, H});
    switch (drawn.design) {
    case Design::bleed: bleed(cr, f, art); break;
    case Design::grid: grid(cr, f, art); break;
    case Design::editorial: editorial(cr, f, art); break;
    }
    Grain{0.18}.draw(cr, {0, 0, W, H});
    return drawn;
}

void IssueCover::drawArt(cairo_t* cr, const Rect& area, const Art& art) const {
    if (!(area.w > 0) || !(area.h > 0)) return;
    draw::Saved saved(cr);
    draw::clipRect(cr, area);
    const Unprinted placeholder{Mag::inks(notebook.color), art.printing, PressMark{art.pulse}};
    CoverBand::draw(
        cr, area, art.look, [&](cairo_t* c, const Image& image) { fillWith(c, image, area); },
        [&](cairo_t* c, double alpha) {
            if (alpha >= 1) {
                placeholder.draw(c, area);
                return;
            }
            draw::Saved s(c);
            cairo_push_group(c);
            placeholder.draw(c, area);
            cairo_pop_group_to_source(c);
            cairo_paint_with_alpha(c, alpha);
        });
}

void IssueCover::masthead(cairo_t* cr, Frame& f, Color color) const {
    const double W = f.W;
    const chrome::Block b = chrome::block("Nolby", [](double s) { return fraunces(s, 480, 0); }, 0.37 * W,
                                          -0.012 * W, 0.9 * W, 1, 0.2);
    const double cy = 0.19 * W + f.drop();
    const double x = W / 2 - b.width() / 2, top = cy - b.height() / 2;
    shadowed(cr, b, x, top, {0, 0, 0, 0.16}, 0.012 * W, 0.004 * W);
    chrome::fill(cr, b, x, top, color);
    f.said(b);
}

void IssueCover::issueLine(cairo_t* cr, Frame& f, double y, Color color) const {
    const double W = f.W;
    auto font = futura(false, 0.046 * W);
    const double room = (W - 0.15 * W) / 2;
    const chrome::Line number = chrome::line(issueText(), *font, 0.002 * W, room);
    const chrome::Line quarter = chrome::line(Mag::quarter(ReferenceClock::toSys(notebook.created)), *font, 0.002 * W, room);
    const double baseline = number.baselineCentredOn(y);
    const double left = 0.075 * W, right = W - 0.075 * W - quarter.width();
    for (const auto& [line, x] : {std::pair{&number, left}, std::pair{&quarter, right}}) {
        shadowedLine(cr, *line, x, baseline, {0, 0, 0, 0.45}, 0.012 * W, 0.003 * W);
        chrome::fill(cr, *line, x, baseline, color);
        f.said(line->run.text);
    }
}

void IssueCover::coverLine(cairo_t* cr, Frame& f, Color color) const {
    const double W = f.W;
    const double room = W - 0.15 * W;
    const double size = (large ? 0.1 : 0.098) * W;
    const chrome::Block meta = chrome::single(unicode::uppercased(this->meta()), *futura(false, 0.038 * W), 0.004 * W, room);
    const chrome::Block title =
        chrome::block(shownTitle(), [](double s) { return fraunces(s, 600, 1); }, size, 0, room, 3, 0.6);
    const double x = 0.075 * W;
    const double titleTop = f.H - 0.075 * W - (large ? 30 : 0) - title.height();
    const double metaTop = titleTop - 0.018 * W - meta.height();
    chrome::fill(cr, meta, x, metaTop, color.withAlpha(color.a * 0.85));
    f.said(meta);
    shadowed(cr, title, x, titleTop, {0, 0, 0, 0.25}, 0.01 * W, 0.004 * W);
    chrome::fill(cr, title, x, titleTop, color);
    f.said(title);
}

}  // namespace nolby
