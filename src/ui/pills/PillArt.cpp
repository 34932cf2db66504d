#include "ui/pills/PillArt.h"

#include "ink/Mag.h"
#include "ink/mag/Symbols.h"
#include "platform/Blur.h"
#include "platform/Canvas.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace nolby::pills {

namespace {

// League Spartan stands in for the rounded system face: its medium and semibold cuts are
// families of their own, so fontconfig finds them by name.
constexpr const char* kRegular = "League Spartan";

constexpr Color kText = Color::hex(0x1d1d1f);
constexpr Color kAccent = Color::hex(0x0a6cdf);
constexpr Color kSecondary = Color::hex(0x6e6e73);
constexpr Color kWarning = Color::hex(0xff9500);

chrome::FontAt family(const char* name) {
    return [name](double size) { return Mag::systemFont(name, size); };
}

chrome::Block oneLine(std::string_view text, const char* name, double size, double maxWidth) {
    return chrome::single(text, *Mag::systemFont(name, size), 0, maxWidth);
}

// A rectangle of a given size centred vertically on a row.
Rect rowItem(double x, double rowTop, double rowHeight, double w, double h) {
    return {x, rowTop + (rowHeight - h) / 2, w, h};
}

void capsulePath(cairo_t* cr, const Rect& r) {
    const double radius = std::min(r.w, r.h) / 2;
    cairo_new_sub_path(cr);
    cairo_arc(cr, r.x + r.w - radius, r.y + radius, radius, -std::numbers::pi / 2, std::numbers::pi / 2);
    cairo_arc(cr, r.x + radius, r.y + radius, radius, std::numbers::pi / 2, 3 * std::numbers::pi / 2);
    cairo_close_path(cr);
}

// The drawn stand-in for the platform's glass: a soft shadow, a milky translucent body that
// lets the page show through, a brighter top edge and a faint outline.
void glass(cairo_t* cr, Size size) {
    if (!(size.width > 0) || !(size.height > 0)) return;
    const Rect r{0, 0, size.width, size.height};
    drawShadow(cr, {-2, -2, size.width + 4, size.height + 4}, Color::hex(0x000000, 0.16), 7, 0, 3,
               [&](cairo_t* c) {
                   capsulePath(c, r);
                   cairo_fill(c);
               });
    draw::Saved saved(cr);
    capsulePath(cr, r);
    cairo_pattern_t* body = cairo_pattern_create_linear(0, 0, 0, size.height);
    cairo_pattern_add_color_stop_rgba(body, 0, 1, 1, 1, 0.86);
    cairo_pattern_add_color_stop_rgba(body, 1, 0.97, 0.97, 0.98, 0.78);
    cairo_set_source(cr, body);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(body);
    draw::setColor(cr, Color::hex(0x000000, 0.10));
    cairo_set_line_width(cr, 0.5);
    cairo_stroke(cr);
    const Rect inner{0.75, 0.75, size.width - 1.5, size.height - 1.5};
    capsulePath(cr, inner);
    cairo_pattern_t* rim = cairo_pattern_create_linear(0, 0, 0, size.height);
    cairo_pattern_add_color_stop_rgba(rim, 0, 1, 1, 1, 0.95);
    cairo_pattern_add_color_stop_rgba(rim, 0.5, 1, 1, 1, 0.15);
    cairo_pattern_add_color_stop_rgba(rim, 1, 1, 1, 1, 0.45);
    cairo_set_source(cr, rim);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    cairo_pattern_destroy(rim);
}

// A filled warning triangle with rounded corners and a white exclamation mark.
void warning(cairo_t* cr, const Rect& r) {
    draw::Saved saved(cr);
    const double inset = 1.2;
    cairo_new_path(cr);
    cairo_move_to(cr, r.x + r.w / 2, r.y + inset);
    cairo_line_to(cr, r.x + r.w - inset, r.y + r.h - inset);
    cairo_line_to(cr, r.x + inset, r.y + r.h - inset);
    cairo_close_path(cr);
    draw::setColor(cr, kWarning);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, inset * 2);
    cairo_fill_preserve(cr);
    cairo_stroke(cr);
    const double cx = r.x + r.w / 2, stroke = r.w * 0.13;
    draw::setColor(cr, Color::hex(0xffffff));
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, stroke);
    cairo_move_to(cr, cx, r.y + r.h * 0.36);
    cairo_line_to(cr, cx, r.y + r.h * 0.62);
    cairo_stroke(cr);
    cairo_arc(cr, cx, r.y + r.h * 0.79, stroke * 0.62, 0, 2 * std::numbers::pi);
    cairo_fill(cr);
}

Color pressedIf(Color c, bool pressed) { return pressed ? c.withAlpha(c.a * 0.45) : c; }

}  // namespace

NoticeArt NoticeArt::make(std::string_view text, std::string_view action, double maxWidth) {
    NoticeArt a;
    a.action = oneLine(action, Mag::kFuturaBoldStandIn, textSize, std::numeric_limits<double>::infinity());
    const double room = std::max(0.0, maxWidth - 2 * padX - spacing - a.action.width());
    a.text = oneLine(text, Mag::kFuturaMediumStandIn, textSize, room);
    const double rowH = std::max(a.text.height(), a.action.height());
    const double textW = a.text.width(), actionW = a.action.width();
    a.size = {2 * padX + textW + spacing + actionW, rowH + 2 * padY};
    a.textRect = rowItem(padX, padY, rowH, textW, a.text.height());
    a.actionRect = rowItem(padX + textW + spacing, padY, rowH, actionW, a.action.height());
    return a;
}

void NoticeArt::draw(cairo_t* cr, Press pressed) const {
    if (!cr) return;
    glass(cr, size);
    chrome::fill(cr, text, textRect.x, textRect.y, kText);
    chrome::fill(cr, action, actionRect.x, actionRect.y, pressedIf(kAccent, pressed == Press::first));
}

ErrorArt ErrorArt::make(std::string_view text, bool whole) {
    ErrorArt a;
    const double iconW = textSize * 1.2, iconH = textSize * 1.05;
    const double closeW = closeSize;
    a.retry = oneLine("Retry", Mag::kFuturaBoldStandIn, retrySize, std::numeric_limits<double>::infinity());
    // The text takes what is left of the widest pill once the icon and both buttons have
    // their room, so "Retry" and the close button always stay visible.
    const double width = whole ? wholeWidth : maxWidth;
    const double room = std::max(1.0, width - 2 * padX - iconW - a.retry.width() - closeW - 3 * spacing);
    a.text = chrome::block(text, family(kRegular), textSize, 0, room, whole ? wholeLines : maxLines, 1);
    const double textW = std::min(a.text.width(), room);
    const double rowH = std::max({iconH, a.text.height(), a.retry.height(), closeW});
    double x = padX;
    a.iconRect = rowItem(x, padY, rowH, iconW, iconH);
    x += iconW + spacing;
    a.textRect = rowItem(x, padY, rowH, textW, a.text.height());
    x += textW + spacing;
    a.retryRect = rowItem(x, padY, rowH, a.retry.width(), a.retry.height());
    x += a.retry.width() + spacing;
    a.closeRect = rowItem(x, padY, rowH, closeW, closeW);
    a.size = {x + closeW + padX, rowH + 2 * padY};
    return a;
}

void ErrorArt::draw(cairo_t* cr, Press pressed) const {
    if (!cr) return;
    glass(cr, size);
    warning(cr, iconRect);
    chrome::fill(cr, text, textRect.x, textRect.y, kText);
    chrome::fill(cr, retry, retryRect.x, retryRect.y, pressedIf(kAccent, pressed == Press::first));
    symbols::draw(cr, symbols::Symbol::xmark, {closeRect.x + closeRect.w / 2, closeRect.y + closeRect.h / 2},
                  closeSize, 0.75, pressedIf(kSecondary, pressed == Press::second));
}

Placement Placement::place(Size area, std::optional<Size> error, std::optional<Size> notice) {
    Placement p;
    double bottomEdge = area.height - bottom;
    auto stack = [&](const Size& s) {
        const Rect r{(area.width - s.width) / 2, bottomEdge - s.height, s.width, s.height};
        bottomEdge = r.y - gap;
        return r;
    };
    // The column is laid from the bottom up: the notice lowest, the error above it.
    if (notice) p.notice = stack(*notice);
    if (error) p.error = stack(*error);
    return p;
}

}  // namespace nolby::pills
