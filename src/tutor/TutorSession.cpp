// Asking and cancelling, the start of a turn, and its end: recorded, failed or cancelled.
#include "tutor/TutorSession.h"

#include "ink/Hand.h"
#include "ink/Ink.h"
#include "ink/Rng.h"
#include "platform/Unicode.h"
#include "tutor/TutorSessionRun.h"

#include <algorithm>

namespace nolby {

NotebookModel::TutorMaker TutorSession::maker(Services services) {
    return [services](std::weak_ptr<NotebookModel> model) -> std::shared_ptr<TutorLink> {
        return std::make_shared<TutorSession>(std::move(model), services);
    };
}

NotebookModel::Services TutorSession::modelServices(Services services, std::shared_ptr<Haptics> haptics) {
    NotebookModel::Services model;
    model.library = services.library;
    model.clock = services.scheduler->clock();
    model.scheduler = services.scheduler;
    model.haptics = std::move(haptics);
    model.tutor = maker(std::move(services));
    return model;
}

TutorSession::TutorSession(std::weak_ptr<NotebookModel> model, Services services)
    : model_(std::move(model)), services_(std::move(services)) {}

TutorSession::~TutorSession() {
    // The notebook is gone: its reply has nowhere to go.
    if (run_ && run_->call) run_->call->cancel();
}

Date TutorSession::now() const { return services_.now ? services_.now() : ReferenceClock::now(); }

std::shared_ptr<TurnState> TutorSession::current() const { return current_; }

bool TutorSession::live(const std::shared_ptr<Run>& run) const { return run && run == run_ && !run->over; }

void TutorSession::setStatus(NotebookModel& model, const std::function<void(NotebookModel::TutorStatus&)>& change) {
    NotebookModel::TutorStatus status = model.tutor.get();
    change(status);
    model.tutor.set(std::move(status));
}

void TutorSession::ask() {
    if (task_) return;
    std::shared_ptr<NotebookModel> model = model_.lock();
    if (!model || !services_.scheduler) return;
    setStatus(*model, [](NotebookModel::TutorStatus& s) { s.error.reset(); });
    task_ = true;
    const uint64_t number = ++taskNumber_;
    std::weak_ptr<TutorSession> weak = weak_from_this();
    services_.scheduler->post([weak, number] {
        std::shared_ptr<TutorSession> self = weak.lock();
        if (self && self->task_ && self->taskNumber_ == number) self->begin();
    });
}

void TutorSession::begin() {
    // An earlier turn whose reply came in full is still being placed: it records first.
    if (run_) {
        startWhenDone_ = true;
        return;
    }
    run();
}

void TutorSession::cancel() {
    if (std::shared_ptr<NotebookModel> model = model_.lock())
        setStatus(*model, [](NotebookModel::TutorStatus& s) { s.thinking = false; });
    task_ = false;
    startWhenDone_ = false;
    // A reply still coming stops now; one already received is placed and recorded.
    if (run_ && !run_->received) unwind(run_, nullptr);
}

void TutorSession::pageInserted(int at) {
    if (placing_ || !current_) return;
    if (current_->placer.page >= at) ++current_->placer.page;
    if (composingPage_ >= at) ++composingPage_;
    if (anchor_ && anchor_->page >= at) ++anchor_->page;
}

namespace {

// The rectangles of the lines of a learner's note as written, or a stroke's ink.
std::vector<Rect> readingLines(NotebookModel& model, const PageItem& item) {
    if (const TextItem* t = item.text()) {
        Hand hand = NotebookModel::noteHand(stableHash(t->id.string()));
        const Hand::Result written = hand.write(t->text, t->x, t->y, t->width, t->size, Ink::ink, Faces::Face::hand,
                                                std::nullopt, Hand::Align::left, false, std::nullopt, 0, 0, 0);
        std::vector<Rect> out;
        for (const Hand::Line& l : written.lines) out.push_back({l.left, l.y - 0.8 * t->size, l.right - l.left, t->size});
        return out;
    }
    const Rect b = model.bounds(item);
    if (b.isNull()) return {};
    return {b};
}

}  // namespace

void TutorSession::run() {
    std::shared_ptr<NotebookModel> model = model_.lock();
    if (!model) {
        task_ = false;
        return;
    }
    NotebookModel& m = *model;

    const std::vector<Notebook::Unread> items = m.nb->newItems();
    const int64_t turnsBefore = static_cast<int64_t>(m.nb->turns.size());
    const bool firstTurn = turnsBefore == 0;
    Ids ids;
    for (size_t i = 0; i < items.size(); ++i) ids.emplace("u" + std::to_string(i + 1), items[i]);

    const int pages = static_cast<int>(m.nb->pages.size());
    const int page = std::clamp(items.empty() ? m.pageIndex.get() : static_cast<int>(items.back().page), 0, pages - 1);
    Rect newBounds = Rect::null();
    for (const Notebook::Unread& u : items)
        if (u.page == page)
            if (const Rect b = m.bounds(u.item); !b.isNull()) newBounds = newBounds.united(b);

    // Writing with a tutor block below it (a page-turn mark aside) is answered just below it.
    bool insert = false;
    if (!newBounds.isNull()) {
        const std::vector<PageItem> onPage = m.nb->pages[page].items;
        for (const PageItem& item : onPage) {
            const BlockItem* block = item.block();
            if (!block || NotebookModel::kind(*block) == "pto") continue;
            const Rect b = m.bounds(item);
            if (!b.isNull() && b.minY() > newBounds.maxY() - 2) insert = true;
        }
    }

    std::optional<std::string> answered;
    for (const Notebook::Unread& u : items)
        if (u.item.text())
            if (std::optional<std::string> q = question(m.bounds(u.item), static_cast<int>(u.page))) answered = q;

    const Placer placer =
        Placer::make(m, page, newBounds.isNull() ? std::nullopt : std::optional<double>(newBounds.maxY()), insert);
    if (m.nb->next) m.nb.modify([](Notebook& n) { n.next.reset(); });
    anchor_ = newBounds.isNull() ? std::nullopt : std::optional<Anchor>(Anchor{page, newBounds});
    pointed_ = false;
    lastType_.reset();

    std::vector<Rect> lines;
    for (const Notebook::Unread& u : items)
        if (u.page == m.pageIndex.get())
            for (const Rect& r : readingLines(m, u.item)) lines.push_back(r);
    const int reading = m.pageIndex.get();
    const double start = services_.scheduler->now();
    setStatus(m, [&](NotebookModel::TutorStatus& s) {
        s.thinkingAt = NotebookModel::TutorStatus::Mark{placer.page, Point{30, placer.y + 12}};
        s.thinking = true;
        if (lines.empty()) s.reading.reset();
        else s.reading = NotebookModel::TutorStatus::Reading{reading, lines, start};
    });

    composingPage_ = placer.page;
    m.scribe->composing(true);
    const double room = Placer::freeRun(m, placer.page, placer.y);

    Claude::Request request;
    request.content = context(items, ids, page, firstTurn, room, insert);
    request.system = m.nb->pageW >= widePage ? wideSystem() : system();
    request.effort = "low";
    request.maxTokens = 16000;
    request.lesson = firstTurn;

    auto r = std::make_shared<Run>();
    r->placer = placer;
    r->turn = turnsBefore;
    r->task = taskNumber_;
    r->ids = std::move(ids);
    r->firstTurn = firstTurn;
    r->insert = insert;
    r->answered = std::move(answered);
    run_ = r;
    current_ = r;

    std::weak_ptr<TutorSession> weak = weak_from_this();
    std::weak_ptr<Run> turn = r;
    Claude::Handlers handlers;
    handlers.onText = [weak, turn](std::string_view delta) {
        std::shared_ptr<TutorSession> self = weak.lock();
        if (std::shared_ptr<Run> r = turn.lock(); self && r) self->text(r, delta);
    };
    handlers.onEnd = [weak, turn](std::optional<Claude::Usage>, std::exception_ptr error) {
        std::shared_ptr<TutorSession> self = weak.lock();
        if (std::shared_ptr<Run> r = turn.lock(); self && r) self->ended(r, error);
    };
    std::shared_ptr<Gateway::Call> call = startStream(request, std::move(handlers));
    // The stream may have ended already (a scripted one, or no gateway at all).
    if (live(r)) r->call = std::move(call);
}

std::shared_ptr<Gateway::Call> TutorSession::startStream(const Claude::Request& request, Claude::Handlers handlers) {
    if (services_.stream) return services_.stream(request, std::move(handlers));
    if (services_.gateway) {
        std::function<Date()> clock = services_.now;
        return Claude::stream(*services_.gateway, services_.defaults, clock, request, std::move(handlers));
    }
    // Nothing to talk to: the turn fails as an unreachable gateway would.
    services_.scheduler->post([onEnd = std::move(handlers.onEnd)] {
        onEnd(std::nullopt, std::make_exception_ptr(Gateway::Failure(Gateway::Failure::Kind::unreachable)));
    });
    return nullptr;
}

void TutorSession::ended(const std::shared_ptr<Run>& run, std::exception_ptr error) {
    if (!live(run)) return;
    run->call.reset();
    if (error) return unwind(run, error);
    // The last line needs no line feed.
    if (!run->buffer.empty()) run->lines.push_back(std::move(run->buffer));
    run->buffer.clear();
    run->received = true;
    pump(run);
}

namespace {

std::string describe(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
    }
    return "Something went wrong. Try again in a moment.";
}

}  // namespace

void TutorSession::unwind(const std::shared_ptr<Run>& run, std::exception_ptr error) {
    run->over = true;
    if (std::shared_ptr<Gateway::Call> call = std::move(run->call)) call->cancel();
    run->lines.clear();
    run->buffer.clear();
    run_.reset();
    current_.reset();
    if (std::shared_ptr<NotebookModel> model = model_.lock()) {
        setStatus(*model, [&](NotebookModel::TutorStatus& s) {
            s.thinking = false;
            s.reading.reset();
            // A cancelled turn says nothing.
            if (error) s.error = describe(error);
        });
        cleanup(*model);
    }
    if (task_ && taskNumber_ == run->task) task_ = false;
    startWhenDone_ = false;
}

void TutorSession::finish(const std::shared_ptr<Run>& run) {
    run->over = true;
    run_.reset();
    std::shared_ptr<NotebookModel> model = model_.lock();
    if (model) record(*model, *run);
    current_.reset();
    if (model) cleanup(*model);
    if (task_ && taskNumber_ == run->task) task_ = false;
    // A turn asked for while this one was being placed starts now.
    if (startWhenDone_ && task_) {
        startWhenDone_ = false;
        std::weak_ptr<TutorSession> weak = weak_from_this();
        const uint64_t number = taskNumber_;
        services_.scheduler->post([weak, number] {
            std::shared_ptr<TutorSession> self = weak.lock();
            if (self && self->task_ && self->taskNumber_ == number) self->begin();
        });
    }
}

void TutorSession::cleanup(NotebookModel& model) {
    model.scribe->composing(false);
    const int p = model.pageIndex.get();
    const bool waiting = p >= 0 && p < static_cast<int>(model.nb->pages.size()) &&
                         model.scribe->waiting->count(model.nb->pages[p].id) > 0;
    // Writing still waiting on the page in view: the marks go when the writer starts it.
    if (waiting) return;
    setStatus(model, [](NotebookModel::TutorStatus& s) {
        s.thinking = false;
        s.reading.reset();
    });
}

namespace {

void stamp(std::vector<PageItem>& items, int64_t turn) {
    for (PageItem& item : items) {
        if (auto* t = std::get_if<TextItem>(&item.value); t && !t->turn) t->turn = turn;
        if (auto* s = std::get_if<StrokeItem>(&item.value); s && !s->turn) s->turn = turn;
    }
}

bool unstamped(const std::vector<PageItem>& items) {
    return std::any_of(items.begin(), items.end(), [](const PageItem& item) {
        return (item.text() && !item.text()->turn) || (item.stroke() && !item.stroke()->turn);
    });
}

std::string joined(const std::vector<std::string>& entries, std::string_view between) {
    std::string out;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (i) out += between;
        out += entries[i];
    }
    return out;
}

}  // namespace

void TutorSession::record(NotebookModel& m, Run& run) {
    // A tutor that only waited leaves no trace: the writing goes again with the next turn.
    if (run.waited && !run.placedAny) return;
    if (run.insert) m.closeUp(run.placer.page);

    const int64_t turn = run.turn;
    for (int p = 0; p < static_cast<int>(m.nb->pages.size()); ++p)
        if (unstamped(m.nb->pages[p].items)) m.mutate(p, false, [turn](std::vector<PageItem>& items) { stamp(items, turn); });

    Turn record;
    record.at = now();
    record.read = run.read.text;
    record.kind = run.read.kind;
    record.reply = unicode::prefix(joined(run.reply, " · "), 600);
    record.page = run.placer.page;
    m.nb.modify([&](Notebook& n) { n.turns.push_back(record); });

    if (run.answered) {
        const std::string v = run.verdicts.empty() ? "" : run.verdicts.back();
        m.nb.modify([&](Notebook& n) {
            n.verdict = v.empty() ? std::nullopt : std::optional<std::string>(v);
            if (v == "right") n.misses = 0;
        });
        if (v == "wrong" || v == "partly") {
            const int64_t misses = m.nb->misses.value_or(0) + 1;
            // A second miss in a row: the answer is walked through, and the idea comes back later.
            m.nb.modify([&](Notebook& n) { n.misses = misses > 1 ? 0 : misses; });
            if (misses > 1) m.remember(*run.answered);
        }
    } else {
        m.nb.modify([](Notebook& n) { n.verdict.reset(); });
    }
    const Date when = now();
    m.nb.modify([&](Notebook& n) { n.updated = when; });
    m.save(true);
}

}  // namespace nolby
