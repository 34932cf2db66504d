#include "ink/ops/GlyphRun.h"

#include "platform/TextLine.h"

namespace nolby {

const Path& GlyphOutline::path() const {
    static const Path none;
    return path_ ? *path_ : none;
}

GlyphRun::GlyphRun(std::string t, const Font& font, double kern) : text(std::move(t)) {
    if (text.empty()) return;
    // Shaped and outlined once per distinct text, font and kern.
    auto shaped = shapedText(text, font, kern);
    const TextLine& line = shaped->line();
    width = line.width;
    ascent = line.ascent;
    descent = line.descent;
    const Path& outline = shaped->outline();
    path = GlyphOutline(std::shared_ptr<const Path>(std::move(shaped), &outline));
}

}  // namespace nolby
