#include "page/PaperTexture.h"

#include "ink/Ink.h"
#include "ink/Rng.h"
#include "platform/Canvas.h"

#include <algorithm>
#include <cmath>

namespace nolby {

PaperTexture& PaperTexture::shared() {
    static PaperTexture* texture = new PaperTexture();  // lives for the whole process
    return *texture;
}

std::optional<std::pair<int, int>> PaperTexture::quantised(int width, int height) {
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return std::nullopt;
    auto up = [](int v) { return (v + 63) / 64 * 64; };
    return std::make_pair(up(width), up(height));
}

std::string PaperTexture::key(int W, int H) { return std::to_string(W) + "x" + std::to_string(H); }

std::vector<std::string> PaperTexture::keys() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    for (const auto& entry : cache_) out.push_back(entry.first);
    return out;
}

namespace {

// The next speckle of a W × H texture: x, y, alpha and diameter, drawn in that order.
PaperTexture::Speckle nextSpeckle(Rng& rng, int W, int H) {
    PaperTexture::Speckle s{};
    s.x = rng.unit() * W;
    s.y = rng.unit() * H;
    s.alpha = 0.025 + 0.035 * rng.unit();
    s.d = 0.3 + 0.5 * rng.unit();
    return s;
}

long long speckleCount(int W, int H) { return W < 1 || H < 1 ? 0 : static_cast<long long>(W) * H / 18; }

}  // namespace

std::vector<PaperTexture::Speckle> PaperTexture::speckles(int W, int H) {
    std::vector<Speckle> out;
    Rng rng(7);
    for (long long i = 0, n = speckleCount(W, H); i < n; ++i) out.push_back(nextSpeckle(rng, W, H));
    return out;
}

void PaperTexture::paint(cairo_t* cr, int W, int H) {
    if (W < 1 || H < 1) return;
    draw::Saved saved(cr);
    cairo_rectangle(cr, 0, 0, W, H);
    draw::setColor(cr, Ink::paper);
    cairo_fill(cr);

    const Color fleck = Color::rgba8(138, 127, 106);
    Rng rng(7);
    for (long long i = 0, n = speckleCount(W, H); i < n; ++i) {
        const Speckle s = nextSpeckle(rng, W, H);
        cairo_new_path(cr);
        cairo_arc(cr, s.x + s.d / 2, s.y + s.d / 2, s.d / 2, 0, 2 * M_PI);
        draw::setColor(cr, fleck.withAlpha(s.alpha));
        cairo_fill(cr);
    }

    // Clear from the centre out to 60 % of the radius, then darkening to the edge; the
    // corners beyond the radius keep the edge's colour.
    const double cx = W / 2.0, cy = H / 2.0, r = std::max(W, H) * 0.72;
    cairo_pattern_t* vignette = cairo_pattern_create_radial(cx, cy, 0, cx, cy, r);
    cairo_pattern_add_color_stop_rgba(vignette, 0.6, 0, 0, 0, 0);
    cairo_pattern_add_color_stop_rgba(vignette, 1.0, 90 / 255.0, 74 / 255.0, 48 / 255.0, 0.06);
    cairo_pattern_set_extend(vignette, CAIRO_EXTEND_PAD);
    cairo_set_source(cr, vignette);
    cairo_rectangle(cr, 0, 0, W, H);
    cairo_fill(cr);
    cairo_pattern_destroy(vignette);
}

std::shared_ptr<const Image> PaperTexture::image(int width, int height) {
    auto size = quantised(width, height);
    if (!size) return nullptr;
    const auto [W, H] = *size;
    const std::string k = key(W, H);
    std::lock_guard lock(mutex_);
    for (auto it = cache_.begin(); it != cache_.end(); ++it) {
        if (it->first != k) continue;
        cache_.splice(cache_.begin(), cache_, it);
        return cache_.front().second;
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 2 * W, 2 * H);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, 2, 2);
    paint(cr, W, H);
    cairo_destroy(cr);
    auto made = Image::adopt(surface);
    if (!made) return nullptr;
    cache_.emplace_front(k, made);
    while (cache_.size() > kKept) cache_.pop_back();
    return made;
}

}  // namespace nolby
