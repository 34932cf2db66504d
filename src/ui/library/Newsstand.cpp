#include "ui/library/Newsstand.h"

#include "ink/Mag.h"
#include "ink/mag/ChromeText.h"
#include "ui/pills/Pills.h"

#include <QPushButton>
#include <QResizeEvent>

#include <algorithm>

namespace nolby {

namespace {

constexpr int kBar = 52;          // the strip above the page that holds the search field
constexpr int kSearchWidth = 240;

}  // namespace

Newsstand::Newsstand(Services services, Actions actions, QWidget* parent)
    : QWidget(parent), services_(std::move(services)), actions_(std::move(actions)),
      scheme_(services_.scheme ? services_.scheme : new ColorScheme(this)) {
    setWindowTitle("Nolby");
    table_ = new Table(scheme_, this);
    shelf_ = new Shelf(services_.press, services_.scheduler, this);
    search_ = new QLineEdit(this);
    search_->setPlaceholderText("Search issues");
    search_->setClearButtonEnabled(true);
    search_->setFixedWidth(kSearchWidth);

    connect(search_, &QLineEdit::textChanged, this, [this] { refresh(); });
    connect(shelf_, &Shelf::open, this, [this](const NotebookHead& n) {
        if (actions_.open) actions_.open(n);
    });
    connect(shelf_, &Shelf::openInWindow, this, [this](const NotebookHead& n) {
        if (actions_.openInWindow) actions_.openInWindow(n);
    });
    connect(shelf_, &Shelf::remove, this, [this](const NotebookHead& n) { confirmDelete(n); });
    connect(shelf_->band(), &AskBand::begin, this, [this] { start(); });
    connect(shelf_->band(), &AskBand::chose, this, [this](const QString& question) {
        questionField()->setPlainText(question);
        start();
    });
    connect(scheme_, &ColorScheme::changed, this, [this] { applyScheme(); });
    if (services_.library) {
        QPointer<Newsstand> self(this);
        libraryWatch_ = services_.library->notebooks.observe([self] {
            if (self) self->libraryChanged();
        });
    }
    shelf_->band()->setToday(services_.today);
    shelf_->setToday(services_.today);
    pills_ = new PillColumn(this, services_.scheduler ? services_.scheduler->clock() : nullptr);
    pills_->error()->onRetry = [this] {
        if (services_.library) services_.library->retrySaves();
        showUnsaved();  // still failing until the try lands: the pill stays
    };
    pills_->error()->onDismiss = [this] {
        dismissedUnsaved_ = shownUnsaved_.value_or("");
        showUnsaved();
    };
    if (services_.library) {
        QPointer<Newsstand> self(this);
        unsavedWatch_ = services_.library->unsaved.observe([self] {
            if (self) self->showUnsaved();
        });
    }
    applyScheme();
    refresh();
    showUnsaved();
}

std::optional<std::string> Newsstand::unsavedText() const {
    if (!services_.library || services_.library->unsaved->empty()) return std::nullopt;
    const auto& unsaved = services_.library->unsaved.get();
    std::optional<std::string> text;
    for (const NotebookHead& n : services_.library->notebooks.get()) {
        auto it = unsaved.find(n.id);
        if (it == unsaved.end()) continue;
        text = Library::unsavedText(displayTitle(n), it->second, unsaved.size() - 1);
        break;
    }
    if (!text || *text == dismissedUnsaved_) return std::nullopt;
    return text;
}

void Newsstand::showUnsaved() {
    // A message closed by the learner stays away until every save has landed again.
    if (services_.library && services_.library->unsaved->empty()) dismissedUnsaved_.clear();
    const std::optional<std::string> text = unsavedText();
    if (text == shownUnsaved_ && (!text || pills_->error()->shown())) return;
    shownUnsaved_ = text;
    if (text)
        pills_->error()->show(*text, true);
    else
        pills_->error()->leave();
    pills_->place();
}

int64_t Newsstand::nextIssue() const {
    int64_t highest = 0;
    if (services_.library)
        for (const NotebookHead& n : services_.library->notebooks.get())
            if (!n.parent && n.issue) highest = std::max(highest, *n.issue);
    return highest + 1;
}

std::string Newsstand::displayTitle(const NotebookHead& n) { return n.title.empty() ? "Untitled" : n.title; }

std::vector<NotebookHead> Newsstand::shown() const {
    if (!services_.library) return {};
    QString text = search_->text();
    // Spaces and tabs around the text do not count; line breaks would.
    while (!text.isEmpty() && (text.front() == ' ' || text.front() == '\t')) text.remove(0, 1);
    while (!text.isEmpty() && (text.back() == ' ' || text.back() == '\t')) text.chop(1);
    if (text.isEmpty()) return services_.library->issues();
    std::vector<NotebookHead> out;
    for (const NotebookHead& n : services_.library->notebooks.get())
        if (!n.parent && QString::fromStdString(displayTitle(n)).contains(text, Qt::CaseInsensitive)) out.push_back(n);
    return out;
}

std::string Newsstand::countText() const {
    const size_t all = services_.library ? services_.library->issueCount() : 0;
    if (search_->text().isEmpty()) return std::to_string(all);
    return std::to_string(shown().size()) + " OF " + std::to_string(all);
}

std::string Newsstand::replyLine() const {
    const int64_t n = services_.repliesThisMonth ? services_.repliesThisMonth() : 0;
    if (n < 1) return "NOLBY PRESS";
    return std::to_string(n) + (n == 1 ? " REPLY THIS MONTH" : " REPLIES THIS MONTH");
}

std::string Newsstand::dateline() const { return datelineFor(nextIssue()); }

std::string Newsstand::datelineFor(int64_t next) const {
    return "NO. " + chrome::zeroPadded(std::max<int64_t>(next, 1), 3) + "  \u2022  " +
           Mag::quarter(ReferenceClock::toSys(services_.today()));
}

void Newsstand::start() {
    const std::string question = questionField()->toPlainText().trimmed().toStdString();
    questionField()->clear();
    if (actions_.begin) actions_.begin(question);
}

void Newsstand::ask() {
    questionField()->setFocus(Qt::OtherFocusReason);
}

void Newsstand::libraryChanged() {
    // A save in place changes one cover and nothing the texts count: the next refresh takes
    // just those heads. Past a few dozen (a long while hidden) one pass reads them all.
    const std::optional<Library::SavedInPlace> saved = services_.library->savedInPlace();
    if (saved && !readAll_ && savedSince_.size() < kSavedKept) {
        if (std::none_of(savedSince_.begin(), savedSince_.end(),
                         [&](const Library::SavedInPlace& s) { return s.id == saved->id; }))
            savedSince_.push_back(*saved);
    } else {
        readAll_ = true;
        savedSince_.clear();
    }
    stale_ = true;
    if (!isVisible() || refreshPosted_) return;  // showEvent, or the refresh already waiting, reads it
    if (!services_.scheduler) {
        refreshChanged();
        return;
    }
    refreshPosted_ = true;
    QPointer<Newsstand> self(this);
    services_.scheduler->post([self] {
        if (!self) return;
        self->refreshPosted_ = false;
        if (self->stale_ && self->isVisible()) self->refreshChanged();
    });
}

void Newsstand::refreshChanged() {
    if (!readAll_ && mendSaved()) return;
    refresh();
}

bool Newsstand::mendSaved() {
    if (!services_.library || !search_->text().isEmpty()) return false;
    Shelf::Texts texts = shelf_->texts();
    texts.replies = replyLine();
    if (!(texts == shelf_->texts())) return false;
    const std::vector<NotebookHead>& list = services_.library->notebooks.get();
    const std::vector<NotebookHead>& onShelf = shelf_->shown();
    std::vector<std::pair<size_t, NotebookHead>> changed;
    for (const Library::SavedInPlace& saved : savedSince_) {
        if (saved.index >= list.size() || list[saved.index].id != saved.id) return false;
        const NotebookHead& n = list[saved.index];
        if (n.parent) continue;  // a deep dive: not on the shelf
        // The shelf shows the store's issues in its order: this one is no further in.
        size_t k = 0;
        while (k < onShelf.size() && k < saved.index && onShelf[k].id != n.id) ++k;
        if (k >= onShelf.size() || onShelf[k].id != n.id) return false;
        if (!onShelf[k].sameSave(n)) changed.emplace_back(k, n);
    }
    stale_ = false;
    savedSince_.clear();
    shelf_->mendIssues(std::move(changed));
    return true;
}

void Newsstand::refresh() {
    stale_ = false;
    readAll_ = false;
    savedSince_.clear();
    const bool searching = !search_->text().isEmpty();
    // One pass over the store: the numbers the texts show and, while the shelf shows every
    // issue in the store's order, the heads saved again since it took them (then only those
    // are handed over, not a copy of every head).
    const std::vector<NotebookHead>& onShelf = shelf_->shown();
    std::vector<std::pair<size_t, NotebookHead>> changed;
    bool sameOrder = !searching && services_.library;
    size_t issues = 0;
    int64_t highest = 0;
    if (services_.library)
        for (const NotebookHead& n : services_.library->notebooks.get()) {
            if (n.parent) continue;
            if (n.issue) highest = std::max(highest, *n.issue);
            if (sameOrder) {
                if (issues >= onShelf.size() || onShelf[issues].id != n.id) sameOrder = false;
                else if (!onShelf[issues].sameSave(n)) changed.emplace_back(issues, n);
            }
            ++issues;
        }
    sameOrder = sameOrder && issues == onShelf.size();
    Shelf::Texts texts;
    texts.dateline = datelineFor(highest + 1);
    texts.count = searching ? countText() : std::to_string(issues);
    texts.replies = replyLine();
    texts.any = issues > 0;
    shelf_->band()->setIssue(highest + 1);
    if (sameOrder && texts == shelf_->texts()) {
        shelf_->mendIssues(std::move(changed));
        return;
    }
    shelf_->setIssues(shown(), std::move(texts));
}

void Newsstand::confirmDelete(const NotebookHead& notebook) {
    if (alert_) alert_->close();
    auto* box = new QMessageBox(this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setIcon(QMessageBox::Warning);
    box->setText(QString::fromStdString("Delete \u201C" + displayTitle(notebook) + "\u201D?"));
    box->setInformativeText("Its pages and the tutor's notes go with it.");
    QPushButton* remove = box->addButton("Delete", QMessageBox::DestructiveRole);
    box->addButton(QMessageBox::Cancel);
    box->setDefaultButton(QMessageBox::Cancel);
    const Uuid id = notebook.id;
    connect(box, &QMessageBox::finished, this, [this, box, remove, id] {
        if (box->clickedButton() == remove && services_.library) services_.library->remove(id);
    });
    alert_ = box;
    box->open();
}

void Newsstand::setScheme(std::optional<ColorScheme::Scheme> scheme) {
    forced_ = scheme;
    applyScheme();
}

ColorScheme::Scheme Newsstand::scheme() const { return forced_ ? *forced_ : scheme_->scheme(); }

void Newsstand::applyScheme() {
    const bool dark = scheme() == ColorScheme::Scheme::dark;
    table_->setForced(scheme());
    shelf_->setDark(dark);
    // The search field sits on the desk like a toolbar's: a soft rounded well in the print colour.
    search_->setStyleSheet(dark ? "QLineEdit { border: 1px solid rgba(250,248,242,0.18); border-radius: 9px;"
                                  " padding: 4px 10px; background: rgba(250,248,242,0.07); color: #FAF8F2; }"
                                : "QLineEdit { border: 1px solid rgba(10,10,12,0.16); border-radius: 9px;"
                                  " padding: 4px 10px; background: rgba(255,255,255,0.55); color: #0A0A0C; }");
}

void Newsstand::resizeEvent(QResizeEvent*) {
    table_->setGeometry(rect());
    search_->move(width() - kSearchWidth - 16, (kBar - search_->height()) / 2);
    shelf_->setGeometry(0, kBar, width(), std::max(0, height() - kBar));
}

void Newsstand::showEvent(QShowEvent*) {
    // What changed while hidden is read once, before the first frame shows it.
    if (stale_) refreshChanged();
    ask();
    if (ensured_ || !services_.press || !services_.library) return;
    ensured_ = true;
    // Once shown, every issue is offered to the press, after the first frame.
    QPointer<Newsstand> self(this);
    if (services_.scheduler)
        services_.scheduler->post([self] {
            if (!self) return;
            for (const NotebookHead& n : self->services_.library->notebooks.get())
                if (!n.parent) self->services_.press->ensure(n);
        });
}

}  // namespace nolby
