#pragma once
// What a page stage reads of an open notebook model: its notebook, the note being typed,
// its writer, its raster cache and its ink cache under the notebook's geometry and accent.
//
// The stage holds its model weakly, so the handle it is given must expire with the model:
// the model keeps one NotebookStage for as long as it lives and hands out handle(), which
// shares the model's own ownership.

#include "model/NotebookModel.h"
#include "model/StageModel.h"

#include <memory>

namespace nolby {

class NotebookStage final : public StageModel {
public:
    explicit NotebookStage(NotebookModel& model) : model_(model) {}

    // A handle on `stage` that lives exactly as long as `model`; `stage` must be kept as
    // long as the model is.
    static std::weak_ptr<StageModel> handle(const std::shared_ptr<NotebookModel>& model, NotebookStage& stage);

    const Notebook& nb() const override { return model_.nb.get(); }
    std::optional<Uuid> editingId() const override { return model_.editingId(); }
    std::shared_ptr<Scribe> scribe() const override { return model_.scribe; }
    std::shared_ptr<InkRaster> raster() const override { return model_.raster; }
    std::vector<InkOpRef> ops(const PageItem& item) override { return model_.entry(item).ops; }

private:
    NotebookModel& model_;
};

}  // namespace nolby
