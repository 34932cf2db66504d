#include "platform/layers/Layer.h"

#include "platform/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace nolby {

Rect mappedBounds(const Affine& m, const Rect& r) {
    if (r.isNull()) return r;
    Rect s = r.standardized();
    Point c[4] = {m.apply({s.x, s.y}), m.apply({s.x + s.w, s.y}), m.apply({s.x, s.y + s.h}),
                  m.apply({s.x + s.w, s.y + s.h})};
    double x0 = c[0].x, x1 = c[0].x, y0 = c[0].y, y1 = c[0].y;
    for (const Point& p : c) {
        x0 = std::fmin(x0, p.x), x1 = std::fmax(x1, p.x);
        y0 = std::fmin(y0, p.y), y1 = std::fmax(y1, p.y);
    }
    return {x0, y0, x1 - x0, y1 - y0};
}

namespace {

Point anchorIn(const Layer& l) {
    Rect b = l.bounds.standardized();
    return {b.x + l.anchorPoint.x * b.w, b.y + l.anchorPoint.y * b.h};
}

}  // namespace

// ---- geometry

Affine Layer::toSuperlayer(double t) const {
    Point a = anchorIn(*this);
    return Affine::translation(-a.x, -a.y).concat(presentedTransform(t)).concat(Affine::translation(position.x, position.y));
}

Rect Layer::frame() const {
    Point a = anchorIn(*this);
    Affine m = Affine::translation(-a.x, -a.y).concat(transform).concat(Affine::translation(position.x, position.y));
    return mappedBounds(m, bounds);
}

void Layer::setFrame(const Rect& frame) {
    Rect f = frame.standardized();
    if (frame.isNull()) return;
    bounds = {bounds.x, bounds.y, f.w, f.h};
    position = {f.x + anchorPoint.x * f.w, f.y + anchorPoint.y * f.h};
}

// ---- the tree

void Layer::addSublayer(const std::shared_ptr<Layer>& layer) { insertSublayer(layer, sublayers_.size()); }

void Layer::insertSublayer(const std::shared_ptr<Layer>& layer, size_t index) {
    if (!layer || layer.get() == this) return;
    std::shared_ptr<Layer> keep = layer;  // removing it from its old place may drop the last reference
    keep->removeFromSuperlayer();
    index = std::min(index, sublayers_.size());
    sublayers_.insert(sublayers_.begin() + static_cast<std::ptrdiff_t>(index), keep);
    keep->superlayer_ = weak_from_this();
}

void Layer::removeFromSuperlayer() {
    auto parent = superlayer_.lock();
    superlayer_.reset();
    if (!parent) return;
    auto& list = parent->sublayers_;
    list.erase(std::remove_if(list.begin(), list.end(), [this](const auto& l) { return l.get() == this; }), list.end());
}

void Layer::removeAllSublayers() {
    for (auto& l : sublayers_) l->superlayer_.reset();
    sublayers_.clear();
}

// ---- animations

void Layer::add(const Animation& animation, const std::string& key, double now) {
    std::shared_ptr<Animation> copy = animation.clone();
    if (!copy->beginTime) copy->beginTime = now;
    removeAnimation(key);
    animations_.push_back({key, std::move(copy)});
}

std::shared_ptr<const Animation> Layer::animation(std::string_view key) const {
    for (const auto& k : animations_)
        if (k.key == key) return k.animation;
    return nullptr;
}

std::vector<std::string> Layer::animationKeys() const {
    std::vector<std::string> keys;
    for (const auto& k : animations_) keys.push_back(k.key);
    return keys;
}

void Layer::removeAnimation(std::string_view key) {
    std::erase_if(animations_, [&](const Keyed& k) { return k.key == key; });
}

void Layer::removeAllAnimations() { animations_.clear(); }

size_t Layer::pruneAnimations(double t) {
    return std::erase_if(animations_, [t](const Keyed& k) {
        return k.animation->removedOnCompletion && t >= k.animation->endTime();
    });
}

// ---- values

LayerValue Layer::value(KeyPath key) const {
    switch (key) {
        case KeyPath::opacity: return opacity;
        case KeyPath::strokeEnd: return 1.0;
        case KeyPath::startPoint: return Point{0.5, 0};
        case KeyPath::endPoint: return Point{0.5, 1};
        case KeyPath::transform: return transform;
        case KeyPath::transformScale: return 1.0;
        case KeyPath::contents: return contents;
    }
    return 1.0;
}

LayerValue Layer::presented(KeyPath key, double t) const {
    if (key == KeyPath::transform) return presentedTransform(t);
    LayerValue v = value(key);
    for (const auto& k : animations_) k.animation->apply(key, t, v);
    return v;
}

double Layer::presentedNumber(KeyPath key, double t) const {
    LayerValue v = presented(key, t);
    if (auto* d = std::get_if<double>(&v)) return *d;
    return 0;
}

Point Layer::presentedPoint(KeyPath key, double t) const {
    LayerValue v = presented(key, t);
    if (auto* p = std::get_if<Point>(&v)) return *p;
    return {};
}

Affine Layer::presentedTransform(double t) const {
    LayerValue v = transform;
    LayerValue s = 1.0;
    for (const auto& k : animations_) {
        k.animation->apply(KeyPath::transform, t, v);
        k.animation->apply(KeyPath::transformScale, t, s);
    }
    Affine m = std::get<Affine>(v);
    double scale = std::get<double>(s);
    if (scale != 1) m = Affine::scaling(scale, scale).concat(m);
    return m;
}

// ---- drawing

namespace draw {

void stretchedImage(cairo_t* cr, const Image& image, const Rect& rect, double alpha, cairo_operator_t op) {
    Rect r = rect.standardized();
    if (rect.isEmpty() || !std::isfinite(r.x) || !std::isfinite(r.y) || !std::isfinite(r.w) || !std::isfinite(r.h))
        return;
    if (!(alpha > 0)) return;
    cairo_pattern_t* p = cairo_pattern_create_for_surface(image.surface());
    // Pattern space is the image's pixels: user → pixel.
    cairo_matrix_t m;
    cairo_matrix_init_scale(&m, image.width() / r.w, image.height() / r.h);
    cairo_matrix_translate(&m, -r.x, -r.y);
    cairo_pattern_set_matrix(p, &m);
    cairo_pattern_set_filter(p, CAIRO_FILTER_BILINEAR);
    cairo_pattern_set_extend(p, CAIRO_EXTEND_PAD);
    Saved saved(cr);
    cairo_set_operator(cr, op);
    cairo_set_source(cr, p);
    cairo_new_path(cr);
    cairo_rectangle(cr, r.x, r.y, r.w, r.h);
    if (alpha >= 1) {
        cairo_fill(cr);
    } else {
        cairo_clip(cr);
        cairo_paint_with_alpha(cr, alpha);
    }
    cairo_pattern_destroy(p);
}

}  // namespace draw

namespace {

// Two images of one size mixed pixel by pixel (premultiplied, so the mix of two coverage
// masks is the coverage in between); null when they differ in size.
ImageRef mixed(const Image& a, const Image& b, double mix) {
    if (a.width() != b.width() || a.height() != b.height()) return nullptr;
    auto rgb = [](const Image& i) {
        cairo_format_t f = cairo_image_surface_get_format(i.surface());
        return f == CAIRO_FORMAT_ARGB32 || f == CAIRO_FORMAT_RGB24;
    };
    if (!rgb(a) || !rgb(b)) return nullptr;
    const int w = a.width(), h = a.height();
    cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    if (cairo_surface_status(out) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(out);
        return nullptr;
    }
    cairo_surface_flush(a.surface());
    cairo_surface_flush(b.surface());
    const uint32_t m = static_cast<uint32_t>(std::lround(std::clamp(mix, 0.0, 1.0) * 255));
    const int sa = cairo_image_surface_get_stride(a.surface()), sb = cairo_image_surface_get_stride(b.surface());
    const int so = cairo_image_surface_get_stride(out);
    const bool hasAlphaA = cairo_image_surface_get_format(a.surface()) == CAIRO_FORMAT_ARGB32;
    const bool hasAlphaB = cairo_image_surface_get_format(b.surface()) == CAIRO_FORMAT_ARGB32;
    const unsigned char* pa = cairo_image_surface_get_data(a.surface());
    const unsigned char* pb = cairo_image_surface_get_data(b.surface());
    unsigned char* po = cairo_image_surface_get_data(out);
    for (int y = 0; y < h; ++y) {
        const uint32_t* ra = reinterpret_cast<const uint32_t*>(pa + y * sa);
        const uint32_t* rb = reinterpret_cast<const uint32_t*>(pb + y * sb);
        uint32_t* ro = reinterpret_cast<uint32_t*>(po + y * so);
        for (int x = 0; x < w; ++x) {
            // An RGB24 image is opaque whatever its top byte holds.
            uint32_t u = hasAlphaA ? ra[x] : (ra[x] | 0xFF000000u);
            uint32_t v = hasAlphaB ? rb[x] : (rb[x] | 0xFF000000u);
            uint32_t r = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                uint32_t c = (((u >> shift) & 0xFF) * (255 - m) + ((v >> shift) & 0xFF) * m + 127) / 255;
                r |= c << shift;
            }
            ro[x] = r;
        }
    }
    cairo_surface_mark_dirty(out);
    return Image::adopt(out);
}

void drawCrossFade(cairo_t* cr, const CrossFade& f, const Rect& bounds) {
    if (f.from && f.to) {
        if (ImageRef m = mixed(*f.from, *f.to, f.mix)) {
            draw::stretchedImage(cr, *m, bounds);
            return;
        }
        // Sizes differ: add the two weighted images in a group, then show the sum.
        cairo_push_group(cr);
        draw::stretchedImage(cr, *f.from, bounds, 1 - f.mix, CAIRO_OPERATOR_ADD);
        draw::stretchedImage(cr, *f.to, bounds, f.mix, CAIRO_OPERATOR_ADD);
        cairo_pop_group_to_source(cr);
        cairo_paint(cr);
        return;
    }
    if (f.from) draw::stretchedImage(cr, *f.from, bounds, 1 - f.mix);
    if (f.to) draw::stretchedImage(cr, *f.to, bounds, f.mix);
}

}  // namespace

void Layer::drawContent(cairo_t* cr, double t) const {
    LayerValue c = presented(KeyPath::contents, t);
    if (auto* image = std::get_if<ImageRef>(&c)) {
        if (*image) draw::stretchedImage(cr, **image, bounds);
    } else if (auto* fade = std::get_if<CrossFade>(&c)) {
        drawCrossFade(cr, *fade, bounds);
    }
}

Rect Layer::drawnExtent(double t) const {
    if (bounds.isEmpty()) return Rect::null();
    bool contentsShown = contents != nullptr;
    for (const auto& k : animations_) contentsShown = contentsShown || k.animation->animates(KeyPath::contents);
    if (backgroundColor.a > 0 || contentsShown) return bounds.standardized();
    return Rect::null();
}

}  // namespace nolby
