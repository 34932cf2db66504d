#pragma once
// A writer on a manual clock and scheduler, a stage that records what the writer tells it,
// and operations of chosen cost and kind.

#include "ink/ops/PhraseOp.h"
#include "writing/Scribe.h"

#include <memory>
#include <vector>

namespace nolby::testing {

// Work of the kind that is not text: a filled box of the given cost.
class Work final : public InkOp {
public:
    explicit Work(double cost, Rect area = {0, 0, 10, 10}) : cost_(cost), area_(area) {}
    double cost() const override { return cost_; }
    Rect bounds() const override { return area_; }
    void draw(cairo_t* cr, double t) const override {
        if (!(t > 0)) return;
        cairo_rectangle(cr, area_.x, area_.y, area_.w, area_.h);
        cairo_fill(cr);
    }

private:
    double cost_;
    Rect area_;
};

inline InkOpRef work(double cost, double pause = 0) {
    auto op = std::make_shared<Work>(cost);
    op->pause = pause;
    return op;
}

// Handwriting of the given cost: a phrase without runs costs a quarter of its size.
inline InkOpRef text(double cost, double pause = 0) {
    auto op = std::make_shared<PhraseOp>(std::vector<PhraseOp::Run>{}, cost * 4);
    op->pause = pause;
    return op;
}

struct RecordingStage final : Scribe::Stage {
    std::vector<Uuid> takenItems;
    std::vector<Scribe::Stroke> added;
    std::vector<double> advances;
    std::vector<std::vector<Scribe::Stroke>> finishes;

    void taken(const Uuid& item) override { takenItems.push_back(item); }
    void add(const std::vector<Scribe::Stroke>& strokes) override { added.insert(added.end(), strokes.begin(), strokes.end()); }
    void advance(double now) override { advances.push_back(now); }
    void finishAll(const std::vector<Scribe::Stroke>& strokes) override { finishes.push_back(strokes); }
};

struct Desk {
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>(100);
    std::shared_ptr<ManualScheduler> sched = std::make_shared<ManualScheduler>(clock);
    std::shared_ptr<Scribe> scribe = std::make_shared<Scribe>(clock, sched);
    std::vector<Uuid> finished;
    int started = 0;

    Desk() {
        scribe->finished = [this](const Uuid& item) { finished.push_back(item); };
        scribe->started = [this] { ++started; };
    }

    [[nodiscard]] std::shared_ptr<RecordingStage> attach(const Uuid& page, int order = 0) {
        auto stage = std::make_shared<RecordingStage>();
        scribe->attach(stage, page, order);
        return stage;
    }
    // Lets every pre-render return.
    void prerender() { sched->drain(); }
    // Moves time on, firing the writer's timer on the way.
    void wait(double seconds) { sched->advance(seconds); }
};

}  // namespace nolby::testing
