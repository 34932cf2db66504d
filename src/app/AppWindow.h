#pragma once
// The application's windows (the desk and the issue windows) and what each publishes for the
// menu commands while it is the active window: the desk's actions, the notebook of the
// focused pane, and the deep-dive stack of the focused issue view.

#include "model/NotebookModel.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>

namespace nolby {

struct DeskActions {
    std::function<void()> newIssue;  // back to the shelf, the question field focused
};

struct Dives {
    int count = 0;               // deep dives stacked in the focused issue view
    std::function<void()> back;  // closes the topmost
};

class AppWindow : public QMainWindow {
    Q_OBJECT
public:
    using QMainWindow::QMainWindow;

    // The windows open at their default sizes and never below this.
    static constexpr int minimumWidth = 760, minimumHeight = 600;

    virtual std::shared_ptr<NotebookModel> focusedIssue() const = 0;
    virtual std::optional<DeskActions> desk() const { return std::nullopt; }
    virtual std::optional<Dives> dives() const = 0;
    // Commits notes and closes every notebook shown, once (quitting, closing the window).
    virtual void shut() = 0;

    // The active window when it is one of ours.
    static AppWindow* active();

protected:
    // Closing a window shuts what it shows.
    void closeEvent(QCloseEvent* event) override;
};

class IssueView;
// The deep-dive stack of an issue view: how many, and closing the topmost.
Dives diveStack(IssueView* view);

}  // namespace nolby
