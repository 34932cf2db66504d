#pragma once
// The shelf: the desk window's home screen. Every issue as a magazine cover in a lazy grid
// under the nameplate and the ask band, searchable by title, each opened with a click (or in
// a window of its own, or deleted, from its menu); a question typed in the band begins a new
// issue. What opening and beginning do is the application's: the shelf only calls back.
// While a notebook cannot be saved, an error pill at the foot of the shelf says so.

#include "library/Library.h"
#include "notebook/Notebook.h"
#include "platform/Date.h"
#include "platform/Scheduler.h"
#include "press/Press.h"
#include "ui/library/ColorScheme.h"
#include "ui/library/Shelf.h"
#include "ui/library/Table.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace nolby {

class PillColumn;

class Newsstand : public QWidget {
    Q_OBJECT
public:
    // What the shelf asks of the application.
    struct Actions {
        std::function<void(const NotebookHead&)> open;          // open the issue in the desk
        std::function<void(const NotebookHead&)> openInWindow;  // open it in a window of its own
        std::function<void(const std::string&)> begin;      // a new issue with this question (maybe "")
    };
    // What it reads.
    struct Services {
        std::shared_ptr<Library> library;
        std::shared_ptr<Press> press;
        std::shared_ptr<Scheduler> scheduler;
        // The tutor's replies this month (the spend counter's turns); none: no count shown.
        std::function<int64_t()> repliesThisMonth;
        // Today, for datelines and the day's starter questions.
        std::function<Date()> today = [] { return ReferenceClock::now(); };
        // Light or dark; none: the desktop's preference through a scheme of the shelf's own.
        ColorScheme* scheme = nullptr;
    };

    Newsstand(Services services, Actions actions, QWidget* parent = nullptr);

    // One more than the highest issue number (issues without one ignored); 1 when none has one.
    int64_t nextIssue() const;
    // The issues the grid shows: all of them, or those whose title (or "Untitled") holds the
    // search text, ignoring case; spaces and tabs around the search text do not count.
    std::vector<NotebookHead> shown() const;
    // Begins a new issue with the question trimmed of white space and line breaks, and
    // empties the field. An empty question begins one too.
    void start();
    // Puts the keyboard focus in the question field (the desk's New Issue command).
    void ask();

    // The header's count: "12", or "7 OF 12" while the search field holds any text.
    std::string countText() const;
    // "12 REPLIES THIS MONTH", "1 REPLY THIS MONTH", or "NOLBY PRESS" without replies.
    std::string replyLine() const;
    // "NO. 008  •  Q4 2026"
    std::string dateline() const;
    // The title, or "Untitled".
    static std::string displayTitle(const NotebookHead& notebook);

    // Asks whether to delete the issue ("Delete “X”?"); Delete removes it from the library.
    void confirmDelete(const NotebookHead& notebook);
    QMessageBox* deleteAlert() const { return alert_; }

    // Forces light or dark (screenshots, tests); none follows the desktop again.
    void setScheme(std::optional<ColorScheme::Scheme> scheme);
    ColorScheme::Scheme scheme() const;

    QLineEdit* searchField() const { return search_; }
    QuestionField* questionField() const { return shelf_->band()->field(); }
    AskBand* askBand() const { return shelf_->band(); }
    Shelf* shelf() const { return shelf_; }

    // Reads the library, the search and the counters again.
    void refresh();
    // Whether the library changed since the shelf last read it (it reads it again on the next
    // turn of the main loop, or when shown).
    bool stale() const { return stale_; }

    // The error pill that tells of saves that fail.
    PillColumn* pills() const { return pills_; }
    // What it says: the first unsaved notebook in shelf order (and how many more); none while
    // every save lands or the learner closed that very message.
    std::optional<std::string> unsavedText() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void applyScheme();
    void showUnsaved();
    // The library changed: the shelf reads it again once, on the next turn of the main loop,
    // however many changes came in this one; while hidden, not until it is shown.
    void libraryChanged();
    // Reads what changed: just the heads saved in place since the last refresh when that is
    // all that changed, else everything.
    void refreshChanged();
    // Hands the shelf the heads saved in place since the last refresh; false when it must
    // read everything (something else changed, the search picks, the texts changed).
    bool mendSaved();
    std::string datelineFor(int64_t next) const;

    Services services_;
    Actions actions_;
    bool stale_ = false;         // the library changed since refresh()
    bool refreshPosted_ = false;  // a refresh waits for the next turn of the main loop
    // The notebooks saved in place since refresh(), while that is all that changed.
    static constexpr size_t kSavedKept = 32;
    std::vector<Library::SavedInPlace> savedSince_;
    bool readAll_ = true;  // something else changed (or too many saves): read everything
    ColorScheme* scheme_;
    std::optional<ColorScheme::Scheme> forced_;
    QLineEdit* search_;
    Shelf* shelf_;
    QPointer<QMessageBox> alert_;
    Subscription libraryWatch_;
    Table* table_;
    PillColumn* pills_;
    Subscription unsavedWatch_;
    std::optional<std::string> shownUnsaved_;
    std::string dismissedUnsaved_;
    bool ensured_ = false;
};

}  // namespace nolby
