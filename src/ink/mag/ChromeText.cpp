#include "ink/mag/ChromeText.h"

#include "platform/Blur.h"
#include "platform/Canvas.h"
#include "platform/Unicode.h"

#include <cmath>
#include <string>

namespace nolby::chrome {

namespace {

const char* const kEllipsis = "\u2026";

bool isSpace(std::string_view s) {
    for (char32_t c : unicode::toUtf32(s))
        if (!unicode::isWhitespace(c)) return false;
    return true;
}

Line made(GlyphRun run, const Font& font, bool truncated) {
    Line l;
    l.ascent = font.base() ? font.ascent() : run.ascent;
    l.descent = font.base() ? font.descent() : run.descent;
    l.run = std::move(run);
    l.truncated = truncated;
    return l;
}

// The first `count` characters of the text, trailing spaces dropped, and the ellipsis.
std::string head(std::string_view text, const std::vector<size_t>& bounds, size_t count) {
    size_t end = count;
    while (end > 0 && isSpace(text.substr(bounds[end - 1], bounds[end] - bounds[end - 1]))) --end;
    return std::string(text.substr(0, bounds[end])) + kEllipsis;
}

}  // namespace

Line line(std::string_view text, const Font& font, double tracking, double maxWidth) {
    const double kern = std::isfinite(tracking) ? tracking : 0;
    if (std::isnan(maxWidth)) return made(GlyphRun(), font, !text.empty());
    GlyphRun whole(std::string(text), font, kern);
    if (whole.width <= maxWidth) return made(std::move(whole), font, false);
    // The widest head that fits: widths grow with the head, so bisect on the character count.
    const std::vector<size_t> bounds = unicode::graphemeBounds(text);
    const size_t n = bounds.empty() ? 0 : bounds.size() - 1;
    size_t lo = 0, hi = n;  // a head of lo characters fits (or lo is 0); hi never fits whole
    GlyphRun best;
    bool any = false;
    while (lo < hi) {
        const size_t mid = (lo + hi + 1) / 2;
        GlyphRun probe(head(text, bounds, mid), font, kern);
        if (probe.width <= maxWidth) {
            lo = mid;
            best = std::move(probe);
            any = true;
        } else {
            hi = mid - 1;
        }
    }
    if (!any) {
        GlyphRun dots(kEllipsis, font, kern);
        if (dots.width <= maxWidth) return made(std::move(dots), font, true);
        return made(GlyphRun(), font, true);
    }
    return made(std::move(best), font, true);
}

void fill(cairo_t* cr, const Line& line, double x, double baseline, Color color) {
    if (line.run.path.isEmpty() || !std::isfinite(x) || !std::isfinite(baseline)) return;
    draw::Saved saved(cr);
    if (!draw::translate(cr, x, baseline)) return;
    draw::fillPath(cr, line.run.path, color);
}

void shadow(cairo_t* cr, const Line& line, double x, double baseline, Color color, double radius) {
    if (line.run.path.isEmpty() || !std::isfinite(x) || !std::isfinite(baseline)) return;
    const Rect box{x, baseline - line.ascent, line.width(), line.ascent + line.descent};
    drawShadow(cr, box.insetBy(-line.ascent, -line.ascent), color, radius, 0, 0,
               [&](cairo_t* c) { fill(c, line, x, baseline, Color{1, 1, 1, 1}); });
}

std::string zeroPadded(long long value, int digits) {
    const bool negative = value < 0;
    // The magnitude as unsigned, so the most negative value has one too.
    unsigned long long magnitude = negative ? 0ull - static_cast<unsigned long long>(value)
                                            : static_cast<unsigned long long>(value);
    std::string d = std::to_string(magnitude);
    const int width = digits - (negative ? 1 : 0);
    if (static_cast<int>(d.size()) < width) d.insert(0, static_cast<size_t>(width - static_cast<int>(d.size())), '0');
    return negative ? "-" + d : d;
}

}  // namespace nolby::chrome
