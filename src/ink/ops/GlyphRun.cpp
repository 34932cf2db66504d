#include "ink/ops/GlyphRun.h"

#include "platform/TextLine.h"

namespace nolby {

GlyphRun::GlyphRun(std::string t, const Font& font, double kern) : text(std::move(t)) {
    if (text.empty()) return;
    // Shaped and outlined once per distinct text, font and kern; each run keeps a copy.
    auto shaped = shapedText(text, font, kern);
    const TextLine& line = shaped->line();
    path = shaped->outline();
    width = line.width;
    ascent = line.ascent;
    descent = line.descent;
}

}  // namespace nolby
