// The writer's scheduler: which queued operations become strokes, when each starts and how
// long it lasts, and the timer that retires them.
#include "writing/Scribe.h"

#include "writing/ScribeKinds.h"

#include <algorithm>
#include <cmath>

namespace nolby {

namespace {

constexpr double shortest = 0.016;      // seconds: no stroke is shorter
constexpr double soonest = 0.05;        // the first stroke of an idle writer starts this long after now
constexpr double besideDelay = 0.3;     // alongside strokes start after this ...
constexpr double besideStagger = 0.4;   // ... each this much after the one before
constexpr double tickInterval = 0.1;

// A pause that is not a finite number would make a start time that never comes.
double pauseOf(const InkOp& op) { return std::isfinite(op.pause) ? op.pause : 0; }

}  // namespace

double Scribe::pace() const {
    const double s = speed.get();
    return std::isfinite(s) && s > 0 ? s : 1;
}

double Scribe::duration(const InkOp& op) const {
    const double k = scribe::isText(scribe::innermost(op)) ? 1 : strokePace;
    // A paced wrapper has its own pace; other wrappers pass their inner operation's.
    const double q = op.cost() / (basePace * op.pace() * k * pace());
    // A quotient that is not a finite number would be a stroke that never ends.
    return std::isfinite(q) ? std::max(q, shortest) : shortest;
}

void Scribe::pump() {
    if (stages_.empty()) return;
    const double now = clock_->now();
    std::map<Uuid, std::vector<Stroke>> made;
    auto stroke = [](const Job& j, int index, double start, double dur, bool beside) {
        return Stroke{j.id,   j.page, j.item, index, j.ops[size_t(index)], j.sprites[size_t(index)], j.blooms[size_t(index)],
                      start, dur,    beside};
    };

    // Alongside work goes out at once, staggered, whatever the sequential writing does.
    int k = 0;
    for (const Live& live : stages_) {
        if (live.stage.expired()) continue;
        for (Job& j : jobs_) {
            if (j.page != live.page || !j.alongside) continue;
            while (j.next < j.count() && j.drawnPic[size_t(j.next)]) {
                made[j.page].push_back(stroke(j, j.next, now + besideDelay + besideStagger * k,
                                              duration(*j.ops[size_t(j.next)]), true));
                ++j.next;
                ++k;
            }
        }
    }

    // The focus page: the first stage (by order) whose page is being written or has
    // sequential work left.
    std::optional<Uuid> focus;
    for (const Live& live : stages_) {
        if (live.stage.expired()) continue;
        bool writing = std::any_of(timeline_.begin(), timeline_.end(),
                                   [&](const Stroke& s) { return s.page == live.page && !s.beside; });
        bool queued = std::any_of(jobs_.begin(), jobs_.end(), [&](const Job& j) {
            return j.page == live.page && !j.alongside && j.next < j.count();
        });
        if (writing || queued) {
            focus = live.page;
            break;
        }
    }

    bool sequential = false;
    double t = std::max(cursor_, now + soonest);
    if (focus) {
        bool gated = false;
        if (streaming_ && !begun_.count(*focus) && !complete.count(*focus)) {
            // While a reply streams, a fresh page waits until `lead` seconds of its writing
            // are queued, so the writing does not stall halfway for the next block.
            double total = 0;
            for (const Job& j : jobs_)
                if (j.page == *focus)
                    for (int i = j.next; i < j.count(); ++i)
                        total += duration(*j.ops[size_t(i)]) + pauseOf(*j.ops[size_t(i)]);
            gated = !(lead <= total);
        }
        // One operation after another, in job order; an operation whose pre-render has not
        // returned holds back the rest of the page, so the order of writing holds.
        for (Job& j : jobs_) {
            if (gated) break;
            if (j.page != *focus || j.alongside) continue;
            bool held = false;
            while (j.next < j.count()) {
                if (!j.drawnPic[size_t(j.next)]) {
                    held = true;
                    break;
                }
                const InkOp& op = *j.ops[size_t(j.next)];
                const double start = t + pauseOf(op) / pace();
                const double dur = duration(op);
                made[j.page].push_back(stroke(j, j.next, start, dur, false));
                ++j.next;
                t = start + dur;
                sequential = true;
            }
            if (held) break;
        }
    }

    if (made.empty()) return;
    if (sequential) {
        begun_.insert(*focus);
        cursor_ = t;
    }
    // Each page's strokes go to its stage once, stages in their order; then into the timeline.
    std::set<Uuid> told;
    for (const Live& live : std::vector<Live>(stages_)) {
        auto it = made.find(live.page);
        if (it == made.end() || told.count(live.page)) continue;
        if (auto s = live.stage.lock()) {
            told.insert(live.page);
            s->add(it->second);
            s->advance(clock_->now());
        }
    }
    for (auto& [page, strokes] : made)
        timeline_.insert(timeline_.end(), std::make_move_iterator(strokes.begin()), std::make_move_iterator(strokes.end()));
    std::stable_sort(timeline_.begin(), timeline_.end(), [](const Stroke& a, const Stroke& b) { return a.end() < b.end(); });
    if (!busy.get()) {
        busy.set(true);
        if (auto f = started) f();
    }
    startTimer();
}

void Scribe::startTimer() {
    if (timer_.active()) return;
    std::weak_ptr<Scribe> weak = weak_from_this();
    timer_ = scheduler_->every(tickInterval, [weak] {
        if (auto self = weak.lock()) self->tick();
    });
}

void Scribe::stopTimer() {
    timer_.cancel();
    timer_ = Timer();
}

void Scribe::tick() {
    const double now = clock_->now();
    for (const Live& live : std::vector<Live>(stages_))
        if (auto s = live.stage.lock()) s->advance(now);
    // Retire: an operation counts as written once its stroke has ended.
    auto done = std::find_if(timeline_.begin(), timeline_.end(), [&](const Stroke& s) { return !(s.end() <= now); });
    std::vector<Stroke> retired(timeline_.begin(), done);
    timeline_.erase(timeline_.begin(), done);
    for (const Stroke& s : retired)
        if (Job* j = job(s.job)) j->ended = std::max(j->ended, s.index + 1);
    settle();
    // New sequential strokes follow the cursor; while some still run, nothing is scheduled.
    if (std::any_of(timeline_.begin(), timeline_.end(), [](const Stroke& s) { return !s.beside; })) return;
    pump();
    if (timeline_.empty()) {
        busy.set(false);
        stopTimer();
    }
}

void Scribe::lifted() {
    cursor_ = 0;
    for (const Stroke& s : timeline_)
        if (!s.beside) cursor_ = std::max(cursor_, s.end());
    if (timeline_.empty()) {
        busy.set(false);
        stopTimer();
    }
}

}  // namespace nolby
