// The writer's jobs: queueing, the background pre-render, and the end of finished jobs.
#include "writing/Scribe.h"

#include "writing/ScribeKinds.h"

#include <algorithm>

namespace nolby {

Scribe::Scribe(std::shared_ptr<const Clock> clock, std::shared_ptr<Scheduler> scheduler)
    : clock_(std::move(clock)), scheduler_(std::move(scheduler)) {}

Scribe::~Scribe() { timer_.cancel(); }

Scribe::Job* Scribe::job(int id) {
    for (Job& j : jobs_)
        if (j.id == id) return &j;
    return nullptr;
}

bool Scribe::hasJob(const Uuid& item) const {
    return std::any_of(jobs_.begin(), jobs_.end(), [&](const Job& j) { return j.item == item; });
}

void Scribe::report(const Uuid& item) {
    // A copy: the callback may replace itself.
    if (auto f = finished) f(item);
}

void Scribe::runAfter(const Uuid& item) {
    auto it = after_.find(item);
    if (it == after_.end()) return;
    auto actions = std::move(it->second);
    after_.erase(it);
    for (auto& action : actions) action();
}

void Scribe::enqueue(const Uuid& page, const Uuid& item, std::vector<InkOpRef> ops, int from, bool alongside) {
    if (hasJob(item)) {
        // One job per item: this one becomes a job when the running one ends.
        std::weak_ptr<Scribe> weak = weak_from_this();
        whenWritten(item, [weak, page, item, ops = std::move(ops), from, alongside] {
            if (auto self = weak.lock()) self->enqueue(page, item, ops, from, alongside);
        });
        return;
    }
    from = std::max(from, 0);
    const int count = int(ops.size());
    if (from >= count) {
        report(item);
        return;
    }
    Job j;
    j.id = ++jobCount_;
    j.page = page;
    j.item = item;
    j.next = j.ended = from;
    j.sprites.resize(size_t(count));
    j.blooms.resize(size_t(count));
    j.drawnPic.assign(size_t(count), false);
    std::fill(j.drawnPic.begin(), j.drawnPic.begin() + from, true);
    j.alongside = alongside;
    std::vector<InkOpRef> rest(ops.begin() + from, ops.end());
    j.ops = std::move(ops);
    const int id = j.id;
    jobs_.push_back(std::move(j));
    waiting.modify([&](std::set<Uuid>& pages) { pages.insert(page); });
    bump();
    if (auto s = stage(page)) s->taken(item);
    draw(id, std::move(rest), from);
}

void Scribe::draw(int jobId, std::vector<InkOpRef> ops, int at) {
    std::weak_ptr<Scribe> weak = weak_from_this();
    std::weak_ptr<Scheduler> sched = scheduler_;
    const double scale = pixels;
    scheduler_->background([weak, sched, jobId, ops = std::move(ops), at, scale] {
        std::vector<std::optional<InkRaster::Raster>> sprites(ops.size());
        std::vector<std::shared_ptr<const Bloom>> blooms(ops.size());
        // A painting blooms the same way every time its job has this id.
        const uint64_t seed = uint64_t(int64_t(jobId)) * 7919u;
        for (size_t i = 0; i < ops.size(); ++i) {
            const InkOp& base = scribe::innermost(*ops[i]);
            // Paths are animated by the stage itself; everything else is revealed as a bitmap
            // of the whole operation, its wrappers included.
            if (scribe::isPath(base)) continue;
            sprites[i] = InkRaster::render({ops[i]}, scale);
            if (sprites[i] && scribe::isImage(base))
                if (auto b = Bloom::make(*sprites[i]->image, seed)) blooms[i] = std::make_shared<const Bloom>(std::move(*b));
        }
        if (auto s = sched.lock())
            s->post([weak, jobId, at, sprites = std::move(sprites), blooms = std::move(blooms)]() mutable {
                if (auto self = weak.lock()) self->pictured(jobId, at, std::move(sprites), std::move(blooms));
            });
    });
}

void Scribe::pictured(int jobId, int at, std::vector<std::optional<InkRaster::Raster>> sprites,
                      std::vector<std::shared_ptr<const Bloom>> blooms) {
    Job* j = job(jobId);
    if (!j) return;  // ended or dropped meanwhile
    for (size_t i = 0; i < sprites.size(); ++i) {
        const int p = at + int(i);
        if (p < 0 || p >= j->count()) continue;
        j->sprites[size_t(p)] = std::move(sprites[i]);
        j->blooms[size_t(p)] = std::move(blooms[i]);
        j->drawnPic[size_t(p)] = true;
    }
    pump();
}

void Scribe::whenWritten(const Uuid& item, std::function<void()> action) {
    if (hasJob(item)) after_[item].push_back(std::move(action));
    else action();
}

std::optional<int> Scribe::drawn(const Uuid& item) const {
    std::optional<int> least;
    for (const Job& j : jobs_)
        if (j.item == item && (!least || j.ended < *least)) least = j.ended;
    return least;
}

void Scribe::settle() {
    std::vector<Uuid> ended;
    std::erase_if(jobs_, [&](const Job& j) {
        if (!j.finished()) return false;
        ended.push_back(j.item);
        return true;
    });
    if (ended.empty()) return;
    std::set<Uuid> pages;
    for (const Job& j : jobs_) pages.insert(j.page);
    waiting.set(std::move(pages));
    bump();
    for (const Uuid& item : ended) {
        report(item);
        runAfter(item);
    }
}

void Scribe::composing(bool flag) {
    streaming_ = flag;
    if (flag) {
        // A page with no work left starts the next reply as neither begun nor complete.
        std::set<Uuid> pages;
        for (const Job& j : jobs_) pages.insert(j.page);
        std::erase_if(complete, [&](const Uuid& p) { return !pages.count(p); });
        std::erase_if(begun_, [&](const Uuid& p) { return !pages.count(p); });
    } else {
        for (const Job& j : jobs_) complete.insert(j.page);
    }
    pump();
}

}  // namespace nolby
