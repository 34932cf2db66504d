#include "writing/InkStage.h"

namespace nolby {

std::shared_ptr<InkStageView> InkStage::make(const Environment& env) const {
    auto view = InkStageView::make(model, env.scheduler);
    view->order = order;
    view->place(scale, origin, env.displayScale);
    view->show(page);
    return view;
}

void InkStage::update(InkStageView& view, const Environment& env) const {
    view.order = order;
    view.place(scale, origin, env.displayScale);
    view.show(page);
    view.sync();
}

void InkStage::dismantle(InkStageView& view) { view.show(std::nullopt); }

bool InkStage::operator==(const InkStage& o) const {
    const bool sameModel = !model.owner_before(o.model) && !o.model.owner_before(model);
    return sameModel && page == o.page && scale == o.scale && origin == o.origin && version == o.version &&
           rasters == o.rasters && editing == o.editing && order == o.order;
}

}  // namespace nolby
