#include "platform/TextLine.h"

#include "platform/Unicode.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <unordered_map>

namespace nolby {

namespace {

struct Piece {
    size_t start, end;  // byte range
    std::shared_ptr<const FontInstance> instance;
};

// Consecutive characters drawn by the same face become one piece.
std::vector<Piece> splitByFace(std::string_view text, const Font& font) {
    std::vector<Piece> pieces;
    std::vector<size_t> bounds = unicode::graphemeBounds(text);
    for (size_t i = 0; i + 1 < bounds.size(); ++i) {
        std::u32string cluster = unicode::toUtf32(text.substr(bounds[i], bounds[i + 1] - bounds[i]));
        const auto& inst = font.instanceFor(cluster);
        if (!pieces.empty() && pieces.back().instance == inst) pieces.back().end = bounds[i + 1];
        else pieces.push_back({bounds[i], bounds[i + 1], inst});
    }
    return pieces;
}

}  // namespace

TextLine TextLine::shape(std::string_view text, const Font& font, double kern) {
    TextLine line;
    line.size = font.size();
    if (text.empty()) return line;
    if (!std::isfinite(kern)) kern = 0;
    const double size = font.size();
    hb_buffer_t* buf = hb_buffer_create();
    double pen = 0;
    for (const Piece& piece : splitByFace(text, font)) {
        if (!piece.instance) continue;
        const FontInstance& inst = *piece.instance;
        hb_buffer_clear_contents(buf);
        // The whole text is context, so shaping at the piece's edges sees its neighbours.
        hb_buffer_add_utf8(buf, text.data(), static_cast<int>(text.size()), static_cast<unsigned>(piece.start),
                           static_cast<int>(piece.end - piece.start));
        hb_buffer_guess_segment_properties(buf);
        hb_buffer_set_cluster_level(buf, HB_BUFFER_CLUSTER_LEVEL_MONOTONE_CHARACTERS);
        hb_shape(inst.hb(), buf, nullptr, 0);
        unsigned n = 0;
        hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buf, &n);
        hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buf, &n);
        const double k = size / inst.unitsPerEmScaled();
        ShapedRun run{piece.instance, {}};
        run.glyphs.reserve(n);
        for (unsigned i = 0; i < n; ++i) {
            double adv = pos[i].x_advance * k;
            // Extra space goes after the last glyph of each character.
            bool lastOfCluster = i + 1 == n || info[i + 1].cluster != info[i].cluster;
            if (lastOfCluster) adv += kern;
            run.glyphs.push_back({info[i].codepoint, pen + pos[i].x_offset * k, -pos[i].y_offset * k, adv, info[i].cluster});
            pen += adv;
        }
        line.ascent = std::max(line.ascent, inst.ascender() * size);
        line.descent = std::max(line.descent, inst.descender() * size);
        if (!run.glyphs.empty()) line.runs.push_back(std::move(run));
    }
    hb_buffer_destroy(buf);
    line.width = pen;
    return line;
}

Path TextLine::outline() const {
    Path path;
    for (const ShapedRun& run : runs) {
        for (const ShapedGlyph& g : run.glyphs) {
            auto glyph = run.instance->outline(g.gid);
            if (glyph->isEmpty()) continue;
            // Outlines are in ems with y up; the page has y down.
            path.addPath(*glyph, Affine{size, 0, 0, -size, g.x, g.y});
        }
    }
    return path;
}

bool TextLine::hasMissingGlyphs() const {
    for (const ShapedRun& run : runs)
        for (const ShapedGlyph& g : run.glyphs)
            if (g.gid == 0) return true;
    return false;
}

const Path& ShapedText::outline() const {
    std::call_once(built_, [this] { outline_ = line_.outline(); });
    return outline_;
}

namespace {

// What decides a shaped line: the text, the faces a character can come from (the base face
// and the cascade list; the system faces chosen per character never change), the size and
// the kern, compared bit for bit.
struct RunKey {
    std::string text;
    // The base face (may be null), then the cascade list. Faces are made only by
    // FontInstance::get, which keeps every one for the life of the process.
    std::vector<const FontInstance*> faces;
    uint64_t size = 0, kern = 0;
};

// The same, borrowed from the caller: a lookup copies nothing.
struct RunProbe {
    std::string_view text;
    const Font& font;
    uint64_t size = 0, kern = 0;
};

uint64_t bitsOf(double v) { return std::bit_cast<uint64_t>(v); }

size_t mix(size_t h, uint64_t v) { return h ^ (v + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2)); }

struct RunHash {
    using is_transparent = void;
    size_t faces(size_t h, const FontInstance* base) const { return mix(h, reinterpret_cast<uintptr_t>(base)); }
    size_t operator()(const RunKey& k) const {
        size_t h = mix(mix(std::hash<std::string_view>()(k.text), k.size), k.kern);
        for (const FontInstance* f : k.faces) h = faces(h, f);
        return h;
    }
    size_t operator()(const RunProbe& p) const {
        size_t h = mix(mix(std::hash<std::string_view>()(p.text), p.size), p.kern);
        h = faces(h, p.font.base().get());
        for (const auto& f : p.font.cascade()) h = faces(h, f.get());
        return h;
    }
};

struct RunEqual {
    using is_transparent = void;
    static bool same(const RunKey& k, const RunProbe& p) {
        if (k.size != p.size || k.kern != p.kern || k.text != p.text) return false;
        const auto& cascade = p.font.cascade();
        if (k.faces.size() != cascade.size() + 1 || k.faces[0] != p.font.base().get()) return false;
        for (size_t i = 0; i < cascade.size(); ++i)
            if (k.faces[i + 1] != cascade[i].get()) return false;
        return true;
    }
    bool operator()(const RunKey& a, const RunKey& b) const {
        return a.size == b.size && a.kern == b.kern && a.text == b.text && a.faces == b.faces;
    }
    bool operator()(const RunKey& k, const RunProbe& p) const { return same(k, p); }
    bool operator()(const RunProbe& p, const RunKey& k) const { return same(k, p); }
};

struct RunCache {
    // Tutor text reaches this cache, so it is bounded by the glyphs it holds (an outline
    // is about a kilobyte a glyph); when full it starts over, its entries being deterministic.
    static constexpr size_t kMaxGlyphs = 12000;
    std::mutex lock;
    std::unordered_map<RunKey, std::shared_ptr<const ShapedText>, RunHash, RunEqual> runs;
    size_t glyphs = 0;
};

RunCache& runCache() {
    static RunCache* cache = new RunCache();  // never destroyed: layout threads may outlive statics
    return *cache;
}

size_t glyphCount(const TextLine& line) {
    size_t n = 0;
    for (const ShapedRun& run : line.runs) n += run.glyphs.size();
    return n;
}

}  // namespace

std::shared_ptr<const ShapedText> shapedText(std::string_view text, const Font& font, double kern) {
    if (!std::isfinite(kern)) kern = 0;
    const RunProbe probe{text, font, bitsOf(font.size()), bitsOf(kern)};
    RunCache& cache = runCache();
    {
        std::lock_guard<std::mutex> guard(cache.lock);
        auto it = cache.runs.find(probe);
        if (it != cache.runs.end()) return it->second;
    }
    auto made = std::make_shared<const ShapedText>(TextLine::shape(text, font, kern));
    RunKey key{std::string(text), {font.base().get()}, probe.size, probe.kern};
    for (const auto& f : font.cascade()) key.faces.push_back(f.get());
    const size_t n = glyphCount(made->line()) + 1;
    std::lock_guard<std::mutex> guard(cache.lock);
    if (cache.glyphs + n > RunCache::kMaxGlyphs) {
        cache.runs.clear();
        cache.glyphs = 0;
    }
    // Another thread may have shaped it meanwhile; both are identical, keep the first.
    auto [it, added] = cache.runs.emplace(std::move(key), made);
    if (added) cache.glyphs += n;
    return it->second;
}

double textWidth(std::string_view text, const Font& font) {
    if (text.empty()) return 0;
    return shapedText(text, font)->line().width;
}

}  // namespace nolby
