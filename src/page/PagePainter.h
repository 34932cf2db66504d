#pragma once
// Draws a PageView into a cairo context and keeps what its layers need between frames: the
// page stage (made, updated and let go as the view changes), the paper kept as one bitmap
// at the view's pixel size, the cover band's arrival, the raster-layer path's bitmaps and
// its patch drawn once, the note's ink, and the entrances and exits of the tutor's signs.
//
// Everything goes into one surface in one pass, paper first: ink multiplied onto the page
// needs the paper beneath it (over a transparent overlay a painting's white would show).
//
// A host (the page widget, the sheet's slices) makes one painter per page it shows:
//
//   PagePainter painter(PageView{model, index, live, side, ground, paper}, {displayScale, scheduler, press});
//   painter.onChange([&] { host.redraw(); });  // watched; synced on the next turn, then redraw
//   ... each frame:  painter.paint(cr, scheduler->now());  // units: view points, origin at
//                                                          // the view's top-left corner
//   ... keep drawing frames while painter.animating(now)
//   ... other page, other fields: painter.set(view);  other screen: painter.setDisplayScale(k);
//
// The stage registers with the notebook's writer as soon as the painter is made, so the page
// is written even before its first frame. Main thread only.

#include "page/PageBack.h"
#include "page/PageView.h"
#include "page/Presence.h"
#include "platform/Observed.h"
#include "platform/Scheduler.h"
#include "press/CoverBand.h"
#include "press/PressSource.h"
#include "writing/InkStageView.h"

#include <cairo.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace nolby {

class PagePainter {
public:
    struct Environment {
        double displayScale = 1;  // device pixels per view point
        std::shared_ptr<Scheduler> scheduler;  // the media clock, and the next turn of the loop
        std::shared_ptr<PressSource> press;    // covers for the opener's band; none: no covers
    };

    PagePainter(PageView view, Environment env);
    // The stage leaves the writer.
    ~PagePainter();
    PagePainter(const PagePainter&) = delete;
    PagePainter& operator=(const PagePainter&) = delete;

    const PageView& view() const { return view_; }
    // Shows other fields (another page, another model, live or not ...) from now on.
    void set(PageView view);
    void setDisplayScale(double displayScale);
    double displayScale() const { return env_.displayScale; }

    // Watches what the page reads (the model's notebook, view size, note, tutor status,
    // current page, pen, page versions, raster version, the writer's version, the press);
    // after a change the painter syncs on the next turn of the event loop, never inside the
    // change itself, then calls `redraw`. One sync for any number of changes in one turn.
    void onChange(std::function<void()> redraw);

    // Brings what the painter keeps in line with the model at `now`: the stage made, updated
    // or let go, the raster-layer ink read again when it changed, the note's ink laid out
    // when it changed, the signs' entrances and exits started. paint() syncs first.
    void sync(double now);
    // Draws the page at `now`. Nothing for a view below 1 × 1 or a scale that is not a size.
    void paint(cairo_t* cr, double now);
    // Whether the picture still changes after `now`.
    bool animating(double now) const;

    // For tests and tools.
    const std::shared_ptr<InkStageView>& stage() const { return stage_; }
    const PageView::RasterInk& rasterInk() const { return raster_; }
    // How many times the raster-layer path asked the model for its layers, and drew its patch.
    int layerReads() const { return layerReads_; }
    int patchRenders() const { return patchRenders_; }

private:
    void resetFor(const PageView& view);
    void syncStage();
    void syncRaster();
    void watch();
    void drawRaster(cairo_t* cr);
    void drawPatch(cairo_t* cr);

    PageView view_;
    Environment env_;

    std::shared_ptr<InkStageView> stage_;
    InkStage stageValue_;
    double stageDisplay_ = 0;

    PageBack back_;
    CoverBand band_;

    // The raster-layer path, read again only when what it depends on changes.
    struct RasterKey {
        std::optional<Uuid> page;
        int64_t version = 0;
        int rasters = 0;
        int writer = 0;
        std::optional<Uuid> editing;
        double pixels = 0;
        PageGeometry geometry;
        bool operator==(const RasterKey&) const = default;
    };
    std::optional<RasterKey> rasterKey_;
    PageView::RasterInk raster_;
    int layerReads_ = 0;
    // The patch drawn once into a bitmap on the device's pixel grid.
    struct PatchKey {
        InkPatch patch;
        int64_t pageVersion = 0;
        double pixelScale = 0;
        bool operator==(const PatchKey&) const = default;
    };
    std::optional<PatchKey> patchKey_;
    cairo_surface_t* patchBitmap_ = nullptr;
    int patchX_ = 0, patchY_ = 0;  // its top-left corner in device pixels from the view's origin
    int patchRenders_ = 0;

    std::optional<NoteCanvas> note_;
    std::vector<InkOpRef> noteOps_;

    bool synced_ = false;
    std::optional<ReadingSweep> sweep_;  // the last sweep shown, kept while it fades out
    Presence sweepShown_{ReadingSweep::kFade};
    std::optional<PageView::Thinking> thinking_;
    Presence thinkingShown_{ThinkingMark::kEntrance};

    // Posted syncs find the painter through this; it goes with the painter.
    struct Pending {
        PagePainter* painter = nullptr;
        bool queued = false;
    };
    std::shared_ptr<Pending> pending_ = std::make_shared<Pending>();
    std::function<void()> redraw_;
    std::vector<Subscription> watches_;
};

}  // namespace nolby
