#pragma once
// A text run turned into glyph outlines, ready to fill: baseline at y 0, y down, origin
// at the left end of the run. Faces that stand in for missing characters are included.

#include "platform/Font.h"
#include "platform/Path.h"

#include <memory>
#include <string>
#include <vector>

namespace nolby {

// The outlines of a run, read as a Path and shared by every copy of the run. A run made
// from text shares the outlines of its shaped text with every run of the same text, font and
// kern: a page writes the same words many times, and a copy of the outlines for each run
// would cost more than the rest of the run.
class GlyphOutline {
public:
    GlyphOutline() = default;
    explicit GlyphOutline(Path path) : path_(std::make_shared<const Path>(std::move(path))) {}
    explicit GlyphOutline(std::shared_ptr<const Path> path) : path_(std::move(path)) {}

    const Path& path() const;
    operator const Path&() const { return path(); }
    const std::vector<Path::Element>& elements() const { return path().elements(); }
    bool isEmpty() const { return path().isEmpty(); }
    Rect boundingBox() const { return path().boundingBox(); }

    bool operator==(const GlyphOutline& o) const { return path_ == o.path_ || path() == o.path(); }

private:
    std::shared_ptr<const Path> path_;  // none for an empty run
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
