#pragma once
// A window of its own for one notebook: 1200 × 840 at first, never below 760 × 600, titled
// after the notebook ("Issue" until it is found). A notebook the library does not hold leaves
// the desk's table in its place.

#include "app/AppContext.h"
#include "app/AppWindow.h"
#include "app/IssueView.h"
#include "app/NolbyCommands.h"

#include <QPointer>

namespace nolby {

class IssueWindow : public AppWindow {
    Q_OBJECT
public:
    IssueWindow(std::shared_ptr<AppContext> context, Uuid id, QWidget* parent = nullptr);
    ~IssueWindow() override;

    const Uuid& id() const { return id_; }
    const std::shared_ptr<NotebookModel>& model() const { return model_; }
    IssueView* issueView() const { return issue_; }

    std::shared_ptr<NotebookModel> focusedIssue() const override;
    std::optional<Dives> dives() const override;
    void shut() override;

private:
    std::shared_ptr<AppContext> context_;
    Uuid id_;
    std::shared_ptr<NotebookModel> model_;
    QPointer<IssueView> issue_;
    NolbyCommands* commands_;
};

}  // namespace nolby
