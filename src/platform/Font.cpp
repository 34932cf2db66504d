#include "platform/Font.h"

#include "platform/Unicode.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <tuple>

namespace nolby {

namespace {

// HarfBuzz works in integers: scale each face so one unit is 1/64 of a design unit,
// which keeps variable advances and outlines exact well below any visible size.
constexpr int kSubUnits = 64;

struct DrawTarget {
    Path path;
    double k;  // design units to ems
};

void moveTo(hb_draw_funcs_t*, void* d, hb_draw_state_t*, float x, float y, void*) {
    auto* t = static_cast<DrawTarget*>(d);
    t->path.moveTo(x * t->k, y * t->k);
}
void lineTo(hb_draw_funcs_t*, void* d, hb_draw_state_t*, float x, float y, void*) {
    auto* t = static_cast<DrawTarget*>(d);
    t->path.lineTo(x * t->k, y * t->k);
}
void quadTo(hb_draw_funcs_t*, void* d, hb_draw_state_t*, float cx, float cy, float x, float y, void*) {
    auto* t = static_cast<DrawTarget*>(d);
    t->path.quadTo({cx * t->k, cy * t->k}, {x * t->k, y * t->k});
}
void cubicTo(hb_draw_funcs_t*, void* d, hb_draw_state_t*, float c1x, float c1y, float c2x, float c2y, float x, float y,
             void*) {
    auto* t = static_cast<DrawTarget*>(d);
    t->path.curveTo({c1x * t->k, c1y * t->k}, {c2x * t->k, c2y * t->k}, {x * t->k, y * t->k});
}
void closePath(hb_draw_funcs_t*, void* d, hb_draw_state_t*, void*) { static_cast<DrawTarget*>(d)->path.close(); }

hb_draw_funcs_t* drawFuncs() {
    static hb_draw_funcs_t* funcs = [] {
        hb_draw_funcs_t* f = hb_draw_funcs_create();
        hb_draw_funcs_set_move_to_func(f, moveTo, nullptr, nullptr);
        hb_draw_funcs_set_line_to_func(f, lineTo, nullptr, nullptr);
        hb_draw_funcs_set_quadratic_to_func(f, quadTo, nullptr, nullptr);
        hb_draw_funcs_set_cubic_to_func(f, cubicTo, nullptr, nullptr);
        hb_draw_funcs_set_close_path_func(f, closePath, nullptr, nullptr);
        hb_draw_funcs_make_immutable(f);
        return f;
    }();
    return funcs;
}

std::vector<Variation> normalised(std::vector<Variation> v) {
    // Later values of a tag replace earlier ones, keeping the first tag's position.
    std::vector<Variation> out;
    for (const Variation& x : v) {
        bool replaced = false;
        for (Variation& y : out)
            if (y.tag == x.tag) { y.value = x.value; replaced = true; }
        if (!replaced) out.push_back(x);
    }
    return out;
}

}  // namespace

std::shared_ptr<const FontInstance> FontInstance::get(const std::shared_ptr<const FontFile>& file,
                                                      const std::vector<Variation>& variations) {
    if (!file) return nullptr;
    std::vector<Variation> vars = normalised(variations);
    using Key = std::pair<const FontFile*, std::vector<std::pair<uint32_t, double>>>;
    Key key{file.get(), {}};
    for (const Variation& v : vars) key.second.emplace_back(v.tag, v.value);
    std::sort(key.second.begin(), key.second.end());

    static std::mutex m;
    static std::map<Key, std::shared_ptr<const FontInstance>> instances;
    std::lock_guard<std::mutex> guard(m);
    auto it = instances.find(key);
    if (it != instances.end()) return it->second;

    std::shared_ptr<FontInstance> inst(new FontInstance());
    inst->file_ = file;
    inst->variations_ = vars;
    inst->font_ = hb_font_create(file->face());
    int units = static_cast<int>(file->unitsPerEm()) * kSubUnits;
    hb_font_set_scale(inst->font_, units, units);
    inst->scale_ = units;
    std::vector<hb_variation_t> hv;
    for (const Variation& v : vars) hv.push_back({v.tag, static_cast<float>(v.value)});
    if (!hv.empty()) hb_font_set_variations(inst->font_, hv.data(), static_cast<unsigned>(hv.size()));
    hb_font_make_immutable(inst->font_);

    auto metric = [&](hb_ot_metrics_tag_t tag) {
        hb_position_t p = 0;
        hb_ot_metrics_get_position_with_fallback(inst->font_, tag, &p);
        return p / inst->scale_;
    };
    inst->ascender_ = metric(HB_OT_METRICS_TAG_HORIZONTAL_ASCENDER);
    inst->descender_ = -metric(HB_OT_METRICS_TAG_HORIZONTAL_DESCENDER);
    inst->lineGap_ = metric(HB_OT_METRICS_TAG_HORIZONTAL_LINE_GAP);
    inst->capHeight_ = metric(HB_OT_METRICS_TAG_CAP_HEIGHT);
    inst->xHeight_ = metric(HB_OT_METRICS_TAG_X_HEIGHT);
    instances.emplace(key, inst);
    return inst;
}

FontInstance::~FontInstance() { hb_font_destroy(font_); }

uint32_t FontInstance::glyph(char32_t c) const {
    hb_codepoint_t g = 0;
    if (!hb_font_get_nominal_glyph(font_, c, &g)) return 0;
    return g;
}

double FontInstance::advance(uint32_t gid) const { return hb_font_get_glyph_h_advance(font_, gid) / scale_; }

std::shared_ptr<const Path> FontInstance::outline(uint32_t gid) const {
    {
        std::shared_lock<std::shared_mutex> read(outlineLock_);
        auto it = outlines_.find(gid);
        if (it != outlines_.end()) return it->second;
    }
    DrawTarget target{{}, 1.0 / scale_};
    hb_font_get_glyph_shape(font_, gid, drawFuncs(), &target);
    auto made = std::make_shared<const Path>(std::move(target.path));
    std::unique_lock<std::shared_mutex> write(outlineLock_);
    // Another thread may have made it meanwhile; both are identical, keep the first.
    return outlines_.emplace(gid, made).first->second;
}

FontDescriptor FontDescriptor::withVariation(uint32_t tag, double value) const {
    FontDescriptor d = *this;
    d.variations.push_back({tag, value});
    d.variations = normalised(d.variations);
    return d;
}

FontDescriptor FontDescriptor::withCascade(std::vector<FontDescriptor> fallbacks) const {
    FontDescriptor d = *this;
    d.cascade = std::move(fallbacks);
    return d;
}

std::shared_ptr<const Font> Font::make(const FontDescriptor& d, double size) {
    std::vector<std::shared_ptr<const FontInstance>> cascade;
    for (const FontDescriptor& f : d.cascade)
        if (auto inst = FontInstance::get(f.file, f.variations)) cascade.push_back(inst);
    return std::make_shared<const Font>(FontInstance::get(d.file, d.variations), size, std::move(cascade));
}

std::shared_ptr<const Font> Font::none(double size) { return std::make_shared<const Font>(nullptr, size, std::vector<std::shared_ptr<const FontInstance>>{}); }

Font::Font(std::shared_ptr<const FontInstance> base, double size, std::vector<std::shared_ptr<const FontInstance>> cascade)
    : base_(std::move(base)), size_(std::isfinite(size) ? size : 0), cascade_(std::move(cascade)) {}

std::string Font::postScriptName() const { return base_ ? base_->file().postScriptName() : std::string(); }
std::string Font::familyName() const { return base_ ? base_->file().familyName() : std::string(); }
double Font::ascent() const { return base_ ? base_->ascender() * size_ : 0; }
double Font::descent() const { return base_ ? base_->descender() * size_ : 0; }
double Font::leading() const { return base_ ? base_->lineGap() * size_ : 0; }
double Font::capHeight() const { return base_ ? base_->capHeight() * size_ : 0; }
double Font::xHeight() const { return base_ ? base_->xHeight() * size_ : 0; }

std::shared_ptr<const Font> Font::withSize(double size) const { return std::make_shared<const Font>(base_, size, cascade_); }

const std::shared_ptr<const FontInstance>& Font::instanceFor(std::u32string_view cluster) const {
    auto coversAll = [&](const FontInstance& f) {
        for (char32_t c : cluster)
            if (!unicode::isIgnorable(c) && !f.covers(c)) return false;
        return true;
    };
    if (base_ && coversAll(*base_)) return base_;
    for (const auto& f : cascade_)
        if (coversAll(*f)) return f;

    char32_t first = 0;
    for (char32_t c : cluster)
        if (!unicode::isIgnorable(c)) { first = c; break; }
    if (first != 0 && (!unicode::isWhitespace(first) || (!base_ && cascade_.empty()))) {
        // The system face chosen for a character never changes: remember it process-wide.
        static std::mutex m;
        static std::unordered_map<char32_t, std::shared_ptr<const FontInstance>> chosen;
        std::lock_guard<std::mutex> guard(m);
        auto it = chosen.find(first);
        if (it == chosen.end()) it = chosen.emplace(first, FontInstance::get(systemfonts::covering(first))).first;
        if (it->second) return it->second;
    }
    if (base_) return base_;
    if (!cascade_.empty()) return cascade_.front();
    static const std::shared_ptr<const FontInstance> nothing;
    return nothing;
}

}  // namespace nolby
