#pragma once
// The page stage as a host puts it over its paper: a plain value naming what to show (the
// model, the page, where and how large), from which the host makes the stage once, updates
// it whenever the value changes, and dismantles it when it goes.
//
//   InkStage stage{model, pageId, scale, origin, version, rasters, editing, order};
//   auto view = stage.make(env);          // placed, showing the page, registered with the writer
//   ... on a change of any field:  newStage.update(*view, env);  (places, shows, syncs)
//   ... every frame:  view->render(cr, clock.now());  while view->animating(now) keep drawing
//   ... when the view goes:  InkStage::dismantle(*view);  (detached from the writer, cleared)
//
// `version`, `rasters` and `editing` (the page's content version, the raster cache's version
// and the note being typed) are never read: they are carried so that a change in any of them
// makes the value differ, and the host update, which syncs the stage with the page.

#include "platform/Geometry.h"
#include "platform/Scheduler.h"
#include "platform/Uuid.h"
#include "writing/InkStageView.h"
#include "writing/StageModel.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace nolby {

struct InkStage {
    std::weak_ptr<StageModel> model;
    std::optional<Uuid> page;  // none shows nothing
    double scale = 1;          // view points per page point
    Point origin;              // the page's top-left corner in the view
    int64_t version = 0;
    int64_t rasters = 0;
    std::optional<Uuid> editing;
    int order = 0;  // the stage's rank with the writer: lower is written first

    // What the host's surroundings give every stage.
    struct Environment {
        double displayScale = 1;  // device pixels per view point
        std::shared_ptr<Scheduler> scheduler;
    };

    // A new stage, placed and showing the page.
    std::shared_ptr<InkStageView> make(const Environment& env) const;
    // Brings the stage in line with this value: placed, showing the page, synced.
    void update(InkStageView& view, const Environment& env) const;
    // The stage shows nothing and leaves the writer.
    static void dismantle(InkStageView& view);

    // Equal when every field is (the model by identity).
    bool operator==(const InkStage& o) const;
};

}  // namespace nolby
