#pragma once
// A text run turned into glyph outlines, ready to fill: baseline at y 0, y down, origin
// at the left end of the run. Faces that stand in for missing characters are included.

#include "platform/Font.h"
#include "platform/Path.h"

#include <memory>
#include <string>
#include <vector>

namespace nolby {

class ShapedText;

// The outlines of a run, read as a Path and shared by every copy of the run. A run made
// from text holds its shaped text, which every run of the same text, font and kern shares,
// and the outlines are built the first time anything reads them: a page writes the same
// words many times, and layouts that only measure a run never read them at all.
class GlyphOutline {
public:
    GlyphOutline() = default;
    explicit GlyphOutline(std::shared_ptr<const ShapedText> shaped) : shaped_(std::move(shaped)) {}
    explicit GlyphOutline(Path path) : own_(std::make_shared<const Path>(std::move(path))) {}

    const Path& path() const;
    operator const Path&() const { return path(); }
    const std::vector<Path::Element>& elements() const { return path().elements(); }
    bool isEmpty() const { return path().isEmpty(); }
    Rect boundingBox() const { return path().boundingBox(); }

    bool operator==(const GlyphOutline& o) const {
        return (shaped_ == o.shaped_ && own_ == o.own_) || path() == o.path();
    }

private:
    std::shared_ptr<const ShapedText> shaped_;
    std::shared_ptr<const Path> own_;  // outlines given as they are
};

struct GlyphRun {
    std::string text;
    GlyphOutline path;
    double width = 0, ascent = 0, descent = 0;  // typographic bounds of the line

    GlyphRun() = default;
    // `kern` is extra space after every character, in points.
    GlyphRun(std::string text, const Font& font, double kern = 0);

    bool operator==(const GlyphRun&) const = default;
};

}  // namespace nolby
