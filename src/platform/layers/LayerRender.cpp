#include "platform/layers/LayerRender.h"

#include "platform/Canvas.h"
#include "platform/Pict.h"
#include "platform/layers/Multiply.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace nolby::layers {

namespace {

double shownOpacity(const Layer& l, double t) {
    if (l.hidden) return 0;
    double o = l.presentedNumber(KeyPath::opacity, t);
    return std::isfinite(o) ? std::clamp(o, 0.0, 1.0) : 0;
}

// What a layer and its visible sublayers may cover, in its own space; cut to its mask's.
Rect extent(const Layer& l, double t) {
    Rect e = l.drawnExtent(t);
    for (const auto& s : l.sublayers()) {
        if (!(shownOpacity(*s, t) > 0)) continue;
        Affine m = s->toSuperlayer(t);
        if (!m.isInvertible()) continue;
        e = e.united(mappedBounds(m, extent(*s, t)));
    }
    if (l.mask) {
        Rect shown = Rect::null();
        Affine m = l.mask->toSuperlayer(t);
        if (shownOpacity(*l.mask, t) > 0 && m.isInvertible()) shown = mappedBounds(m, extent(*l.mask, t));
        e = e.intersected(shown);
    }
    return e;
}

void drawLayer(cairo_t* cr, const Layer& l, double t);

// Background, contents, sublayers: in the layer's own space.
void drawBody(cairo_t* cr, const Layer& l, double t) {
    if (l.backgroundColor.a > 0 && !l.bounds.isEmpty()) {
        Path p;
        double r = l.cornerRadius;
        if (r > 0 && std::isfinite(r)) p.addRoundedRect(l.bounds.standardized(), r, r);
        else p.addRect(l.bounds.standardized());
        draw::fillPath(cr, p, l.backgroundColor);
    }
    l.drawContent(cr, t);
    for (const auto& s : l.sublayers()) drawLayer(cr, *s, t);
}

Affine affine(const cairo_matrix_t& m) { return {m.xx, m.yx, m.xy, m.yy, m.x0, m.y0}; }
cairo_matrix_t matrix(const Affine& a) { return {a.a, a.b, a.c, a.d, a.tx, a.ty}; }

// Where a context's drawing lands: its surface and the map from its user space to pixels.
struct Landing {
    cairo_surface_t* surface;
    Affine toPixels;      // user space -> surface pixels
    Affine pixelsToUser;  // a matrix under which user space is the pixel grid
};

Landing landing(cairo_t* cr) {
    cairo_surface_t* target = cairo_get_group_target(cr);
    double ox = 0, oy = 0, sx = 1, sy = 1;
    cairo_surface_get_device_offset(target, &ox, &oy);
    cairo_surface_get_device_scale(target, &sx, &sy);
    cairo_matrix_t ctm;
    cairo_get_matrix(cr, &ctm);
    Affine device{sx, 0, 0, sy, ox, oy};
    return {target, affine(ctm).concat(device), Affine{1 / sx, 0, 0, 1 / sy, -ox / sx, -oy / sy}};
}

struct Box {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool empty() const { return x1 <= x0 || y1 <= y0; }
    int width() const { return x1 - x0; }
    int height() const { return y1 - y0; }
};

Box pixelBox(const Rect& r) {
    Rect s = r.standardized();
    if (r.isNull() || !std::isfinite(s.x) || !std::isfinite(s.y) || !std::isfinite(s.w) || !std::isfinite(s.h)) return {};
    const double lim = Pict::maxSide;
    auto lo = [lim](double v) { return static_cast<int>(std::clamp(std::floor(v), -lim, lim)); };
    auto hi = [lim](double v) { return static_cast<int>(std::clamp(std::ceil(v), -lim, lim)); };
    return {lo(s.x), lo(s.y), hi(s.x + s.w), hi(s.y + s.h)};
}

Box intersect(Box a, Box b) {
    return {std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1)};
}

// The clip of the context in pixels when it is one whole-pixel rectangle (or none at all,
// which cairo reports as the surface); nothing otherwise.
std::optional<Box> pixelClip(cairo_t* cr) {
    cairo_rectangle_list_t* list = cairo_copy_clip_rectangle_list(cr);
    std::optional<Box> box;
    if (list->status == CAIRO_STATUS_SUCCESS && list->num_rectangles == 1) {
        const cairo_rectangle_t& r = list->rectangles[0];
        auto whole = [](double v) { return std::isfinite(v) && v == std::floor(v) && std::fabs(v) < 1e9; };
        if (whole(r.x) && whole(r.y) && whole(r.width) && whole(r.height))
            box = Box{int(r.x), int(r.y), int(r.x + r.width), int(r.y + r.height)};
    }
    cairo_rectangle_list_destroy(list);
    return box;
}

// Pixel memory for groups, kept between frames: an animating page draws the same groups
// 60 to 120 times a second, and fresh memory for each (page faults, zeroing) costs more
// than drawing into it. The buffers of a thread stay with that thread.
class Scratch {
public:
    using Buffer = std::vector<unsigned char>;

    // A cleared buffer of at least `bytes`.
    static Buffer take(size_t bytes) {
        auto& pool = free();
        auto best = pool.end();
        for (auto it = pool.begin(); it != pool.end(); ++it)
            if (it->size() >= bytes && (best == pool.end() || it->size() < best->size())) best = it;
        if (best == pool.end()) return Buffer(bytes);
        Buffer b = std::move(*best);
        pool.erase(best);
        std::fill_n(b.begin(), bytes, 0);
        return b;
    }

    static void give(Buffer b) {
        auto& pool = free();
        pool.push_back(std::move(b));
        // Keep a few and not too much: the largest go first.
        std::sort(pool.begin(), pool.end(), [](const Buffer& x, const Buffer& y) { return x.size() < y.size(); });
        size_t total = 0, kept = 0;
        for (const Buffer& x : pool) {
            if (kept == maxBuffers || total + x.size() > maxBytes) break;
            total += x.size();
            ++kept;
        }
        pool.resize(kept);
    }

private:
    static constexpr size_t maxBuffers = 8;
    static constexpr size_t maxBytes = size_t(64) << 20;
    static std::vector<Buffer>& free() {
        thread_local std::vector<Buffer> pool;
        return pool;
    }
};

const cairo_user_data_key_t scratchKey{};

// A transparent ARGB32 surface of the box's size on scratch memory, which goes back to the
// pool when cairo lets go of the surface.
cairo_surface_t* newSurface(const Box& b) {
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, b.width());
    if (stride <= 0 || b.empty()) return nullptr;
    auto* buffer = new Scratch::Buffer(Scratch::take(size_t(stride) * size_t(b.height())));
    cairo_surface_t* s =
        cairo_image_surface_create_for_data(buffer->data(), CAIRO_FORMAT_ARGB32, b.width(), b.height(), stride);
    auto release = [](void* p) {
        auto* owned = static_cast<Scratch::Buffer*>(p);
        Scratch::give(std::move(*owned));
        delete owned;
    };
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS ||
        cairo_surface_set_user_data(s, &scratchKey, buffer, release) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        delete buffer;
        return nullptr;
    }
    return s;
}

// A context on `surface` whose user space is the layer's own, like the caller's inside it.
cairo_t* contextFor(cairo_surface_t* surface, cairo_t* like, const Affine& layerToPixels, const Box& b) {
    cairo_t* c = cairo_create(surface);
    cairo_matrix_t m = matrix(layerToPixels.concat(Affine::translation(-b.x0, -b.y0)));
    cairo_set_matrix(c, &m);
    cairo_set_tolerance(c, cairo_get_tolerance(like));
    cairo_set_antialias(c, cairo_get_antialias(like));
    return c;
}

// Puts the finished group (covering `b` in pixels) onto the context's surface.
void composite(cairo_t* cr, const Landing& land, cairo_surface_t* group, const Box& b, double opacity,
               BlendMode mode, const std::optional<Box>& clip) {
    cairo_surface_t* target = land.surface;
    const bool imageTarget = cairo_surface_get_type(target) == CAIRO_SURFACE_TYPE_IMAGE &&
                             cairo_image_surface_get_format(target) == CAIRO_FORMAT_ARGB32;
    if (mode == BlendMode::multiply && imageTarget && clip && land.pixelsToUser.a == 1 && land.pixelsToUser.d == 1) {
        Box in = intersect(b, intersect(*clip, {0, 0, cairo_image_surface_get_width(target),
                                                cairo_image_surface_get_height(target)}));
        if (in.empty()) return;
        cairo_surface_flush(target);
        cairo_surface_flush(group);
        const int ds = cairo_image_surface_get_stride(target), gs = cairo_image_surface_get_stride(group);
        unsigned char* dst = cairo_image_surface_get_data(target) + ptrdiff_t(in.y0) * ds + ptrdiff_t(in.x0) * 4;
        const unsigned char* src =
            cairo_image_surface_get_data(group) + ptrdiff_t(in.y0 - b.y0) * gs + ptrdiff_t(in.x0 - b.x0) * 4;
        multiply::composite(reinterpret_cast<uint32_t*>(dst), ds, reinterpret_cast<const uint32_t*>(src), gs,
                            in.width(), in.height(), multiply::alpha8(opacity));
        cairo_surface_mark_dirty(target);
        return;
    }
    draw::Saved saved(cr);
    cairo_matrix_t px = matrix(land.pixelsToUser);
    cairo_set_matrix(cr, &px);
    cairo_set_source_surface(cr, group, b.x0, b.y0);
    cairo_set_operator(cr, cairoOperator(mode));
    if (opacity < 1) cairo_paint_with_alpha(cr, opacity);
    else cairo_paint(cr);
}

// Draws the layer into a bitmap of its own covering what it may draw (clipped to what the
// context can show), masks it, then composites it with its opacity and filter.
void drawGroup(cairo_t* cr, const Layer& l, const Affine& toSuper, double opacity, double t) {
    Landing land = landing(cr);
    Affine toPixels = toSuper.concat(land.toPixels);
    if (!toPixels.isInvertible() || !land.pixelsToUser.isInvertible()) return;
    Box b = pixelBox(mappedBounds(toPixels, extent(l, t)));
    std::optional<Box> clip;
    {
        draw::Saved saved(cr);
        cairo_matrix_t px = matrix(land.pixelsToUser);
        cairo_set_matrix(cr, &px);
        double cx0, cy0, cx1, cy1;
        cairo_clip_extents(cr, &cx0, &cy0, &cx1, &cy1);
        b = intersect(b, pixelBox({cx0, cy0, cx1 - cx0, cy1 - cy0}));
        if (l.compositingFilter == BlendMode::multiply) clip = pixelClip(cr);
    }
    if (b.empty()) return;

    cairo_surface_t* group = newSurface(b);
    if (!group) return;
    cairo_t* g = contextFor(group, cr, toPixels, b);
    drawBody(g, l, t);
    if (l.mask) {
        if (cairo_surface_t* mask = newSurface(b)) {
            cairo_t* m = contextFor(mask, cr, toPixels, b);
            drawLayer(m, *l.mask, t);
            cairo_destroy(m);
            cairo_identity_matrix(g);
            cairo_set_source_surface(g, mask, 0, 0);
            cairo_set_operator(g, CAIRO_OPERATOR_DEST_IN);
            cairo_paint(g);
            cairo_surface_destroy(mask);
        }
    }
    cairo_destroy(g);
    composite(cr, land, group, b, opacity, l.compositingFilter, clip);
    cairo_surface_destroy(group);
}

void drawLayer(cairo_t* cr, const Layer& l, double t) {
    const double opacity = shownOpacity(l, t);
    if (!(opacity > 0)) return;
    const Affine m = l.toSuperlayer(t);
    if (!m.isInvertible()) return;
    if (l.mask || l.compositingFilter != BlendMode::normal || opacity < 1) {
        drawGroup(cr, l, m, opacity, t);
        return;
    }
    draw::Saved saved(cr);
    if (!draw::transform(cr, m)) return;
    drawBody(cr, l, t);
}

template <class F>
void eachAnimation(const Layer& l, F&& f) {
    for (const auto& k : l.animations()) f(*k.animation);
    if (l.mask) eachAnimation(*l.mask, f);
    for (const auto& s : l.sublayers()) eachAnimation(*s, f);
}

}  // namespace

void render(cairo_t* cr, const Layer& root, double t) {
    if (!cr || cairo_status(cr) != CAIRO_STATUS_SUCCESS || !std::isfinite(t)) return;
    drawLayer(cr, root, t);
}

ImageRef snapshot(const Layer& root, double w, double h, double scale, double t, std::optional<Color> backdrop) {
    if (!(w > 0 && h > 0 && scale > 0) || !std::isfinite(w * scale) || !std::isfinite(h * scale)) return nullptr;
    const double pw = std::ceil(w * scale), ph = std::ceil(h * scale);
    if (pw > Pict::maxSide || ph > Pict::maxSide || pw * ph > double(Pict::maxPixels)) return nullptr;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(pw), int(ph));
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return nullptr;
    }
    cairo_t* cr = cairo_create(s);
    if (backdrop) {
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        draw::setColor(cr, *backdrop);
        cairo_paint(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    }
    cairo_scale(cr, scale, scale);
    render(cr, root, t);
    cairo_destroy(cr);
    return Image::adopt(s);
}

bool animating(const Layer& root, double t) {
    bool any = false;
    eachAnimation(root, [&](const Animation& a) { any = any || t < a.endTime(); });
    return any;
}

FrameRateRange frameRate(const Layer& root, double t) {
    FrameRateRange r;
    eachAnimation(root, [&](const Animation& a) {
        if (!(t < a.endTime())) return;
        const FrameRateRange& p = a.preferredFrameRateRange;
        r = {std::max(r.minimum, p.minimum), std::max(r.maximum, p.maximum), std::max(r.preferred, p.preferred)};
    });
    return r;
}

size_t prune(Layer& root, double t) {
    size_t n = root.pruneAnimations(t);
    if (root.mask) n += prune(*root.mask, t);
    for (const auto& s : root.sublayers()) n += prune(*s, t);
    return n;
}

}  // namespace nolby::layers
