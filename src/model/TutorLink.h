#pragma once
// The notebook's tutor as the notebook model sees it. The tutor lives above the model (it
// reads and writes the model), so the model only knows this interface; the tutor's session
// implements it and the app hands the model a maker for it. Until then, and in tests, the
// stand-in below takes its place.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace nolby {

class NotebookModel;

// Where the next block of a running reply goes: its page and its top on that page, and
// whether it goes exactly there with the page's later content pushed down (insert mode).
// The placing itself is the tutor's: the operations below are defined in tutor/Placer.cpp.
struct Placer {
    int page = 0;
    double y = 0;
    bool inserting = false;

    // Where a placement put a block: its page and top, and the page it moved away from when
    // it had to move on (the first one only).
    struct Spot {
        int page = 0;
        double y = 0;
        std::optional<int> left;
        bool operator==(const Spot&) const = default;
    };

    // The placer of a turn answering writing on `page` that ends at `after` (none: the turn
    // has no new writing); `insert` asks to answer just below it, pushing later content down.
    static Placer make(NotebookModel& model, int page, std::optional<double> after, bool insert);
    // Reserves room for a block of `height` points; a keep-with-next block also wants room
    // for what follows it.
    Spot place(NotebookModel& model, double height, bool keepWithNext);

    // The page's ink spans (top − 6, bottom + 6), by top.
    static std::vector<std::pair<double, double>> spans(NotebookModel& model, int page);
    // The free height below `from` on the page, up to the next ink or the bottom line.
    static double freeRun(NotebookModel& model, int page, double from);

    bool operator==(const Placer&) const = default;

private:
    void advance(NotebookModel& model);
};

// The state of a running turn: page flow and the open gap move its placer along with the
// content they move; the reply side fills in the rest as lines arrive.
class TurnState {
public:
    virtual ~TurnState() = default;
    Placer placer;
    int64_t turn = 0;  // the turn's number: the index its record takes in the notebook's turns
    // How the tutor read the learner's writing.
    struct Read {
        std::string text, kind;
        bool operator==(const Read&) const = default;
    } read;
    std::vector<std::string> reply;  // what the tutor wrote, one entry per block or note
    bool waited = false;             // the tutor asked to wait
    bool placedAny = false;          // a block or mark was placed
    std::vector<std::string> verdicts;  // the marks' verdicts, in arrival order
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
