#pragma once
// A page being written, headless: one notebook page with its writer and a page stage over
// it, on a manual clock. A reply's blocks are laid down the page and queued the way the
// tutor queues them, a painting can arrive for a sketch, and time is moved by hand while
// frames of paper and ink are taken at chosen times. nolby-ink write and the stage's
// end-to-end tests both drive it.

#include "ink/J.h"
#include "model/InkCache.h"
#include "platform/Canvas.h"
#include "platform/Scheduler.h"
#include "writing/InkStage.h"
#include "writing/InkStageView.h"
#include "writing/StageModel.h"

#include <functional>
#include <map>
#include <optional>
#include <memory>
#include <string>
#include <vector>

namespace nolby::tools {

// What the stage reads, without the notebook model: the notebook value, the note being
// typed, the writer, the raster cache, and an ink cache whose sketch paintings are the
// desk's own.
class DeskModel final : public StageModel {
public:
    DeskModel(Notebook notebook, const std::shared_ptr<Scheduler>& scheduler);

    Notebook notebook;
    std::optional<Uuid> editing;
    std::map<std::string, std::shared_ptr<const Image>> paintings;  // by sketch file name
    const std::shared_ptr<Scribe> writer;
    const std::shared_ptr<InkRaster> rasters;
    InkCache cache;

    Geo geo() const { return {notebook.pageW, notebook.pageH}; }
    Color accent() const;

    const Notebook& nb() const override { return notebook; }
    std::optional<Uuid> editingId() const override { return editing; }
    std::shared_ptr<Scribe> scribe() const override { return writer; }
    std::shared_ptr<InkRaster> raster() const override { return rasters; }
    std::vector<InkOpRef> ops(const PageItem& item) override { return cache.entry(item, geo(), accent()).ops; }
};

// A reply for the tools: one JSON block object or an array of them (items that are not
// objects are skipped). None, with the reason in `error`, for text that is neither.
std::optional<std::vector<J>> replyBlocks(const std::string& text, std::string& error);

// A reply's blocks laid down a page, each under the one before, 12 points apart from the
// page's top margin; block i takes seed `seed` + i. Each block's item (with its height) and
// its operations in page coordinates.
struct LaidBlock {
    BlockItem item;
    std::vector<InkOpRef> ops;
};
std::vector<LaidBlock> layDown(const std::vector<J>& blocks, const Geo& geo, Color accent, uint64_t seed);

// A painting to try paintings with: a pizza on a wash of colour, its rim and cuts in dark
// ink lines, on white paper.
std::shared_ptr<const Image> samplePainting(int w, int h);

class WriteDesk {
public:
    struct Options {
        Geo geo;
        double speed = 1;
        double scale = 1;         // view points per page point
        double displayScale = 2;  // device pixels per view point
    };

    // A stroke as the writer scheduled it, with the clock at that moment.
    struct Scheduled {
        Scribe::Stroke stroke;
        double at = 0;
    };

    explicit WriteDesk(Options options);
    ~WriteDesk();
    WriteDesk(const WriteDesk&) = delete;
    WriteDesk& operator=(const WriteDesk&) = delete;

    const std::shared_ptr<ManualClock> clock;
    const std::shared_ptr<ManualScheduler> scheduler;
    const std::shared_ptr<DeskModel> model;

    InkStageView& stage() { return *view_; }
    const Uuid& page() const { return model->notebook.pages.front().id; }
    // Items in the order the writer reported them finished.
    const std::vector<Uuid>& finished() const { return finished_; }
    // Every stroke scheduled so far, in the order made.
    const std::vector<Scheduled>& scheduled() const { return scheduled_; }
    // Called as each stroke is scheduled.
    std::function<void(const Scheduled&)> onStroke;

    // A streamed reply of these blocks: each laid out under the one before (12 points
    // apart, from the page's top margin), stored as a block item, primed in the ink cache and
    // queued for writing; then the reply ends. Block i takes seed `seed` + i. Returns the
    // items' ids in order.
    std::vector<Uuid> reply(const std::vector<J>& blocks, uint64_t seed);
    // The painting of a sketch block arrives: the block takes it, and its last operation
    // (the painting) is queued alongside the writing. False when the item is not a block.
    bool paint(const Uuid& block, std::shared_ptr<const Image> painting);
    // The host's update: the stage synced with the page.
    void sync();

    // Moves the clock on by `seconds`, running background work and timers as they fall due.
    void run(double seconds);
    // Moves the clock on until nothing is being written or revealed any more, at most
    // `limit` seconds; true when it came to rest.
    bool runUntilIdle(double limit);
    bool idle() const;

    // The page at media time t: paper and ink at 2 pixels per point.
    std::unique_ptr<Canvas> frame(double t) const;
    // The ink of every item on the page drawn whole, over the same paper.
    std::unique_ptr<Canvas> whole() const;

    // Frames on a plain ground of the paper colour instead of the paper's texture and print.
    bool plainPaper = false;

private:
    class Tap;
    std::unique_ptr<Canvas> canvas() const;
    Options options_;
    InkStage value_;
    InkStage::Environment env_;
    std::shared_ptr<InkStageView> view_;
    std::shared_ptr<Tap> tap_;
    std::vector<Uuid> finished_;
    std::vector<Scheduled> scheduled_;
};

}  // namespace nolby::tools
