// One block of a reply: laid out in a background job, shrunk when a figure or sketch almost
// fits, placed by the turn's placer, stored on its page with its ink primed, and handed to
// the writer after a breath; the page-turn mark and the link back to the question on the way.
#include "tutor/TutorSession.h"

#include "ink/Ink.h"
#include "platform/Clock.h"
#include "platform/NumberText.h"
#include "platform/Perf.h"
#include "tutor/TutorSessionRun.h"

#include <algorithm>

namespace nolby {

namespace {

double steadyNow() { return SteadyClock::shared()->now(); }

// A figure or sketch is shrunk to fit only when at least this share of it fits.
constexpr double kShrinkable = 0.74;

}  // namespace

double TutorSession::breath(const std::optional<std::string>& after, const std::string& before) {
    if (!after) return 0;
    const std::string& a = *after;
    double pause = 0.5;
    if (a == "fig" || a == "sketch" || a == "math" || a == "code") pause = 0.9;
    else if (a == "h") pause = 0.35;
    else if (a == "note" || a == "quote") pause = 0.6;
    if (before == "ask" || before == "aside") pause += 0.45;
    return pause;
}

void TutorSession::layOff(const std::shared_ptr<Run>& run, J o, uint64_t seed, std::function<void(Laid)> done) {
    std::shared_ptr<NotebookModel> model = model_.lock();
    if (!model) return;
    const Blocks blocks{model->geo(), model->accent()};
    std::weak_ptr<Scheduler> scheduler = services_.scheduler;
    services_.scheduler->background([blocks, o = std::move(o), seed, scheduler, done = std::move(done)]() mutable {
        Laid laid;
        Perf::timed(steadyNow, [&] { return "lay " + o.str("t", ""); }, [&] { laid = blocks.lay(o, seed); });
        if (std::shared_ptr<Scheduler> s = scheduler.lock())
            s->post([done = std::move(done), laid = std::move(laid)]() mutable { done(std::move(laid)); });
    });
}

void TutorSession::place(const std::shared_ptr<Run>& run, J o) {
    const uint64_t s = seed();
    std::weak_ptr<TutorSession> weak = weak_from_this();
    std::weak_ptr<Run> turn = run;
    layOff(run, o, s, [weak, turn, o, s](Laid laid) {
        std::shared_ptr<TutorSession> self = weak.lock();
        std::shared_ptr<Run> run = turn.lock();
        // A turn that is over (cancelled, failed) drops the block.
        if (!self || !run || !self->live(run)) return;
        std::shared_ptr<NotebookModel> model = self->model_.lock();
        if (!model) return;
        const std::string kind = o.str("t", "");
        if (kind == "fig" || kind == "sketch") {
            const double free = Placer::freeRun(*model, run->placer.page, run->placer.y);
            if (laid.height > free && free >= kShrinkable * laid.height) {
                nlohmann::json shrunk = o.d();
                shrunk["_scale"] = (free - 4) / laid.height;
                J small(std::move(shrunk));
                self->layOff(run, small, s, [weak, turn, o, small, s, laid, free](Laid smaller) {
                    std::shared_ptr<TutorSession> self = weak.lock();
                    std::shared_ptr<Run> run = turn.lock();
                    if (!self || !run || !self->live(run)) return;
                    // A shrunk layout that still does not fit is no better than the original.
                    if (smaller.height <= free) self->placed(run, small, smaller, s);
                    else self->placed(run, o, laid, s);
                });
                return;
            }
        }
        self->placed(run, o, laid, s);
    });
}

void TutorSession::placed(const std::shared_ptr<Run>& run, const J& o, const Laid& laid, uint64_t seed) {
    if (std::shared_ptr<NotebookModel> model = model_.lock())
        Perf::timed(steadyNow, [&] { return "put " + o.str("t", ""); }, [&] { put(*model, o, laid, seed, *run); });
    run->placedAny = true;
    transcript(o, *run);
    run->busy = false;
    pump(run);
}

void TutorSession::write(NotebookModel& m, int page, const BlockItem& item, double pause) {
    std::vector<InkOpRef> ops = m.entry(PageItem(item)).ops;
    if (pause > 0 && !ops.empty()) ops.front()->pause = std::max(ops.front()->pause, pause);
    m.scribe->enqueue(m.nb->pages[page].id, item.id, std::move(ops), 0, false);
}

void TutorSession::put(NotebookModel& m, const J& o, const Laid& laid, uint64_t seed, Run& run) {
    const std::string kind = o.str("t", "");
    const std::string text = o.str("text", "");
    const bool keepWithNext = kind == "h" || (!text.empty() && text.back() == ':');

    placing_ = true;
    const Placer::Spot spot = run.placer.place(m, laid.height, keepWithNext);
    placing_ = false;
    composingPage_ = spot.page;

    // Pages turned rather than scrolled: the page the reply leaves says so at its foot.
    if (spot.left && !m.scroll.get()) {
        BlockItem pto;
        pto.json = R"({"t":"pto"})";
        pto.y = m.nb->pageH - m.bottomMargin() + 10;
        pto.h = 18;
        pto.seed = seed + 1;
        pto.turn = run.turn;
        pto.created = now();
        m.mutate(*spot.left, false, [&](std::vector<PageItem>& items) { items.push_back(pto); });
        write(m, *spot.left, pto);
        m.scribe->complete.insert(m.nb->pages[*spot.left].id);
        m.scribe->pump();
    }

    BlockItem block;
    block.json = o.line();
    block.y = spot.y;
    block.h = laid.height;
    block.seed = seed;
    block.turn = run.turn;
    block.created = now();
    m.cache->prime(PageItem(block), laid.shifted(0, spot.y).ops, m.geo());

    link(m, spot.page, spot.y, seed, run);
    m.mutate(spot.page, false, [&](std::vector<PageItem>& items) { items.push_back(block); });
    write(m, spot.page, block, breath(lastType_, kind));
    lastType_ = kind;

    if (kind == "sketch") {
        const double width = m.nb->pageW - 48;
        const double h = std::clamp(o.num("h", 46), 20.0, 90.0);
        paint(o, block, spot.page, width, h * width / 100);
    }
}

void TutorSession::link(NotebookModel& m, int page, double y, uint64_t seed, Run& run) {
    if (pointed_ || !anchor_) return;
    pointed_ = true;
    const auto [ap, r] = *anchor_;
    if (ap < 0 || ap >= static_cast<int>(m.nb->pages.size())) return;
    const double pageW = m.nb->pageW;
    nlohmann::json link = {{"t", "link"}};
    if (ap == page) {
        // Far below the question on its own page: a line from the question to the reply.
        if (!(y - r.maxY() > 70)) return;
        link["from"] = {std::min(r.maxX() + 8, pageW - 28), r.midY()};
        link["to"] = {18, y + 8};
    } else {
        if (m.scroll.get()) return;
        link["text"] = page == ap + 1 ? std::string("overleaf →") : "see p. " + std::to_string(page + 1) + " →";
        if (pageW - 12 - r.maxX() > 90) link["from"] = {r.maxX() + 10, r.midY()};
        else link["from"] = {std::max(r.minX(), 24.0), r.maxY() + 18};
    }
    BlockItem item;
    item.json = J(std::move(link)).line();
    item.seed = seed + 3;
    item.turn = run.turn;
    item.created = now();
    m.mutate(ap, false, [&](std::vector<PageItem>& items) { items.push_back(item); });
    write(m, ap, item);
}

}  // namespace nolby
