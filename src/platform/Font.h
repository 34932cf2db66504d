#pragma once
// Fonts for ink: a face at chosen axis values (FontInstance), and a face at a point size
// with the list of faces that stand in for characters it lacks (Font). Everything here is
// immutable once made and safe to use from several layout threads at once.

#include "platform/FontSource.h"
#include "platform/Path.h"

#include <memory>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace nolby {

struct Variation {
    uint32_t tag;
    double value;
    bool operator==(const Variation&) const = default;
};

// One face at one set of variation-axis values, at a fixed fine resolution. All sizes of
// the face share it, and with it the outline cache. Metrics are in ems (1 = the point size).
class FontInstance {
public:
    // The shared instance of the face at these axis values (later values of a tag win).
    static std::shared_ptr<const FontInstance> get(const std::shared_ptr<const FontFile>& file,
                                                   const std::vector<Variation>& variations = {});
    ~FontInstance();
    FontInstance(const FontInstance&) = delete;
    FontInstance& operator=(const FontInstance&) = delete;

    const FontFile& file() const { return *file_; }
    const std::vector<Variation>& variations() const { return variations_; }
    hb_font_t* hb() const { return font_; }
    // HarfBuzz positions are in units of 1/unitsPerEmScaled() em.
    double unitsPerEmScaled() const { return scale_; }

    // The glyph of a character; 0 when the face lacks it.
    uint32_t glyph(char32_t c) const;
    bool covers(char32_t c) const { return glyph(c) != 0; }
    double advance(uint32_t gid) const;
    // The glyph's outline in ems, y growing upward, origin at its pen position. Cached.
    std::shared_ptr<const Path> outline(uint32_t gid) const;

    double ascender() const { return ascender_; }
    double descender() const { return descender_; }  // positive below the baseline
    double lineGap() const { return lineGap_; }
    double capHeight() const { return capHeight_; }
    double xHeight() const { return xHeight_; }

private:
    FontInstance() = default;
    std::shared_ptr<const FontFile> file_;
    std::vector<Variation> variations_;
    hb_font_t* font_ = nullptr;
    double scale_ = 1;
    double ascender_ = 0, descender_ = 0, lineGap_ = 0, capHeight_ = 0, xHeight_ = 0;
    mutable std::shared_mutex outlineLock_;
    mutable std::unordered_map<uint32_t, std::shared_ptr<const Path>> outlines_;
};

// What a font is made from: a face, its axis values and its cascade list.
struct FontDescriptor {
    std::shared_ptr<const FontFile> file;
    std::vector<Variation> variations;
    std::vector<FontDescriptor> cascade;  // only the top level's list is used

    // A copy with the axis set (replacing an earlier value of the same tag).
    FontDescriptor withVariation(uint32_t tag, double value) const;
    FontDescriptor withCascade(std::vector<FontDescriptor> fallbacks) const;
};

// A face at a point size plus its cascade list. Characters that neither the face nor the
// list has come from a system font that has them, so nothing silently vanishes.
class Font {
public:
    static std::shared_ptr<const Font> make(const FontDescriptor& d, double size);
    // A font with no face of its own: every character comes from the system fallback.
    static std::shared_ptr<const Font> none(double size);

    Font(std::shared_ptr<const FontInstance> base, double size, std::vector<std::shared_ptr<const FontInstance>> cascade);

    double size() const { return size_; }
    // Null for a font made by none().
    const std::shared_ptr<const FontInstance>& base() const { return base_; }
    const std::vector<std::shared_ptr<const FontInstance>>& cascade() const { return cascade_; }
    std::string postScriptName() const;
    std::string familyName() const;

    // Typographic metrics of the base face in points (0 without a face).
    double ascent() const;
    double descent() const;
    double leading() const;
    double capHeight() const;
    double xHeight() const;

    std::shared_ptr<const Font> withSize(double size) const;

    // The face that draws this user-perceived character: the base face when it has every
    // character of it, else the first cascade face that does, else a system face that has
    // its first character, else the base face (which then draws its missing glyph).
    const std::shared_ptr<const FontInstance>& instanceFor(std::u32string_view cluster) const;

private:
    std::shared_ptr<const FontInstance> base_;
    double size_;
    std::vector<std::shared_ptr<const FontInstance>> cascade_;
};

}  // namespace nolby
