#pragma once
// The page stage: the ink of one notebook page as a tree of layers, and the surface on which
// the writer reveals new ink.
//
// Every page item but the note being typed gets one container layer. A finished item shows
// one bitmap of its whole ink from the raster cache. An item the writer is busy with is
// "taken up": its container shows the bitmap of the operations already written, and the
// reveal layers of the strokes still to come are added to it one by one, each timed on the
// media clock by its stroke's start. When page flow moves an item, its container slides
// there on a spring instead of being redrawn; when an item's content changes, it is redrawn.
//
// A host (the page view) makes a stage through InkStage, places it over its paper and, on
// every frame, renders `layer()` at the media time; it keeps drawing frames while
// `animating(t)` is true. The stage registers itself with the notebook's writer for the page
// it shows, and the writer drives its reveals (Scribe::Stage). Main thread only.
//
// The implementation is split by concern:
//   InkStageView.cpp        placing, showing a page, syncing containers with the page's items
//   InkStageReveal.cpp      strokes turned into reveal layers, settled when done
//   InkStagePaint.cpp       wet-paint placeholders with their drops, and paintings in stages

#include "platform/Scheduler.h"
#include "platform/layers/Layer.h"
#include "writing/Scribe.h"
#include "writing/StageModel.h"

#include <cairo.h>

#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace nolby {

class InkStageView final : public Scribe::Stage, public std::enable_shared_from_this<InkStageView> {
public:
    // What one item's container shows.
    struct Entry {
        LayerRef layer;
        // The item's content key at `pixels`; 0 for a container made for a stroke before its
        // item reached the page.
        uint64_t key = 0;
        // Built stroke by stroke for the writer: sync() only slides it.
        bool live = false;
        // The item's content hash when it was taken up; 0 otherwise.
        uint64_t item = 0;
        // The writer job the container serves, when known.
        std::optional<int> job;
        // The item's shape hash; 0 for a container made before its item reached the page.
        uint64_t shape = 0;
        // The item's top when its content was drawn into the container; NaN when not known.
        double drawnTop = std::numeric_limits<double>::quiet_NaN();
        // The raster scale its bitmaps were made at: a container drawn at another scale is
        // drawn again rather than slid, or a zoom would leave it blurred.
        double pixels = 0;
    };

    // A stroke whose reveal layer is built, and the media time its reveal ends.
    struct Reveal {
        Scribe::Stroke stroke;
        LayerRef layer;
        double until = 0;
    };

    // Every animation of the stage asks for this many frames a second.
    static constexpr FrameRateRange rate{60, 120, 120};

    // A stage for the model's notebook. The scheduler gives the media clock and runs the
    // stage's own settling of reveals that end after the writer has stopped.
    static std::shared_ptr<InkStageView> make(std::weak_ptr<StageModel> model, std::shared_ptr<Scheduler> scheduler);
    ~InkStageView() override;
    InkStageView(const InkStageView&) = delete;
    InkStageView& operator=(const InkStageView&) = delete;

    // ---- For the host ----

    // The view's own layer, in view points; its one sublayer holds the page's ink.
    const LayerRef& layer() const { return root_; }
    // Draws the stage as it shows at media time t into a context whose units are view points.
    void render(cairo_t* cr, double t) const;
    // Whether the picture still changes after t, and at what frame rate it wants to.
    bool animating(double t) const;
    FrameRateRange frameRate(double t) const;

    // Positions and scales the page in the view and sets the raster scale: view `scale`
    // points per page point, the page's top-left corner at `origin`, `displayScale` device
    // pixels per view point.
    void place(double scale, Point origin, double displayScale);
    // Switches to a page, or to none: detaches from the writer, clears, syncs, attaches.
    void show(std::optional<Uuid> newPage);
    // Reconciles the containers with the page's items.
    void sync();

    // ---- Scribe::Stage ----

    void taken(const Uuid& item) override;
    void add(const std::vector<Scribe::Stroke>& strokes) override;
    void advance(double now) override;
    void finishAll(const std::vector<Scribe::Stroke>& strokes) override;

    // The container that receives a stroke's reveal layer.
    LayerRef container(const Scribe::Stroke& stroke);

    // ---- State ----

    int order = 0;  // the stage's rank with the writer; the host sets it
    const std::optional<Uuid>& page() const { return page_; }
    const LayerRef& ink() const { return ink_; }
    const std::map<Uuid, Entry>& items() const { return items_; }
    const std::vector<Scribe::Stroke>& upcoming() const { return upcoming_; }
    const std::vector<Reveal>& revealing() const { return revealing_; }
    // Bitmap pixels per page point of every bitmap the stage makes; 0 until first placed.
    double pixels() const { return pixels_; }

    // ---- Keys of an item ----

    // The item hashed with a hasher seeded 0 (the raster cache's key of the item).
    static uint64_t contentHash(const PageItem& item);
    // The content hash of the item moved to top 0: equal for items that differ only by a
    // vertical move.
    static uint64_t shapeHash(const PageItem& item);
    // What a container drawn at `pixels` shows: the item's content and the raster scale.
    static uint64_t contentKey(const PageItem& item, double pixels);

    // The raster scale for a view scale and display scale: up to the next half pixel.
    static double rasterScale(double scale, double displayScale);

private:
    InkStageView(std::weak_ptr<StageModel> model, std::shared_ptr<Scheduler> scheduler);

    double now() const { return scheduler_->now(); }
    void clear();
    std::optional<size_t> pageIndex(const StageModel& model) const;
    LayerRef newContainer(const Uuid& id);
    LayerRef picture(const PageItem& item, std::optional<int> upTo);
    LayerRef takeUp(const PageItem& item, std::optional<int> job);
    void slide(Layer& layer, double dy);
    void syncItem(const PageItem& item, const Scribe& scribe);

    // Settles what the reveal has finished with, and keeps a timer for the next one.
    void settleDue(double now);
    void armSettle(double now);

    std::weak_ptr<StageModel> model_;
    std::shared_ptr<Scheduler> scheduler_;
    std::optional<Uuid> page_;
    const LayerRef root_;
    const LayerRef ink_;
    std::map<Uuid, Entry> items_;
    std::vector<Scribe::Stroke> upcoming_;
    std::vector<Reveal> revealing_;
    double pixels_ = 0;
    Timer settleTimer_;
    double settleAt_ = 0;
};

}  // namespace nolby
