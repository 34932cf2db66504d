#include "ink/math/MathInk.h"

#include "ink/Faces.h"
#include "ink/Ink.h"
#include "ink/math/Parser.h"
#include "ink/ops/StrokeOp.h"
#include "ink/ops/TextOp.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <map>
#include <mutex>
#include <tuple>
#include <unordered_map>

namespace nolby {

namespace {

Rough makeRough(uint64_t seed) { return Rough(seed, 0.7, 0.682, 2, 0.62); }

// Both caches and the font-making step share one recursive lock: metrics makes the
// 64-point font while holding it. Faces takes its own lock inside, never around this one.
std::recursive_mutex& cacheLock() {
    static std::recursive_mutex m;
    return m;
}

long long hundredths(double size) {
    double v = std::round(size * 100);
    if (!std::isfinite(v) || std::fabs(v) > 9e18) return 0;
    return static_cast<long long>(v);
}

// Greek capital delta is set as the increment sign, which the faces draw as a triangle.
std::string withIncrement(const std::string& s) { return s == "\u0394" ? std::string("\u2206") : s; }

}  // namespace

MathInk::MathInk(uint64_t s) : seed(s), rough(makeRough(s)), jr(s * 31 + 7) {}

void MathInk::reseed(const std::string& text, double size) {
    uint64_t k = seed ^ stableHash(text);
    rough = makeRough(k);
    jr = Rng(k * 31 + 7);
    baseSize = size;
}

// Trees are immutable, so one parse of a formula serves every layout of it.
MathInk::MRef MathInk::parse(const std::string& text) {
    static std::mutex m;
    static std::unordered_map<std::string, MRef> trees;
    static size_t bytes = 0;
    {
        std::lock_guard<std::mutex> guard(m);
        auto it = trees.find(text);
        if (it != trees.end()) return it->second;
    }
    MRef tree = math::parse(text);
    std::lock_guard<std::mutex> guard(m);
    if (trees.size() >= kMaxCachedTrees || bytes + text.size() > kMaxCachedBytes) {
        trees.clear();
        bytes = 0;
    }
    if (trees.emplace(text, tree).second) bytes += text.size();
    return tree;
}

namespace {

// What decides a formula's layout: the typesetter's seed (its generators after reseeding
// follow from it and the text), the text, the size, the colour and the display flag,
// numbers compared bit for bit.
struct LayoutKey {
    uint64_t seed;
    std::string text;
    uint64_t size;
    std::array<uint64_t, 4> color;
    bool display;
    auto tied() const { return std::tie(seed, text, size, color, display); }
    bool operator<(const LayoutKey& o) const { return tied() < o.tied(); }
};

// A finished layout and where it left the generators. Boxes are only read once made.
struct LaidFormula {
    MathInk::BoxRef box;
    Rough rough;
    Rng jr;
};

struct LayoutCache {
    std::mutex lock;
    std::map<LayoutKey, LaidFormula> laid;
    size_t bytes = 0;
};

LayoutCache& layoutCache() {
    static LayoutCache* cache = new LayoutCache();  // never destroyed: layout threads may outlive statics
    return *cache;
}

uint64_t bitsOf(double v) { return std::bit_cast<uint64_t>(v); }

}  // namespace

MathInk::BoxRef MathInk::laidOut(const std::string& text, double size, Color color, bool display) {
    reseed(text, size);
    LayoutKey key{seed, text, bitsOf(size), {bitsOf(color.r), bitsOf(color.g), bitsOf(color.b), bitsOf(color.a)}, display};
    LayoutCache& cache = layoutCache();
    {
        std::lock_guard<std::mutex> guard(cache.lock);
        auto it = cache.laid.find(key);
        if (it != cache.laid.end()) {
            rough = it->second.rough;
            jr = it->second.jr;
            return it->second.box;
        }
    }
    BoxRef box = layout(parse(text), size, color, display);
    std::lock_guard<std::mutex> guard(cache.lock);
    if (cache.laid.size() >= kMaxCachedLayouts || cache.bytes + text.size() > kMaxCachedBytes) {
        cache.laid.clear();
        cache.bytes = 0;
    }
    cache.bytes += text.size();
    cache.laid.insert_or_assign(std::move(key), LaidFormula{box, rough, jr});
    return box;
}

MathInk::Extent MathInk::measure(const std::string& text, double size, bool display, Color color) {
    BoxRef box = laidOut(text, size, color, display);
    return {box->w, box->a, box->d};
}

MathInk::Extent MathInk::draw(const std::string& text, double size, Color color, bool display, double x, double y,
                              std::vector<InkOpRef>& ops, std::vector<Note>& notes) {
    BoxRef box = laidOut(text, size, color, display);
    emitOps(*box, x, y, ops, notes);
    return {box->w, box->a, box->d};
}

MathInk::BoxRef MathInk::layout(const MRef& node, double size, Color color, bool display) {
    if (!node) return row({}, size, color, display);
    return std::visit(
        [&](const auto& n) -> BoxRef {
            using T = std::decay_t<decltype(n)>;
            if constexpr (std::is_same_v<T, M::Row>) {
                return row(n.items, size, color, display);
            } else if constexpr (std::is_same_v<T, M::Sym>) {
                if (BoxRef hand = drawn(n.s, size, color)) return hand;
                return glyphBox(withIncrement(n.s), size, color);
            } else if constexpr (std::is_same_v<T, M::Script>) {
                BoxRef base = layout(n.base, size, color, display);
                return script(base, n.sup, n.sub, size, color);
            } else if constexpr (std::is_same_v<T, M::Frac>) {
                return frac(n.num, n.den, n.bar, size, color, display);
            } else if constexpr (std::is_same_v<T, M::Fence>) {
                return fence(n.open, n.body, n.close, size, color, display);
            } else if constexpr (std::is_same_v<T, M::Root>) {
                return root(n.body, n.index, size, color, display);
            } else if constexpr (std::is_same_v<T, M::Big>) {
                return big(n.name, n.sub, n.sup, size, color, display);
            } else if constexpr (std::is_same_v<T, M::Accent>) {
                return accent(n.name, n.body, size, color, display);
            } else if constexpr (std::is_same_v<T, M::Space>) {
                auto box = std::make_shared<Box>();
                box->w = n.em * size;
                box->inkR = box->w;
                return box;
            } else if constexpr (std::is_same_v<T, M::Text>) {
                return glyphBox(n.s, size, color);
            } else {  // Tint
                Color c = Ink::color(n.color, color);
                BoxRef body = layout(n.body, size, c, display);
                if (!n.label) return body;
                auto box = std::make_shared<Box>();
                box->w = body->w;
                box->a = body->a;
                box->d = body->d;
                box->inkL = body->inkL;
                box->inkR = body->inkR;
                box->tall = body->tall;
                box->add(Kid{body, 0, 0});
                box->note = std::make_pair(c, *n.label);
                return box;
            }
        },
        node->v);
}

void MathInk::emitOps(const Box& box, double x, double y, std::vector<InkOpRef>& ops, std::vector<Note>& notes) {
    // Writing order: explicit keys, else a glyph's x, a stroke's left edge, or a kid's
    // x + 0.01 so that a kid level with a glyph or stroke comes after it.
    std::vector<std::pair<double, const Piece*>> order;
    order.reserve(box.pieces.size());
    for (const auto& [piece, key] : box.pieces) {
        double k;
        if (key) k = *key;
        else if (const G* g = std::get_if<G>(&piece)) k = g->x;
        else if (const S* s = std::get_if<S>(&piece)) k = s->path.boundingBox().minX();
        else k = std::get<Kid>(piece).x + 0.01;
        order.emplace_back(k, &piece);
    }
    std::stable_sort(order.begin(), order.end(), [](const auto& l, const auto& r) { return l.first < r.first; });

    for (const auto& [key, piece] : order) {
        if (const G* g = std::get_if<G>(piece)) {
            double u = jr.unit();
            double jitter = g->size * (u - 0.5) * 0.05;
            ops.push_back(std::make_shared<TextOp>(g->s, x + g->x, y + g->y + jitter, *font(g->size), g->color));
        } else if (const S* s = std::get_if<S>(piece)) {
            ops.push_back(std::make_shared<StrokeOp>(s->path.transformed(Affine::translation(x, y)),
                                                     Pen::usual(s->color, s->width), 1, 1));
        } else {
            const Kid& kid = std::get<Kid>(*piece);
            emitOps(*kid.box, x + kid.x, y + kid.y, ops, notes);
        }
    }
    if (box.note) notes.push_back({box.note->first, box.note->second, {x, y - box.a, box.w, box.a + box.d}});
}

std::shared_ptr<const Font> MathInk::font(double size) {
    std::lock_guard<std::recursive_mutex> guard(cacheLock());
    static std::unordered_map<long long, std::shared_ptr<const Font>> fonts;
    long long key = hundredths(size);
    auto it = fonts.find(key);
    if (it != fonts.end()) return it->second;
    auto hand = Faces::font(Faces::Face::hand, size);
    auto roundFace = Faces::font(Faces::Face::round, size);
    std::shared_ptr<const Font> made = hand;
    // Glyphs the hand face lacks come from the round face at weight 430 (the round face
    // already carries those axis values), whatever the hand face's own cascade says.
    if (hand->postScriptName().rfind("Excalifont", 0) == 0 && roundFace->postScriptName().rfind("ShantellSans", 0) == 0)
        made = std::make_shared<const Font>(hand->base(), size, std::vector{roundFace->base()});
    if (fonts.size() >= kMaxCachedFonts) fonts.clear();
    fonts.emplace(key, made);
    return made;
}

MathInk::UnitMetrics MathInk::metrics(const std::string& text) {
    std::lock_guard<std::recursive_mutex> guard(cacheLock());
    static std::unordered_map<std::string, UnitMetrics> inks;
    auto it = inks.find(text);
    if (it != inks.end()) return it->second;
    GlyphRun run(text, *font(64), 0);
    Rect ink = run.path.boundingBox();
    if (!ink.isNull()) ink = {ink.x / 64, ink.y / 64, ink.w / 64, ink.h / 64};
    UnitMetrics m{run.width / 64, ink};
    if (inks.size() >= kMaxCachedMetrics) inks.clear();
    inks.emplace(text, m);
    return m;
}

MathInk::BoxRef MathInk::glyphBox(const std::string& text, double size, Color color) {
    UnitMetrics m = metrics(text);
    Rect ink = m.ink.isEmpty() ? Rect{0, 0, m.w, 0} : m.ink;
    auto box = std::make_shared<Box>();
    box->w = size * m.w;
    box->a = ink.minY() >= -0.39 ? size * 0.39 : size * -ink.minY();
    box->d = size * std::max(0.0, ink.maxY());
    box->inkL = size * ink.minX();
    box->inkR = size * ink.maxX();
    box->add(G{text, 0, 0, size, color});
    return box;
}

void MathInk::strokeLine(Path& path, double x1, double y1, double x2, double y2) {
    rough.lineOnce(path, x1, y1, x2, y2, false);
}

}  // namespace nolby
