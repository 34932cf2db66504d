#pragma once
// One pane of the issue view: the notebook (or a deep dive) as its scrolling sheet, under
// the head (the issue's masthead or the dive's header) and the pane's chrome. The sheet's
// actions (go deeper, open a dive mark, close a dive, took focus) go to the issue view.

#include "app/PaneActions.h"
#include "model/NotebookModel.h"
#include "platform/Scheduler.h"
#include "ui/sheet/SheetPane.h"
#include "ui/sheet/SheetScrollView.h"

#include <memory>

namespace nolby {

class Library;
class SheetHead;
class PressSource;

class IssuePane final : public SheetPane {
public:
    IssuePane(std::shared_ptr<NotebookModel> model, PaneActions actions, bool outline,
              std::shared_ptr<Scheduler> scheduler, std::shared_ptr<PressSource> press,
              std::shared_ptr<Library> library, QWidget* parent = nullptr);

    const std::shared_ptr<NotebookModel>& model() const { return model_; }
    SheetScrollView* scroll() const { return scroll_; }
    const std::shared_ptr<SheetHead>& head() const { return head_; }

private:
    std::shared_ptr<NotebookModel> model_;
    SheetScrollView* scroll_;
    std::shared_ptr<SheetHead> head_;
};

}  // namespace nolby
