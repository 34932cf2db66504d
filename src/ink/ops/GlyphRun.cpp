#include "ink/ops/GlyphRun.h"

#include "platform/TextLine.h"

namespace nolby {

GlyphRun::GlyphRun(std::string t, const Font& font, double kern) : text(std::move(t)) {
    if (text.empty()) return;
    TextLine line = TextLine::shape(text, font, kern);
    path = line.outline();
    width = line.width;
    ascent = line.ascent;
    descent = line.descent;
}

}  // namespace nolby
