#pragma once
// The desk window's content: the shelf, or one open notebook. A notebook is begun here (from
// the shelf's question band, New Issue, the Learn shortcut) and opened here, unless it
// already has a window of its own, which is then brought forward.

#include "app/AppContext.h"
#include "app/AppWindow.h"
#include "app/IssueView.h"
#include "ui/library/Newsstand.h"

#include <QPointer>
#include <QStackedLayout>
#include <QWidget>

#include <functional>
#include <memory>

namespace nolby {

class DeskView : public QWidget {
    Q_OBJECT
public:
    // `openInWindow` opens a notebook in an issue window of its own.
    DeskView(std::shared_ptr<AppContext> context, std::function<void(const Uuid&)> openInWindow,
             QWidget* parent = nullptr);
    ~DeskView() override;

    // Shows the notebook: in its own window if it has one, else here.
    void show(const Notebook& notebook);
    // Starts a new notebook (600 × 1600 pages), with the question waiting for it when not empty.
    void begin(const std::string& question);
    // Back to the shelf, with the keyboard in the question field.
    void newIssue();
    // Back to the shelf.
    void close();

    // The notebook shown; none on the shelf.
    const std::shared_ptr<NotebookModel>& model() const { return model_; }
    IssueView* issueView() const { return issue_; }
    Newsstand* newsstand() const { return newsstand_; }
    // Closes the notebook shown (and its dives), each keeping its typed note.
    void shut();
    // The desk window's title: the notebook's shown, else "Nolby".
    QString title() const;

signals:
    void titleChanged(const QString& title);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setModel(std::shared_ptr<NotebookModel> model);
    void takeLearn();
    void applyDeskHooks();

    std::shared_ptr<AppContext> context_;
    std::function<void(const Uuid&)> openInWindow_;
    QStackedLayout* stack_;
    Newsstand* newsstand_;
    QPointer<IssueView> issue_;
    std::shared_ptr<NotebookModel> model_;
    Subscription learnWatch_;
    bool started_ = false;
};

}  // namespace nolby
