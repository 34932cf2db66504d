#pragma once
// Bitmaps of page items. Drawing operations are vectors; painting a page full of
// handwriting again on every frame is too slow, so each item's ink is drawn once into a
// tightly cropped bitmap and kept while the item's content and the drawing scale stay the
// same. Misses are drawn in the background, so the page never waits for them.
//
// `render` is a pure function any thread may call (the writer's pre-render and the stage's
// partly written items use it directly). The cache itself lives on the main thread and is
// held by std::shared_ptr: background renders hold it weakly and drop their results when
// it is gone.

#include "ink/ops/InkOp.h"
#include "platform/Image.h"
#include "platform/Scheduler.h"
#include "platform/Uuid.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace nolby {

class InkRaster : public std::enable_shared_from_this<InkRaster> {
public:
    // One bitmap of ink placed on the page: premultiplied ARGB, transparent where nothing
    // was drawn. `frame` is where it lies in page points: its top-left corner and its pixel
    // size divided by the scale it was drawn at.
    struct Raster {
        std::shared_ptr<const Image> image;
        Rect frame;
        bool operator==(const Raster&) const = default;
    };

    static constexpr size_t limit = 400;  // items kept
    // Items also leave, oldest stored first, while their bitmaps hold more than this many
    // bytes (400 items of a long page at 3 pixels per point would otherwise take gigabytes).
    static constexpr size_t defaultByteBudget = size_t(256) << 20;

    explicit InkRaster(std::shared_ptr<Scheduler> scheduler, size_t byteBudget = defaultByteBudget);

    // Called on the main thread after a background result has been stored.
    std::function<void()> ready;

    // The operations drawn complete at `scale` pixels per point, cropped to their bounds plus
    // 4 points: none when nothing has bounds, when the bounds are not wider and higher than
    // 0, or 4000 points or more on a side, for a scale that is not a finite number above 0,
    // and when the bitmap cannot be made.
    static std::optional<Raster> render(const std::vector<InkOpRef>& ops, double scale);

    // The cached bitmap of an item whose content is identified by `key` (the item's content
    // hash), or none. Never blocks: a miss starts one background render per item and key and
    // gives none; `ready` tells when to ask again. A stored "nothing to draw" also gives none.
    std::optional<Raster> raster(const Uuid& id, uint64_t key, const std::vector<InkOpRef>& ops, double scale);
    // The same lookup, but a miss is rendered at once on the calling thread and stored.
    std::optional<Raster> now(const Uuid& id, uint64_t key, const std::vector<InkOpRef>& ops, double scale);

    // The key an entry is stored under: the caller's key and the scale to a thousandth, so
    // scales that round to the same thousandth share entries.
    static uint64_t combinedKey(uint64_t key, double scale);

    size_t count() const { return store_.size(); }
    // Bytes held by the stored bitmaps.
    size_t bytes() const { return bytes_; }

private:
    struct Entry {
        uint64_t key;
        std::optional<Raster> raster;
    };
    // Stores a result under its key, moves the item to the newest place and evicts.
    void put(const Uuid& id, uint64_t key, std::optional<Raster> raster);
    void evict(const Uuid& id);
    // Called on the main thread with a background result.
    void arrived(const Uuid& id, uint64_t key, std::optional<Raster> raster);

    std::shared_ptr<Scheduler> scheduler_;
    size_t byteBudget_;
    std::map<Uuid, Entry> store_;
    std::vector<Uuid> order_;  // oldest stored first, each id once
    std::map<Uuid, uint64_t> pending_;
    size_t bytes_ = 0;
};

}  // namespace nolby
