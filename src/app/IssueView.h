#pragma once
// The view of one open notebook: the notebook's own pane filling the view, a stack of deep
// dives sliding in from the right over it, the toolbar of the focused level on top. Every
// pane is a level: 0 is the notebook, k the k-th dive. The focused level is the one whose
// model the toolbar, the pills and the menus act on.
//
// The view drives the models' life in the window: it saves the notebook and every dive when
// the window stops being active, and closes every model (dives first, bottom up, then the
// notebook) when its owner ends it with closeModels(). That path is explicit rather than tied
// to hiding: a hidden view (a minimised window, a desk switching pages) must keep its models.

#include "app/PaneActions.h"
#include "library/Library.h"
#include "model/NotebookModel.h"
#include "platform/Haptics.h"
#include "platform/Scheduler.h"
#include "press/Press.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QVariantAnimation;

namespace nolby {

class IssueToolbar;
class PillColumn;

// What an issue view makes its deep dives' models with, and where it saves them.
struct IssueServices {
    std::shared_ptr<Library> library;
    std::shared_ptr<Scheduler> scheduler;
    std::shared_ptr<Press> press;     // asked for a notebook's cover; none: nobody is asked
    NotebookModel::TutorMaker tutor;  // e.g. TutorSession::maker(...); empty: a tutor that runs no turns
    std::shared_ptr<Haptics> haptics;
    // Makes the models when given (the application's own model maker); otherwise they are
    // made from the fields above.
    std::function<std::shared_ptr<NotebookModel>(Notebook)> models;

    std::shared_ptr<NotebookModel> makeModel(Notebook notebook) const;
};

class IssueView final : public QWidget {
    Q_OBJECT
public:
    // A view of `model` (level 0). `close` leaves the notebook: the desk returns to the
    // shelf, an issue window closes itself; the owner then calls closeModels().
    IssueView(IssueServices services, std::shared_ptr<NotebookModel> model, std::function<void()> close,
              QWidget* parent = nullptr);
    // A view of the stored notebook with this id, its model made on `services`; null when the
    // library has no such notebook.
    static IssueView* open(const IssueServices& services, const Uuid& notebook, std::function<void()> close,
                           QWidget* parent = nullptr);
    ~IssueView() override;

    const std::shared_ptr<NotebookModel>& model() const { return model_; }
    // The stacked dives, oldest first: dives()[k - 1] is level k.
    const std::vector<std::shared_ptr<NotebookModel>>& dives() const { return dives_; }
    int focus() const { return focus_; }
    // The model of the focused level.
    const std::shared_ptr<NotebookModel>& focused() const;

    // The actions handed to the pane at `level`.
    PaneActions actions(int level);
    // Shows a notebook as a deep dive above `level`; a notebook already stacked is popped back
    // to instead.
    void open(const Notebook& notebook, int over);
    // Starts the first turn of a freshly made dive: a "go deeper" note asked of the tutor.
    // Nothing for a dive that already holds writing or has no chosen words.
    void begin(const std::shared_ptr<NotebookModel>& dive);
    // Closes the dive at `level` and every dive above it.
    void closeDive(int level);
    // How far the notebook's pane slides left while dives are stacked.
    double lean(double width) const;

    // The Shelf button's action: the notebook's note committed, the notebook saved, then left.
    void shut();
    // The notebook and every dive saved at once (the window stopped being active).
    void saveAll();
    // Ends the view's models: the dives closed bottom first, then the notebook. Each model's
    // close() keeps the note being typed. Called once by the owner when the view goes away;
    // later calls do nothing.
    void closeModels();
    bool closed() const { return closed_; }

    // The toolbar over the panes: Shelf, "Who leads" and the next-step button.
    IssueToolbar* toolbar() const { return toolbar_; }
    // The error and notice pills of the focused level, at the foot of the view.
    PillColumn* pills() const { return pills_; }

    // What the error pill says of a save of this view's notebooks that fails (the focused
    // one first); none while every one lands or the learner closed that very message.
    std::optional<std::string> unsavedText() const;

    // The pane widget of a level; null outside the levels.
    QWidget* pane(int level) const;
    // Jumps every running slide and the appear to its end (tests and screenshots).
    void settle();
    // The window title: the notebook's title, or "New issue".
    QString title() const;

    // Runs once the view has appeared (faded and scaled in), with the notebook's model (the
    // launch hooks).
    std::function<void(const std::shared_ptr<NotebookModel>&)> onShown;

signals:
    // The focused level or its model changed: the toolbar, pills and menus follow.
    void focusedChanged();
    void titleChanged(const QString& title);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    class Frame;
    struct Level {
        std::shared_ptr<NotebookModel> model;
        Frame* frame = nullptr;
    };

    Frame* makeFrame(const std::shared_ptr<NotebookModel>& model, int level);
    void dive(int level, const std::string& words, const std::string& passage, int page, const std::vector<Rect>& rects);
    void focusLevel(int level);
    void setFocus(int level);
    // Puts every pane where the stack wants it; new dives slide in from the right edge.
    void place(bool animated);
    void slideOut(Frame* frame);
    void appear();
    // Follows the focused model's error and notice with the pills.
    void bindPills();
    void showPills();

    IssueServices services_;
    std::shared_ptr<NotebookModel> model_;
    std::function<void()> close_;
    bool shown_ = false;
    bool closed_ = false;
    std::vector<std::shared_ptr<NotebookModel>> dives_;
    int focus_ = 0;
    Frame* base_ = nullptr;
    std::vector<Frame*> diveFrames_;
    IssueToolbar* toolbar_ = nullptr;
    PillColumn* pills_ = nullptr;
    std::shared_ptr<NotebookModel> pillsOf_;
    std::vector<Subscription> pillWatches_;
    std::optional<std::string> shownError_;   // what the error pill shows now
    std::string dismissedUnsaved_;            // the failed save's message the learner closed,
                                              // until every save lands again
    std::optional<Uuid> shownNotice_;         // the notice the notice pill shows now
    QPointer<QVariantAnimation> appearing_;
    Subscription titleWatch_;
};

}  // namespace nolby
