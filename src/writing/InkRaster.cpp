#include "writing/InkRaster.h"

#include "notebook/ContentHasher.h"

#include <algorithm>
#include <cmath>

namespace nolby {

namespace {

constexpr double maxSide = 4000;  // points; larger content is not rasterised at all
constexpr double margin = 4;      // points around the ink, for antialiasing and pen width

size_t byteSize(const std::optional<InkRaster::Raster>& r) {
    if (!r || !r->image) return 0;
    cairo_surface_t* s = r->image->surface();
    return size_t(cairo_image_surface_get_stride(s)) * size_t(cairo_image_surface_get_height(s));
}

}  // namespace

InkRaster::InkRaster(std::shared_ptr<Scheduler> scheduler, size_t byteBudget)
    : scheduler_(std::move(scheduler)), byteBudget_(byteBudget) {}

uint64_t InkRaster::combinedKey(uint64_t key, double scale) {
    ContentHasher h;
    h.combine(key);
    // lround rounds halves away from zero; a scale that is not finite has no thousandths.
    double thousandths = scale * 1000;
    h.combine(static_cast<int64_t>(std::isfinite(thousandths) && std::fabs(thousandths) < 9e18
                                       ? std::lround(thousandths)
                                       : 0));
    return h.finalize();
}

std::optional<InkRaster::Raster> InkRaster::render(const std::vector<InkOpRef>& ops, double scale) {
    if (!(std::isfinite(scale) && scale > 0)) return std::nullopt;
    Rect area = Rect::null();
    for (const auto& op : ops) {
        Rect b = op->bounds();
        if (!b.isNull()) area = area.united(b);
    }
    if (area.isNull()) return std::nullopt;
    // The size test is made before the margin is added, and refuses NaN as well.
    if (!(area.width() > 0 && area.width() < maxSide && area.height() > 0 && area.height() < maxSide))
        return std::nullopt;

    double minX = area.minX() - margin, minY = area.minY() - margin;
    double maxX = area.maxX() + margin, maxY = area.maxY() + margin;
    double x0 = std::floor(scale * minX), y0 = std::floor(scale * minY);
    double pw = std::ceil(scale * maxX) - x0, ph = std::ceil(scale * maxY) - y0;
    if (!(std::isfinite(x0) && std::isfinite(y0) && pw >= 1 && ph >= 1)) return std::nullopt;
    if (pw > 32767 || ph > 32767) return std::nullopt;  // more than a cairo image holds

    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(pw), int(ph));
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return std::nullopt;
    }
    cairo_t* cr = cairo_create(surface);
    // Page points, y down, the pixel box's corner at the origin. Both steps are finite and
    // invertible here, so the context cannot fall into an error state through them.
    cairo_translate(cr, -x0, -y0);
    cairo_scale(cr, scale, scale);
    for (const auto& op : ops) op->draw(cr, 1);
    bool ok = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
    cairo_destroy(cr);
    if (!ok) {
        cairo_surface_destroy(surface);
        return std::nullopt;
    }
    auto image = Image::adopt(surface);
    if (!image) return std::nullopt;
    return Raster{std::move(image), {x0 / scale, y0 / scale, pw / scale, ph / scale}};
}

std::optional<InkRaster::Raster> InkRaster::raster(const Uuid& id, uint64_t key, const std::vector<InkOpRef>& ops,
                                                   double scale) {
    uint64_t k = combinedKey(key, scale);
    if (auto it = store_.find(id); it != store_.end() && it->second.key == k) return it->second.raster;
    if (auto it = pending_.find(id); it != pending_.end() && it->second == k) return std::nullopt;
    pending_[id] = k;
    std::weak_ptr<InkRaster> weak = weak_from_this();
    std::weak_ptr<Scheduler> sched = scheduler_;
    scheduler_->background([weak, sched, id, k, ops, scale] {
        auto result = render(ops, scale);
        if (auto s = sched.lock())
            s->post([weak, id, k, result = std::move(result)]() mutable {
                if (auto self = weak.lock()) self->arrived(id, k, std::move(result));
            });
    });
    return std::nullopt;
}

std::optional<InkRaster::Raster> InkRaster::now(const Uuid& id, uint64_t key, const std::vector<InkOpRef>& ops,
                                                double scale) {
    uint64_t k = combinedKey(key, scale);
    if (auto it = store_.find(id); it != store_.end() && it->second.key == k) return it->second.raster;
    auto result = render(ops, scale);
    put(id, k, result);
    return result;
}

void InkRaster::arrived(const Uuid& id, uint64_t key, std::optional<Raster> raster) {
    // A newer request for changed content keeps its place in `pending`.
    if (auto it = pending_.find(id); it != pending_.end() && it->second == key) pending_.erase(it);
    put(id, key, std::move(raster));
    if (ready) ready();
}

void InkRaster::put(const Uuid& id, uint64_t key, std::optional<Raster> raster) {
    if (auto it = store_.find(id); it != store_.end()) bytes_ -= byteSize(it->second.raster);
    bytes_ += byteSize(raster);
    store_[id] = Entry{key, std::move(raster)};
    std::erase(order_, id);
    order_.push_back(id);
    // Age counts from the last store, not the last use. The entry just stored always stays.
    if (order_.size() > limit) evict(order_.front());
    while (bytes_ > byteBudget_ && order_.size() > 1) evict(order_.front());
}

void InkRaster::evict(const Uuid& id) {
    if (auto it = store_.find(id); it != store_.end()) {
        bytes_ -= byteSize(it->second.raster);
        store_.erase(it);
    }
    std::erase(order_, id);
}

}  // namespace nolby
