#include "ink/ops/GlyphRun.h"

#include "platform/TextLine.h"

namespace nolby {

const Path& GlyphOutline::path() const {
    static const Path none;
    if (own_) return *own_;
    return shaped_ ? shaped_->outline() : none;
}

GlyphRun::GlyphRun(std::string t, const Font& font, double kern) : text(std::move(t)) {
    if (text.empty()) return;
    // Shaped once per distinct text, font and kern; outlined when first read.
    auto shaped = shapedText(text, font, kern);
    const TextLine& line = shaped->line();
    width = line.width;
    ascent = line.ascent;
    descent = line.descent;
    path = GlyphOutline(std::move(shaped));
}

}  // namespace nolby
