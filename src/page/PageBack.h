#pragma once
// The back of a page view (the paper colour, the paper and its furniture) kept as one bitmap
// at the view's own pixel size. Drawing the paper anew scales a page-sized texture and sets
// the chrome's text every time; a frame drawn from the kept bitmap is a blit on the same
// pixel grid. The bitmap is made again only when something it shows changes: the view's
// size or pixel scale, the paper's fields, or the cover band's look (so every frame of the
// band's 1.2 s arrival, and none after it).

#include "page/PaperView.h"

#include <cairo.h>

#include <memory>
#include <optional>

namespace nolby {

class PageBack {
public:
    // Draws the back as drawPageBack() does, into a context whose current transform maps
    // view points to device pixels by a uniform scale.
    void draw(cairo_t* cr, Size view, bool ground, const std::optional<PaperView>& paper,
              const CoverBand::Look& band = {});

    // How many times the bitmap was made (for tests and benchmarks).
    int renders() const { return renders_; }

private:
    struct Key {
        Size view;
        double pixelScale = 0;
        bool ground = false;
        std::optional<PaperView> paper;
        CoverBand::Shown shown;
        std::optional<CoverBand::Shown> leaving;
        double progress = 1;
        bool operator==(const Key&) const = default;
    };
    std::optional<Key> key_;
    std::shared_ptr<const Image> bitmap_;
    int renders_ = 0;
};

}  // namespace nolby
