#pragma once
// Stand-in for the notebook's writer until the real one joins the build: the members of the
// writer that the notebook model reads and calls, with the same names and meanings, and no
// writing at all (no strokes, no timer, no stages). Jobs only wait until their page is
// finished or everything is flushed. The model refers to its writer as `Scribe` through the
// alias in NotebookModel.h, so the real writer replaces this file by changing that alias.

#include "ink/ops/InkOp.h"
#include "platform/Clock.h"
#include "platform/Scheduler.h"
#include "platform/Uuid.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace nolby {

class WriterSeam {
public:
    struct Job {
        int id = 0;
        Uuid page;
        Uuid item;
        std::vector<InkOpRef> ops;
        int next = 0;
        int ended = 0;  // leading operations written
    };

    WriterSeam(std::shared_ptr<const Clock>, std::shared_ptr<Scheduler>) {}

    std::function<void()> started;
    std::function<void(const Uuid&)> finished;
    bool spread = false;
    double pixels = 3;
    const std::vector<Job>& jobs() const { return jobs_; }

    // Queues an item's operations from `from` on; nothing to write finishes it at once.
    void enqueue(const Uuid& page, const Uuid& item, std::vector<InkOpRef> ops, int from, bool alongside) {
        from = std::max(from, 0);
        if (from >= static_cast<int>(ops.size())) {
            if (finished) finished(item);
            return;
        }
        jobs_.push_back({++jobCount_, page, item, std::move(ops), from, from});
    }

    // Leading operations of the item already written; none when it has no job.
    std::optional<int> drawn(const Uuid& item) const {
        std::optional<int> least;
        for (const Job& j : jobs_)
            if (j.item == item) least = least ? std::min(*least, j.ended) : j.ended;
        return least;
    }

    // Ends the page's jobs as written and reports their items.
    void finishPage(const Uuid& page) {
        std::vector<Uuid> items;
        for (const Job& j : jobs_)
            if (j.page == page) items.push_back(j.item);
        std::erase_if(jobs_, [&](const Job& j) { return j.page == page; });
        for (const Uuid& item : items)
            if (finished) finished(item);
    }

    void flush() {
        std::vector<Job> ended = std::move(jobs_);
        jobs_.clear();
        for (const Job& j : ended)
            if (finished) finished(j.item);
    }

private:
    std::vector<Job> jobs_;
    int jobCount_ = 0;
};

}  // namespace nolby
