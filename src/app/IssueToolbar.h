#pragma once
// The issue view's toolbar, drawn over the panes with no background of its own (the paper
// runs up behind it): the Shelf button that leaves the whole notebook, the "Who leads" menu,
// and the next-step button. Everything but the Shelf button acts on the focused level, and
// follows it: focusing a dive switches the menu and the button to that dive.

#include "model/NotebookModel.h"

#include <QToolBar>

#include <memory>
#include <optional>
#include <string>

class QActionGroup;
class QToolButton;

namespace nolby {

class IssueView;
class NextStepButton;

class IssueToolbar final : public QToolBar {
    Q_OBJECT
public:
    explicit IssueToolbar(IssueView& view);

    QAction* shelf() const { return shelf_; }
    QToolButton* whoLeads() const { return whoLeads_; }
    QActionGroup* modes() const { return modes_; }
    NextStepButton* wayButton() const { return way_; }
    // Whether the next-step button is offered (not on an empty notebook at rest).
    bool offersWay() const { return wayAction_->isVisible(); }

    // The lesson modes in menu order (the Issue menu's too): their values and items.
    struct Mode {
        const char* value;
        const char* item;
    };
    static const Mode modeTable[3];

    // Reads the focused model again.
    void refresh();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Only the controls take clicks: the rest of the strip lets them through to the panes.
    void updateMask();
    void bind();
    void choose(const std::string& mode);
    void step();
    void stopWriting();

    IssueView& view_;
    std::shared_ptr<NotebookModel> bound_;
    std::optional<std::string> iconMode_;  // the mode the Who leads icon is drawn for
    QAction* shelf_;
    QToolButton* whoLeads_;
    QActionGroup* modes_;
    NextStepButton* way_;
    QAction* wayAction_;
    QAction* fixedAction_;
    QWidget* spacer_;
    std::vector<Subscription> watches_;
};

}  // namespace nolby
