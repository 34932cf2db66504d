// The writer's stages: registering the stages that show pages, what becomes of writing in
// progress when one goes, writing the rest of a page at once, and stopping everything.
#include "writing/Scribe.h"

#include <algorithm>

namespace nolby {

std::shared_ptr<Scribe::Stage> Scribe::stage(const Uuid& page) const {
    for (const Live& live : stages_)
        if (live.page == page)
            if (auto s = live.stage.lock()) return s;
    return nullptr;
}

void Scribe::attach(const std::shared_ptr<Stage>& stage, const Uuid& page, int order) {
    // Without spread one stage writes at a time; with it, one stage per page.
    for (const Live& live : std::vector<Live>(stages_)) {
        auto view = live.stage.lock();
        if (view != stage && (!spread || live.page == page))
            if (view) detach(*view);
    }
    std::erase_if(stages_, [&](const Live& live) {
        auto view = live.stage.lock();
        return !view || view == stage;
    });
    stages_.push_back({page, order, stage});
    std::stable_sort(stages_.begin(), stages_.end(), [](const Live& a, const Live& b) { return a.order < b.order; });
    pump();
}

void Scribe::detach(const Stage& stage) {
    auto entry = std::find_if(stages_.begin(), stages_.end(),
                              [&](const Live& live) { return live.stage.lock().get() == &stage; });
    if (entry == stages_.end()) return;
    const Uuid page = entry->page;
    stages_.erase(entry);
    // A stroke that has begun counts as written; everything after it is scheduled again
    // when a stage shows the page.
    const double now = clock_->now();
    for (const Stroke& s : timeline_)
        if (s.page == page && s.start <= now)
            if (Job* j = job(s.job)) j->ended = std::max(j->ended, s.index + 1);
    for (Job& j : jobs_)
        if (j.page == page) j.next = j.ended;
    std::erase_if(timeline_, [&](const Stroke& s) { return s.page == page; });
    lifted();
    settle();
    bump();
}

void Scribe::finishPage(const Uuid& page) {
    if (auto s = stage(page)) {
        const double now = clock_->now();
        std::vector<Stroke> rest;
        for (const Job& j : jobs_)
            if (j.page == page)
                for (int i = j.next; i < j.count(); ++i)
                    rest.push_back({j.id, j.page, j.item, i, j.ops[size_t(i)], j.sprites[size_t(i)], nullptr, now, 0, false});
        s->finishAll(rest);
        std::erase_if(timeline_, [&](const Stroke& st) { return st.page == page; });
        lifted();
    }
    std::vector<Uuid> items;
    std::erase_if(jobs_, [&](const Job& j) {
        if (j.page != page) return false;
        items.push_back(j.item);
        return true;
    });
    waiting.modify([&](std::set<Uuid>& pages) { pages.erase(page); });
    bump();
    for (const Uuid& item : items) {
        report(item);
        runAfter(item);
    }
}

void Scribe::flush() {
    for (const Live& live : std::vector<Live>(stages_))
        if (!live.stage.expired()) finishPage(live.page);
    std::vector<Uuid> items;
    for (const Job& j : jobs_) items.push_back(j.item);
    jobs_.clear();
    timeline_.clear();
    cursor_ = 0;
    waiting.modify([](std::set<Uuid>& pages) { pages.clear(); });
    complete.clear();
    begun_.clear();
    busy.set(false);
    stopTimer();
    bump();
    for (const Uuid& item : items) report(item);
    // Waiting items are dropped without being written.
    after_.clear();
}

}  // namespace nolby
