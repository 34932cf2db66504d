#pragma once
// The menu bar of every window: New Issue; Undo, Redo, Cut, Copy, Paste and Select All (on the
// focused text field or sheet); Go and Issue. Each command acts on the active window (the
// desk's actions, the notebook of its focused pane, its deep-dive stack); titles and enabled
// states are read from it again whenever a menu opens, the keyboard focus or the clipboard
// changes, and before each key is matched against the shortcuts, so shortcuts follow the
// lesson too without anything polling while the app is idle.
//
// Ctrl stands for Command; Redo also answers Ctrl+Y, Back from Deep Dive Alt+Left, and Write
// the Rest Now Ctrl+Shift+Return (input methods may take Ctrl+.).

#include "app/AppWindow.h"

#include <QAction>
#include <QMenuBar>
#include <QObject>

#include <functional>
#include <string>

namespace nolby {

class NolbyCommands : public QObject {
    Q_OBJECT
public:
    // Fills the menu bar; `window` is asked for the focused values (the active window is
    // used when it is null).
    explicit NolbyCommands(QMenuBar* bar, AppWindow* window = nullptr);

    // The next-step title for a notebook's way; none focused: "Next Part".
    static std::string nextStepTitle(const std::optional<NotebookModel::Way>& way);

    // Undo: a text field with text and something to undo; else the sheet's typing; else the
    // notebook, with the notice "Undone" and its "Redo". Redo mirrors it.
    static void undo(AppWindow* window);
    static void redo(AppWindow* window);

    // Reads titles and enabled states from the window again.
    void refresh();

    QAction* newIssue() const { return newIssue_; }
    QAction* undoAction() const { return undo_; }
    QAction* redoAction() const { return redo_; }
    QAction* cut() const { return cut_; }
    QAction* copy() const { return copy_; }
    QAction* paste() const { return paste_; }
    QAction* selectAll() const { return selectAll_; }
    QAction* back() const { return back_; }
    QAction* nextStep() const { return next_; }
    QAction* writeRest() const { return rest_; }
    QAction* mode(int index) const { return modes_[index]; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AppWindow* window() const;

    AppWindow* window_;
    QAction* newIssue_;
    QAction* undo_;
    QAction* redo_;
    QAction* cut_;
    QAction* copy_;
    QAction* paste_;
    QAction* selectAll_;
    QAction* back_;
    QAction* next_;
    QAction* rest_;
    QAction* modes_[3];
};

}  // namespace nolby
