#pragma once
// A pane of the issue view until the sheet pane exists: the model's current page on a page
// widget, filling the pane. It measures the model's view, follows the current page, and tells
// the view when it takes keyboard focus (a click into it, or focus handed to it).

#include "app/PaneActions.h"
#include "model/NotebookModel.h"
#include "platform/Scheduler.h"

#include <QWidget>

#include <memory>

namespace nolby {

class PageWidget;
class PressSource;

class PaneStandIn final : public QWidget {
public:
    PaneStandIn(std::shared_ptr<NotebookModel> model, PaneActions actions, bool outline,
                std::shared_ptr<Scheduler> scheduler, std::shared_ptr<PressSource> press = nullptr,
                QWidget* parent = nullptr);

    const std::shared_ptr<NotebookModel>& model() const { return model_; }
    // Whether the outline of headings may be offered (only while no dive is stacked).
    void setOutline(bool outline) { outline_ = outline; }
    bool outline() const { return outline_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showCurrentPage();

    std::shared_ptr<NotebookModel> model_;
    PaneActions actions_;
    bool outline_;
    PageWidget* page_;
    Subscription pageWatch_;
};

}  // namespace nolby
