// The page stage: placing the page in the view, showing a page, and keeping one container
// per item in step with the page (drawn whole, taken up by the writer, slid when moved).
#include "writing/InkStageView.h"

#include "platform/layers/LayerRender.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace nolby {

namespace {

// The spring that moves a container when page flow moves its item.
constexpr double slideDamping = 26;
constexpr double slideStiffness = 260;
constexpr double slideMass = 1;

const PageItem* findItem(const Page& page, const Uuid& id) {
    for (const PageItem& item : page.items)
        if (item.id() == id) return &item;
    return nullptr;
}

bool writes(const Scribe& scribe, const Uuid& item) {
    const auto& jobs = scribe.jobs();
    return std::any_of(jobs.begin(), jobs.end(), [&](const Scribe::Job& j) { return j.item == item; });
}

}  // namespace

// ---- Making

std::shared_ptr<InkStageView> InkStageView::make(std::weak_ptr<StageModel> model, std::shared_ptr<Scheduler> scheduler) {
    return std::shared_ptr<InkStageView>(new InkStageView(std::move(model), std::move(scheduler)));
}

InkStageView::InkStageView(std::weak_ptr<StageModel> model, std::shared_ptr<Scheduler> scheduler)
    : model_(std::move(model)),
      scheduler_(std::move(scheduler)),
      root_(std::make_shared<Layer>()),
      ink_(std::make_shared<Layer>()) {
    root_->anchorPoint = {0, 0};
    ink_->anchorPoint = {0, 0};
    root_->addSublayer(ink_);
}

InkStageView::~InkStageView() { settleTimer_.cancel(); }

// ---- Keys

uint64_t InkStageView::contentHash(const PageItem& item) { return item.contentHash(); }

uint64_t InkStageView::shapeHash(const PageItem& item) { return item.shapeHash(); }

uint64_t InkStageView::contentKey(const PageItem& item, double pixels) {
    ContentHasher h(0);
    item.hashInto(h);
    // The raster scale moves in half pixels, so a thousandfold is a whole number.
    const double milli = pixels * 1000;
    h.combine(static_cast<int64_t>(std::isfinite(milli) ? std::llround(milli) : 0));
    return h.finalize();
}

double InkStageView::rasterScale(double scale, double displayScale) {
    return std::ceil(scale * displayScale * 2) / 2;
}

// ---- The host

void InkStageView::render(cairo_t* cr, double t) const { layers::render(cr, *root_, t); }

bool InkStageView::animating(double t) const { return layers::animating(*root_, t); }

FrameRateRange InkStageView::frameRate(double t) const { return layers::frameRate(*root_, t); }

void InkStageView::place(double scale, Point origin, double displayScale) {
    auto m = model_.lock();
    if (!m) return;
    const Notebook& nb = m->nb();
    ink_->bounds = {0, 0, nb.pageW, nb.pageH};
    ink_->position = origin;
    ink_->transform = Affine::scaling(scale, scale);
    const double p = rasterScale(scale, displayScale);
    // Small zoom jitter must not change every key; a scale that is no size at all is ignored.
    if (std::isfinite(p) && p > 0 && std::fabs(p - pixels_) > 0.001) {
        pixels_ = p;
        m->scribe()->pixels = p;
    }
}

void InkStageView::show(std::optional<Uuid> newPage) {
    if (newPage == page_) return;
    auto m = model_.lock();
    if (page_ && m) m->scribe()->detach(*this);
    clear();
    page_ = newPage;
    sync();
    if (newPage && m) m->scribe()->attach(shared_from_this(), *newPage, order);
}

void InkStageView::clear() {
    ink_->removeAllSublayers();
    items_.clear();
    upcoming_.clear();
    revealing_.clear();
    settleTimer_.cancel();
}

std::optional<size_t> InkStageView::pageIndex(const StageModel& model) const {
    if (!page_) return std::nullopt;
    const auto& pages = model.nb().pages;
    for (size_t i = 0; i < pages.size(); ++i)
        if (pages[i].id == *page_) return i;
    return std::nullopt;
}

// ---- Sync

void InkStageView::sync() {
    auto m = model_.lock();
    if (!m) return;
    auto index = pageIndex(*m);
    if (!index) return;
    // A copy: drawing an item asks the model for its ink, which must not pull the page away.
    const std::vector<PageItem> items = m->nb().pages[*index].items;
    const std::optional<Uuid> editing = m->editingId();
    std::vector<const PageItem*> visible;
    std::set<Uuid> ids;
    for (const PageItem& item : items) {
        if (item.text() && editing && item.id() == *editing) continue;  // the note being typed
        visible.push_back(&item);
        ids.insert(item.id());
    }
    for (auto it = items_.begin(); it != items_.end();) {
        if (ids.count(it->first)) {
            ++it;
            continue;
        }
        it->second.layer->removeFromSuperlayer();
        it = items_.erase(it);
    }
    auto scribe = m->scribe();
    for (const PageItem* item : visible) syncItem(*item, *scribe);
}

void InkStageView::syncItem(const PageItem& item, const Scribe& scribe) {
    const Uuid& id = item.id();
    auto found = items_.find(id);
    // A container made for a stroke before its item reached the page learns the item's
    // shape and top the first time it is seen, so later moves slide it from there.
    auto adopt = [&](Entry& e) {
        if (e.shape == 0) e.shape = shapeHash(item);
        if (std::isnan(e.drawnTop)) e.drawnTop = item.top();
    };
    if (writes(scribe, id)) {
        if (found != items_.end() && found->second.live) {
            adopt(found->second);
            return;
        }
        takeUp(item, std::nullopt);
        return;
    }
    const uint64_t key = contentKey(item, pixels_);
    if (found != items_.end() && found->second.key == key) return;
    const uint64_t shape = shapeHash(item);
    if (found != items_.end()) {
        Entry& e = found->second;
        adopt(e);
        // Only moved: slide it. A live container whose item changed shape since it was
        // written (an undo, say) falls through and is drawn anew, or it would keep old ink;
        // so does one drawn at another raster scale.
        if (e.shape == shape && e.pixels == pixels_) {
            const double top = item.top();
            if (!std::isnan(e.drawnTop) && std::isfinite(top)) slide(*e.layer, top - e.drawnTop);
            e.key = key;
            return;
        }
    }
    LayerRef layer = found != items_.end() ? found->second.layer : newContainer(id);
    layer->removeAllSublayers();
    layer->removeAnimation("slide");
    layer->transform = Affine::identity();
    if (LayerRef pic = picture(item, std::nullopt)) layer->addSublayer(pic);
    // Stored even without a picture: nothing is retried until the item or the scale changes.
    items_[id] = Entry{layer, key, false, 0, std::nullopt, shape, item.top(), pixels_};
}

LayerRef InkStageView::newContainer(const Uuid& id) {
    auto layer = std::make_shared<Layer>();
    auto m = model_.lock();
    auto index = m ? pageIndex(*m) : std::nullopt;
    if (!index) {
        ink_->addSublayer(layer);
        return layer;
    }
    // Containers keep the page order of their items, so later items draw above earlier ones.
    const auto& items = m->nb().pages[*index].items;
    size_t at = ink_->sublayers().size();
    for (size_t k = 0; k < items.size(); ++k) {
        if (items[k].id() != id) continue;
        size_t before = 0;
        for (size_t j = 0; j < k; ++j) before += items_.count(items[j].id());
        at = std::min(before, ink_->sublayers().size());
        break;
    }
    ink_->insertSublayer(layer, at);
    return layer;
}

LayerRef InkStageView::picture(const PageItem& item, std::optional<int> upTo) {
    auto m = model_.lock();
    if (!m) return nullptr;
    std::vector<InkOpRef> ops = m->ops(item);
    std::optional<InkRaster::Raster> bitmap;
    if (!upTo) {
        bitmap = m->raster()->now(item.id(), contentHash(item), ops, pixels_);
    } else {
        ops.resize(std::min(ops.size(), size_t(std::max(*upTo, 0))));
        bitmap = InkRaster::render(ops, pixels_);
    }
    if (!bitmap || !bitmap->image) return nullptr;
    auto layer = std::make_shared<Layer>();
    layer->contents = bitmap->image;
    layer->setFrame(bitmap->frame);
    return layer;
}

// ---- The writer's items

LayerRef InkStageView::takeUp(const PageItem& item, std::optional<int> job) {
    const Uuid& id = item.id();
    auto found = items_.find(id);
    LayerRef c = found != items_.end() ? found->second.layer : newContainer(id);
    // Everything goes but the placeholders of paintings still coming.
    std::vector<LayerRef> kept;
    for (const LayerRef& s : c->sublayers())
        if (s->name == "wet") kept.push_back(s);
    c->removeAllSublayers();
    for (const LayerRef& s : kept) c->addSublayer(s);
    // A slid container is set back in place; the placeholders move by the slide, so they stay
    // where they are seen, and the written part is drawn where the item is now.
    if (const double ty = c->transform.ty; ty != 0) {
        c->removeAnimation("slide");
        c->transform = Affine::identity();
        for (const LayerRef& s : kept) s->position.y += ty;
    }
    auto m = model_.lock();
    if (m)
        if (auto n = m->scribe()->drawn(id); n && *n >= 1)
            if (LayerRef pic = picture(item, *n)) c->addSublayer(pic);
    items_[id] = Entry{c, contentKey(item, pixels_), true, contentHash(item), job, shapeHash(item), item.top(), pixels_};
    return c;
}

LayerRef InkStageView::container(const Scribe::Stroke& stroke) {
    auto m = model_.lock();
    auto index = m ? pageIndex(*m) : std::nullopt;
    auto found = items_.find(stroke.item);
    if (index)
        if (const PageItem* onPage = findItem(m->nb().pages[*index], stroke.item)) {
            const PageItem item = *onPage;
            if (found != items_.end() && found->second.live) {
                Entry& e = found->second;
                if (e.job == stroke.job) return e.layer;
                // Taken up for this very content: this job may have it.
                if (e.item == contentHash(item)) {
                    e.job = stroke.job;
                    return e.layer;
                }
            }
            return takeUp(item, stroke.job);
        }
    // The writer runs ahead of the page's contents.
    if (found != items_.end()) return found->second.layer;
    LayerRef c = newContainer(stroke.item);
    items_[stroke.item] = Entry{c, 0, true, 0, stroke.job, 0, std::numeric_limits<double>::quiet_NaN(), pixels_};
    return c;
}

void InkStageView::taken(const Uuid& id) {
    if (auto found = items_.find(id); found != items_.end() && found->second.live) return;
    auto m = model_.lock();
    auto index = m ? pageIndex(*m) : std::nullopt;
    if (!index) return;
    if (const PageItem* item = findItem(m->nb().pages[*index], id)) {
        const PageItem copy = *item;
        takeUp(copy, std::nullopt);
    }
}

void InkStageView::slide(Layer& layer, double dy) {
    const Affine target = Affine::translation(0, dy);
    if (layer.transform == target) return;
    const double t = now();
    // From wherever it shows now, so a slide that interrupts another does not jump.
    SpringAnimation spring(KeyPath::transform, layer.presentedTransform(t), target);
    spring.damping = slideDamping;
    spring.stiffness = slideStiffness;
    spring.mass = slideMass;
    spring.duration = spring.settlingDuration();
    spring.preferredFrameRateRange = rate;
    layer.transform = target;
    layer.add(spring, "slide", t);
}

}  // namespace nolby
