#pragma once
// The desk window: 1280 × 860 at first, never below 760 × 600. It holds the desk (the shelf or
// one open notebook) and the menu commands, and is titled "Nolby" on the shelf and after the
// notebook while one is shown.

#include "app/AppWindow.h"
#include "app/DeskView.h"
#include "app/NolbyCommands.h"

namespace nolby {

class DeskWindow : public AppWindow {
    Q_OBJECT
public:
    DeskWindow(std::shared_ptr<AppContext> context, std::function<void(const Uuid&)> openInWindow,
               QWidget* parent = nullptr);

    DeskView* deskView() const { return desk_; }
    NolbyCommands* commands() const { return commands_; }

    std::shared_ptr<NotebookModel> focusedIssue() const override;
    std::optional<DeskActions> desk() const override;
    std::optional<Dives> dives() const override;
    void shut() override;

private:
    DeskView* desk_;
    NolbyCommands* commands_;
};

}  // namespace nolby
