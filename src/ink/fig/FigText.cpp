// Text in figures: lines of text at a point, labels with leader arrows, text inside shapes
// and cells, and the print face. Too wide a line is shrunk, never wrapped, and pulled back
// inside the figure's width.
#include "ink/fig/Fig.h"
#include "ink/ops/StrokeOp.h"
#include "ink/ops/TextOp.h"
#include "ink/ops/WrapOp.h"
#include "platform/TextLine.h"
#include "platform/Regex.h"
#include "platform/Unicode.h"

#include <unicode/regex.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>

namespace nolby {

namespace {

// Every call here writes with the default line height, no indent and the usual wobble.
Hand::Result write(Hand& hand, const std::string& text, double x, double top, double width, double size, Color color,
                   Faces::Face face, Hand::Align align, bool marks, std::optional<Color> halo) {
    return hand.write(text, x, top, width, size, color, face, std::nullopt, align, marks, halo, 0, 0, 1);
}

std::shared_ptr<InkOp> printOp(const std::string& text, double x, double y, double size, Color color) {
    auto op = std::make_shared<PacedOp>(std::make_shared<TextOp>(text, x, y, *Fig::printFont(size), color, 0), 12);
    op->pause = 0;
    return op;
}

}  // namespace

const icu::RegexPattern& Fig::markup() {
    // Never destroyed: layouts may still run on other threads while the process exits.
    static const icu::RegexPattern* pattern =
        regex::compile(uR"re(\{[A-Za-z]+:|\(\(|\)\)|~~|\*\*|__|[*{}$`])re", "markup");
    return *pattern;
}

// Every match of markup() left out, scanned by hand: the first expression compiled in a
// process builds ICU's large character tables, a good part of the first figure's labels.
// The marks are all ASCII, so the UTF-16 units are scanned as they are (a surrogate never
// matches), leftmost first: a colour opening, then a doubled mark, then a single one.
std::string Fig::unmarked(const std::string& text) {
    const icu::UnicodeString src = icu::UnicodeString::fromUTF8(text);
    const int32_t n = src.length();
    auto letter = [](char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); };
    icu::UnicodeString out;
    for (int32_t i = 0; i < n;) {
        const char16_t c = src.charAt(i);
        if (c == u'{') {
            int32_t j = i + 1;
            while (j < n && letter(src.charAt(j))) ++j;
            if (j > i + 1 && j < n && src.charAt(j) == u':') {
                i = j + 1;
                continue;
            }
        }
        if ((c == u'(' || c == u')' || c == u'~' || c == u'*' || c == u'_') && i + 1 < n && src.charAt(i + 1) == c) {
            i += 2;
            continue;
        }
        if (c == u'*' || c == u'{' || c == u'}' || c == u'$' || c == u'`') {
            ++i;
            continue;
        }
        out.append(c);
        ++i;
    }
    std::string utf8;
    out.toUTF8String(utf8);
    return utf8;
}

std::shared_ptr<const Font> Fig::printFont(double size, FamilyLookup lookup) {
    std::shared_ptr<const FontFile> file = lookup(kCharterStandIn);
    if (!file) file = lookup(kTimesStandIn);
    if (!file) return Font::none(size);
    return Font::make(FontDescriptor{file, {}, {}}, size);
}

double Fig::placed(double x, double tw, const std::string& align) const {
    double v = x;
    if (align == "c" || align == "center" || align == "middle") v = x - tw / 2;
    else if (align == "r" || align == "right" || align == "end") v = x - tw;
    // The left margin wins when the line is wider than the room.
    const double lo = ox + 2 * u, hi = ox + 100 * k - tw - 2 * u;
    return std::min(std::max(v, lo), std::max(hi, lo));
}

Hand::Result Fig::measure(const std::string& text, double width, double size, Faces::Face face) const {
    Hand fresh(seed + 99);
    return write(fresh, text, 0, 0, width, size, Ink::ink, face, Hand::Align::left, false, std::nullopt);
}

void Fig::append(const Hand::Result& r) { ops.insert(ops.end(), r.ops.begin(), r.ops.end()); }

Fig::Setting Fig::setting(const std::string& text, double x, const std::string& align, double size) {
    double s = textSize * std::clamp(size, 0.6, 2.2);
    const std::string shown = unmarked(text);
    double tw = textWidth(shown, *Faces::font(Faces::Face::hand, s));
    if (tw > 95 * k) {
        s *= 95 * k / tw;
        tw = textWidth(shown, *Faces::font(Faces::Face::hand, s));
    }
    return {s, placed(x, tw, align), tw};
}

Rect Fig::text(const std::string& text, double x, double y, const std::string& align, double size, Color color,
               const std::string& face) {
    if (blank(text)) return Rect::null();
    const double ax = ox + cl(x) * k, by = oy + cl(y) * k;

    if (face == "print" || face == "pencil") {
        const bool print = face == "print";
        auto width = [&](double s) {
            return print ? textWidth(text, *printFont(s)) : textWidth(text, *Faces::font(Faces::Face::scrawl, s));
        };
        double s = textSize * std::clamp(size, 0.6, 2.2);
        double tw = width(s);
        if (tw > 95 * k) {
            s *= 95 * k / tw;
            tw = width(s);
        }
        const double left = placed(ax, tw, align);
        if (print) {
            ops.push_back(printOp(text, left, by, s, color));
        } else {
            append(write(hand, text, left, by - s, tw + s, s, color, Faces::Face::scrawl, Hand::Align::left, false,
                         halo));
        }
        return {left, by - 0.72 * s, tw, 0.97 * s};
    }

    const Setting st = setting(text, ax, align, size);
    append(write(hand, text, st.left, by - st.size, st.tw + st.size, st.size, color, Faces::Face::hand,
                 Hand::Align::left, true, halo));
    return {st.left, by - 0.8 * st.size, st.tw, 1.05 * st.size};
}

void Fig::label(const J& o, Color color) {
    const Rect rect = text(o.str("text", ""), o.num("x", 0), o.num("y", 0), o.str("align", "c"), o.num("size", 0.95),
                           color, "");
    const std::vector<double> to = o.nums("to");
    if (to.size() < 2 || rect.isNull()) return;

    // The leader starts where the ray from the label's centre to the target leaves the
    // label's grown box.
    const Rect box = rect.insetBy(-7 * u, -5 * u);
    const Point m{box.midX(), box.midY()};
    const Point T = at(to[0], to[1]);
    const double dx = T.x - m.x, dy = T.y - m.y;
    Point S = m;
    if (dx != 0 || dy != 0) {
        double t = std::numeric_limits<double>::infinity();
        if (dx != 0) t = std::min(t, (box.width() / 2) / std::fabs(dx));
        if (dy != 0) t = std::min(t, (box.height() / 2) / std::fabs(dy));
        // A target inside the label's own box would get a leader drawn back across the
        // label's text from its edge; such a label points at itself and gets none.
        if (t >= 1) return;
        S = {m.x + t * dx, m.y + t * dy};
    }
    const double dist = length(T - S);
    if (!(dist >= 12 * u)) return;  // too close to point at (or not a number)

    // Stop short of the target, and bow away from the label by a fifth of the length.
    const Point E = T - (7 * u) * Point{(T.x - S.x) / dist, (T.y - S.y) / dist};
    const double h = rough.rnd.unit() > 0.5 ? 0.2 : -0.2;
    const double ex = T.x - S.x, ey = T.y - S.y;
    const Point M{(S.x + E.x) / 2, (S.y + E.y) / 2};
    const Point c1{M.x + h * -ey, M.y + h * ex}, c2{M.x - h * -ey, M.y - h * ex};
    const Point rc{rect.midX(), rect.midY()};
    const Point control = length(c1 - rc) + 1 >= length(c2 - rc) ? c1 : c2;

    const Pen leaderPen = pen(color, 2.2 * pw);
    Path leader;
    rough.curve(leader, {S, control, E}, 1, 0.4);
    ops.push_back(std::make_shared<StrokeOp>(leader, leaderPen, 1, 1));
    Path head;
    rough.arrowhead(head, E.x, E.y, E.x - control.x, E.y - control.y, 15 * u);
    ops.push_back(std::make_shared<StrokeOp>(head, leaderPen, 2, 1));
}

void Fig::inside(const std::string& text, Rect rect, const J& o) {
    if (blank(text)) return;
    const Color color = Ink::color(o.str("tc", "ink"), Ink::ink);
    const double s0 = textSize * std::clamp(o.num("size", 1), 0.5, 2.2);
    const double floor = 0.62 * s0;
    const double width = rect.width() - 12 * u;
    double s = s0;
    Hand::Result m = measure(text, width, s, Faces::Face::hand);
    // Shrink by 8 % a step, never below the floor; what still overflows is written anyway.
    while (floor < s && (m.lines.size() > 2 || m.width > width || m.height > rect.height())) {
        s = std::max(0.92 * s, floor);
        m = measure(text, width, s, Faces::Face::hand);
    }
    append(write(hand, text, rect.minX() + 6 * u, rect.minY() + (rect.height() - m.height) / 2 - 0.06 * s, width, s,
                 color, Faces::Face::hand, Hand::Align::center, true, halo));
}

void Fig::fit(const std::string& text, Rect rect, Color color, std::optional<double> size, Faces::Face face) {
    if (blank(text)) return;
    const double cap = size ? *size : textSize;
    const double width = 0.88 * rect.width();
    double h = std::min(0.62 * rect.height(), cap);
    Hand::Result m = measure(text, width, h, face);
    auto fits = [&] { return m.lines.size() <= 2 && m.height <= 0.98 * rect.height() && m.width <= width; };
    // Shrink by 10 % a step until it fits or is no more than 13 text units.
    for (int tries = 0; !fits() && h > 13 * u && tries < kMaxFitTries; ++tries) {
        h = 0.9 * h;
        m = measure(text, width, h, face);
    }
    append(write(hand, text, rect.minX() + (rect.width() - width) / 2,
                 rect.minY() + (rect.height() - m.height) / 2 - 0.04 * h, width, h, color, face, Hand::Align::center,
                 true, halo));
}

void Fig::printIn(const std::string& text, Rect rect, Color color, double size) {
    if (blank(text)) return;
    double s = std::min(0.62 * rect.height(), size);
    double tw = textWidth(text, *printFont(s));
    if (tw > 0.88 * rect.width()) {
        s *= 0.88 * rect.width() / tw;
        tw = textWidth(text, *printFont(s));
    }
    ops.push_back(printOp(text, rect.midX() - tw / 2, rect.midY() + 0.335 * s, s, color));
}

}  // namespace nolby
