#pragma once
// A plain view of one open notebook until the scrolling sheet takes its place: the page the
// tutor is writing on (else the last page that holds something), drawn live.

#include "app/AppContext.h"
#include "ui/notebook/PageWidget.h"

#include <QWidget>

#include <memory>

namespace nolby {

class IssueStandIn : public QWidget {
public:
    IssueStandIn(std::shared_ptr<AppContext> context, std::shared_ptr<NotebookModel> model, QWidget* parent = nullptr);
    ~IssueStandIn() override;

    const std::shared_ptr<NotebookModel>& model() const { return model_; }
    // Commits the typed note and ends the model's work (saved, an empty notebook dropped).
    void shut();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void follow();

    std::shared_ptr<AppContext> context_;
    std::shared_ptr<NotebookModel> model_;
    PageWidget* page_;
    std::vector<Subscription> watches_;
    bool shut_ = false;
};

}  // namespace nolby
