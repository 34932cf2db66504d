#pragma once
// Paper bitmaps: a warm ground with faint speckles and a slight vignette, drawn once per
// size at two pixels per point and shared by every page and pane that shows paper.
//
// Sizes are taken up to a multiple of 64 points, so a window being resized makes few
// distinct textures. Each is about 9 MB at 640 × 896, and zooming makes a new size at every
// step, so the cache keeps only the six sizes used most recently; a size drawn again gives
// the same pixels, the speckles coming from a fixed seed.

#include "platform/Image.h"

#include <cairo.h>

#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace nolby {

class PaperTexture {
public:
    // Sizes kept in the cache.
    static constexpr size_t kKept = 6;
    // The largest side in points: beyond any screen, and a bitmap of twice that a side
    // (1 GB at most) can still be made.
    static constexpr int kMaxSide = 8192;

    // The one cache of the process, made on first use.
    static PaperTexture& shared();

    // The paper for a page of width × height points: a bitmap of the size taken up to a
    // multiple of 64 points, at 2 pixels per point. None for a side below 1 point or one too
    // large for a bitmap.
    std::shared_ptr<const Image> image(int width, int height);

    // The size a request is drawn at: both sides up to the next multiple of 64; none when a
    // side is below 1 or beyond kMaxSide.
    static std::optional<std::pair<int, int>> quantised(int width, int height);
    // The cache key of a drawn size: "640x896".
    static std::string key(int W, int H);
    // The keys held, the most recently used first.
    std::vector<std::string> keys() const;

    struct Speckle {
        double x, y, alpha, d;  // the top-left corner, opacity and diameter, in points
        bool operator==(const Speckle&) const = default;
    };
    // The speckles of a W × H texture in drawing order: (W × H) / 18 of them, each drawing
    // x, y, alpha and diameter in that order from one generator seeded 7.
    static std::vector<Speckle> speckles(int W, int H);
    // Draws the W × H paper into the context in points: ground, speckles, vignette.
    static void paint(cairo_t* cr, int W, int H);

private:
    mutable std::mutex mutex_;
    std::list<std::pair<std::string, std::shared_ptr<const Image>>> cache_;  // most recent first
};

}  // namespace nolby
