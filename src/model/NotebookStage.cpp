#include "model/NotebookStage.h"

namespace nolby {

std::weak_ptr<StageModel> NotebookStage::handle(const std::shared_ptr<NotebookModel>& model, NotebookStage& stage) {
    if (!model) return {};
    return std::shared_ptr<StageModel>(model, &stage);
}

}  // namespace nolby
