#include "model/NotebookStage.h"

#include "model/NotebookModel.h"

namespace nolby {

std::weak_ptr<StageModel> NotebookStage::handle(const std::shared_ptr<NotebookModel>& model, NotebookStage& stage) {
    if (!model) return {};
    return std::shared_ptr<StageModel>(model, &stage);
}

const Notebook& NotebookStage::nb() const { return model_.nb.get(); }
std::optional<Uuid> NotebookStage::editingId() const { return model_.editingId(); }
std::shared_ptr<Scribe> NotebookStage::scribe() const { return model_.scribe; }
std::shared_ptr<InkRaster> NotebookStage::raster() const { return model_.raster; }
std::vector<InkOpRef> NotebookStage::ops(const PageItem& item) { return model_.entry(item).ops; }

}  // namespace nolby
