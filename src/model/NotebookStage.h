#pragma once
// What a page stage reads of an open notebook model: its notebook, the note being typed,
// its writer, its raster cache and its ink cache under the notebook's geometry and accent.
//
// The stage holds its model weakly, so the handle it is given must expire with the model:
// the model keeps one NotebookStage (its `stage` member) for as long as it lives and hands
// out handle(), which shares the model's own ownership.

#include "writing/StageModel.h"

#include <memory>

namespace nolby {

class NotebookModel;

class NotebookStage final : public StageModel {
public:
    explicit NotebookStage(NotebookModel& model) : model_(model) {}

    // A handle on `stage` that lives exactly as long as `model`; `stage` must be kept as
    // long as the model is.
    static std::weak_ptr<StageModel> handle(const std::shared_ptr<NotebookModel>& model, NotebookStage& stage);

    const Notebook& nb() const override;
    std::optional<Uuid> editingId() const override;
    std::shared_ptr<Scribe> scribe() const override;
    std::shared_ptr<InkRaster> raster() const override;
    std::vector<InkOpRef> ops(const PageItem& item) override;

private:
    NotebookModel& model_;
};

}  // namespace nolby
