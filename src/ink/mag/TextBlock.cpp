#include "ink/mag/TextBlock.h"

#include "platform/TextLine.h"

#include <algorithm>
#include <cmath>

namespace nolby::chrome {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

std::vector<std::string_view> words(std::string_view text) {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isBlank(text[i])) ++i;
        const size_t start = i;
        while (i < text.size() && !isBlank(text[i])) ++i;
        if (i > start) out.push_back(text.substr(start, i - start));
    }
    return out;
}

// Bisection steps between the smallest and the full size.
constexpr int kFitSteps = 12;

void measureInto(Block& b, const Font& f) {
    b.size = f.size();
    b.ascent = f.base() ? f.ascent() : b.size * 0.8;
    b.lineHeight = f.base() ? f.ascent() + f.descent() + f.leading() : b.size * 1.2;
}

}  // namespace

std::vector<std::string> wrap(std::string_view text, double maxWidth,
                              const std::function<double(std::string_view)>& measure, size_t maxLines,
                              std::string* next) {
    std::vector<std::string> lines;
    std::string current;
    if (next) next->clear();
    const std::vector<std::string_view> all = words(text);
    for (size_t i = 0; i < all.size(); ++i) {
        const std::string_view word = all[i];
        std::string candidate = current.empty() ? std::string(word) : current + " " + std::string(word);
        if (measure(candidate) > maxWidth && !current.empty()) {
            lines.push_back(std::move(current));
            current = std::string(word);
            if (maxLines && lines.size() == maxLines) {
                if (next) *next = std::move(current);
                return lines;
            }
        } else {
            current = std::move(candidate);
        }
    }
    if (!current.empty()) lines.push_back(std::move(current));
    return lines;
}

double Block::width() const {
    double w = 0;
    for (const Line& l : lines) w = std::max(w, l.width());
    return w;
}

Block block(std::string_view text, const FontAt& font, double size, double tracking, double maxWidth,
            size_t maxLines, double minScale) {
    Block b;
    if (!(size > 0) || !std::isfinite(size) || !std::isfinite(maxWidth) || maxLines == 0) return b;
    minScale = std::clamp(std::isfinite(minScale) ? minScale : 1.0, 0.01, 1.0);

    struct Try {
        std::shared_ptr<const Font> f;
        std::vector<std::string> lines;
        std::string next;
        bool fits = false;
    };
    auto attempt = [&](double scale) {
        Try t;
        t.f = font(size * scale);
        const double kern = tracking * scale;
        auto measure = [&](std::string_view s) { return TextLine::shape(s, *t.f, kern).width; };
        t.lines = wrap(text, maxWidth, measure, maxLines, &t.next);
        t.fits = t.next.empty();
        for (const std::string& l : t.lines)
            if (t.fits && measure(l) > maxWidth) t.fits = false;
        return t;
    };

    double scale = 1;
    Try chosen = attempt(1);
    if (!chosen.fits) {
        Try smallest = attempt(minScale);
        if (!smallest.fits) {
            chosen = std::move(smallest);
            scale = minScale;
        } else {
            double lo = minScale, hi = 1;  // lo fits, hi does not
            Try best = std::move(smallest);
            for (int i = 0; i < kFitSteps; ++i) {
                const double mid = (lo + hi) / 2;
                Try t = attempt(mid);
                if (t.fits) {
                    lo = mid;
                    best = std::move(t);
                } else {
                    hi = mid;
                }
            }
            chosen = std::move(best);
            scale = lo;
        }
    }

    const Font& f = *chosen.f;
    const double kern = tracking * scale;
    measureInto(b, f);
    for (size_t i = 0; i < chosen.lines.size(); ++i) {
        std::string text = chosen.lines[i];
        // Words were left over: the last line runs on into the next word, which does not
        // fit, so it is cut short with "…".
        if (!chosen.next.empty() && i + 1 == chosen.lines.size()) text += " " + chosen.next;
        b.lines.push_back(line(text, f, kern, maxWidth));
    }
    return b;
}

Block single(std::string_view text, const Font& font, double tracking, double maxWidth) {
    Block b;
    measureInto(b, font);
    b.lines.push_back(line(text, font, tracking, maxWidth));
    return b;
}

void fill(cairo_t* cr, const Block& block, double x, double top, Color color) {
    for (size_t i = 0; i < block.lines.size(); ++i)
        fill(cr, block.lines[i], x, top + block.ascent + block.lineHeight * static_cast<double>(i), color);
}

void shadow(cairo_t* cr, const Block& block, double x, double top, Color color, double radius) {
    for (size_t i = 0; i < block.lines.size(); ++i)
        shadow(cr, block.lines[i], x, top + block.ascent + block.lineHeight * static_cast<double>(i), color, radius);
}

}  // namespace nolby::chrome
