#include "ink/mag/PixelText.h"

#include "ink/Mag.h"
#include "ink/mag/ChromeText.h"
#include "ink/mag/TextBlock.h"
#include "ink/ops/GlyphRun.h"
#include "platform/Canvas.h"
#include "platform/NumberText.h"
#include "platform/TextLine.h"

#include <cmath>
#include <list>
#include <mutex>
#include <unordered_map>

namespace nolby {

namespace {

constexpr double kFace = 1.38;     // font size per nominal size, in bitmap pixels
constexpr double kPitch = 1.62;    // line pitch per nominal size
constexpr double kDrop = 0.28;     // the baseline sits this share of a line above the line's foot
constexpr int kThreshold = 70;     // alpha above this (of 255) is set
constexpr int kMaxSide = 8192;     // a bitmap larger than this is refused

struct Cache {
    std::mutex lock;
    std::list<std::pair<std::string, std::shared_ptr<const Image>>> order;  // most recent first
    std::unordered_map<std::string, decltype(order)::iterator> index;
};

Cache& cache() {
    static Cache c;
    return c;
}

std::string key(const std::string& text, double size, double px, double width, size_t maxLines) {
    return text + "|" + NumberText::shortest(size) + "|" + NumberText::shortest(px) + "|" +
           NumberText::shortest(width) + "|" + std::to_string(maxLines);
}

bool usable(double size, double px, double width) {
    return std::isfinite(size) && std::isfinite(px) && std::isfinite(width) && size > 0 && px > 0 && width > 0;
}

std::shared_ptr<const Image> render(const std::string& text, double size, double px, double width, size_t maxLines) {
    const PixelText::Setting s = PixelText::setting(text, size, px, width, maxLines);
    auto font = Mag::newsCT(s.fontSize, 620, false);
    std::vector<GlyphRun> runs;
    double widest = 0;
    for (const std::string& line : s.lines) {
        runs.emplace_back(line, *font);
        widest = std::max(widest, runs.back().width);
    }
    const double W = runs.empty() ? 1 : std::ceil(widest);
    const double H = static_cast<double>(std::max<size_t>(runs.size(), 1)) * s.lineHeight;
    if (!(W + 2 <= kMaxSide) || !(H + 2 <= kMaxSide)) return nullptr;
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(W) + 2, static_cast<int>(H) + 2);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_t* cr = cairo_create(surface);
    for (size_t k = 0; k < runs.size(); ++k) {
        const double baseline = static_cast<double>(k + 1) * s.lineHeight - kDrop * s.lineHeight;
        draw::Saved saved(cr);
        draw::translate(cr, 1, baseline);
        draw::fillPath(cr, runs[k].path, Color{1, 1, 1, 1});
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    // One bit: set pixels become opaque white, the rest clear; no anti-aliasing is left.
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
    for (int y = 0; y < h; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < w; ++x) row[x] = (row[x] >> 24) > kThreshold ? 0xFFFFFFFFu : 0u;
    }
    cairo_surface_mark_dirty(surface);
    return Image::adopt(surface);
}

}  // namespace

PixelText::Setting PixelText::setting(const std::string& text, double size, double px, double width,
                                      size_t maxLines) {
    Setting s;
    if (!usable(size, px, width)) return s;
    s.fontSize = size / px * kFace;
    s.lineHeight = static_cast<int>(std::ceil(size / px * kPitch));
    auto font = Mag::newsCT(s.fontSize, 620, false);
    const double room = width / px;
    std::string next;
    s.lines = chrome::wrap(text, room, [&](std::string_view t) { return textWidth(t, *font); }, maxLines, &next);
    // Words left over: the last kept line runs into the next word and is cut short with "…".
    if (!next.empty() && !s.lines.empty()) s.lines.back() = chrome::line(s.lines.back() + " " + next, *font, 0, room).run.text;
    return s;
}

std::shared_ptr<const Image> PixelText::raster(const std::string& text, double size, double px, double width,
                                               size_t maxLines) {
    if (!usable(size, px, width)) return nullptr;
    const std::string k = key(text, size, px, width, maxLines);
    Cache& c = cache();
    {
        std::lock_guard<std::mutex> guard(c.lock);
        if (auto found = c.index.find(k); found != c.index.end()) {
            c.order.splice(c.order.begin(), c.order, found->second);
            return found->second->second;
        }
    }
    std::shared_ptr<const Image> image = render(text, size, px, width, maxLines);
    if (!image) return nullptr;
    std::lock_guard<std::mutex> guard(c.lock);
    if (auto found = c.index.find(k); found != c.index.end()) return found->second->second;  // made meanwhile
    c.order.emplace_front(k, image);
    c.index[k] = c.order.begin();
    // The cache is bounded: pixel text at changing sizes (a headline sharpening, covers at
    // every width the window takes) must not keep every bitmap it ever made.
    while (c.order.size() > kCacheSize) {
        c.index.erase(c.order.back().first);
        c.order.pop_back();
    }
    return image;
}

size_t PixelText::cached() {
    std::lock_guard<std::mutex> guard(cache().lock);
    return cache().order.size();
}

Size PixelText::measure() const {
    auto image = raster(text, size, px, width, maxLines);
    if (!image) return {0, 0};
    return {image->width() * px, image->height() * px};
}

void PixelText::draw(cairo_t* cr, Point origin) const {
    auto image = raster(text, size, px, width, maxLines);
    if (!image || !std::isfinite(origin.x) || !std::isfinite(origin.y)) return;
    auto copy = [&](double dx, Color ink, cairo_operator_t op) {
        draw::Saved saved(cr);
        if (!draw::translate(cr, origin.x + dx, origin.y) || !draw::scale(cr, px, px)) return;
        cairo_set_operator(cr, op);
        draw::setColor(cr, ink);
        cairo_pattern_t* mask = cairo_pattern_create_for_surface(image->surface());
        cairo_pattern_set_filter(mask, CAIRO_FILTER_NEAREST);
        cairo_mask(cr, mask);
        cairo_pattern_destroy(mask);
    };
    draw::Saved saved(cr);
    const double reach = split > 0 && std::isfinite(split) ? px * split : 0;
    draw::clipRect(cr, {origin.x - reach, origin.y, image->width() * px + 2 * reach, image->height() * px});
    // One group, so the copies add up with each other and not with what lies below.
    cairo_push_group(cr);
    if (split > 0 && std::isfinite(split)) {
        copy(-px * split, Mag::red, CAIRO_OPERATOR_ADD);
        copy(px * split, Mag::cyan, CAIRO_OPERATOR_ADD);
    }
    copy(0, color, CAIRO_OPERATOR_OVER);
    cairo_pop_group_to_source(cr);
    cairo_paint(cr);
}

}  // namespace nolby
