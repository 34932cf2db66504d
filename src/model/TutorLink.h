#pragma once
// The notebook's tutor as the notebook model sees it. The tutor lives above the model (it
// reads and writes the model), so the model only knows this interface; the tutor's session
// implements it and the app hands the model a maker for it. Until then, and in tests, the
// stand-in below takes its place.

#include <memory>
#include <optional>

namespace nolby {

// Where the next block of a running reply goes: its page and its top on that page.
struct Placer {
    int page = 0;
    double y = 0;
    bool operator==(const Placer&) const = default;
};

// The state of a running turn that page flow reaches into: page flow and the open gap move
// the placer along with the content they move. The tutor's own turn state derives from it.
class TurnState {
public:
    virtual ~TurnState() = default;
    Placer placer;
};

class TutorLink {
public:
    virtual ~TutorLink() = default;

    // Starts one turn unless one runs; returns at once.
    virtual void ask() = 0;
    // Stops the running turn, if any, silently; the thinking mark goes.
    virtual void cancel() = 0;
    // The model has inserted a page at this index: unless a block is being placed or no
    // turn runs, every page index of the turn at or after it moves up by one.
    virtual void pageInserted(int at) = 0;
    // Whether a turn's task is running (from ask() until the turn ends or is cancelled).
    virtual bool task() const = 0;
    // The running turn; null when none runs.
    virtual std::shared_ptr<TurnState> current() const = 0;
    // True only while the running turn places one block.
    virtual bool placing() const = 0;
    // The page the running turn writes its reply on (0 before any turn).
    virtual int composingPage() const = 0;
};

// A tutor that never talks to anyone: asking counts, and tests stage a running turn by
// setting its fields. Its renumbering on page insertion is the tutor's own rule.
class StandInTutor : public TutorLink {
public:
    void ask() override { ++asks; }
    void cancel() override {
        ++cancels;
        running = false;
        turn.reset();
    }
    void pageInserted(int at) override {
        if (placingNow || !turn) return;
        if (turn->placer.page >= at) ++turn->placer.page;
        if (composing >= at) ++composing;
        if (anchorPage && *anchorPage >= at) ++*anchorPage;
    }
    bool task() const override { return running; }
    std::shared_ptr<TurnState> current() const override { return turn; }
    bool placing() const override { return placingNow; }
    int composingPage() const override { return composing; }

    int asks = 0, cancels = 0;
    bool running = false;
    std::shared_ptr<TurnState> turn;
    bool placingNow = false;
    int composing = 0;
    std::optional<int> anchorPage;  // the page of the question the reply answers
};

}  // namespace nolby
