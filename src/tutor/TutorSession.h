#pragma once
// The tutor turn engine of one open notebook. A turn gathers the learner's writing that the
// tutor has not seen, tells the tutor where its answer will be written, sends the page as a
// picture with a context text, reads the streamed reply line by line (control messages
// applied at once, blocks laid out in the background, placed and handed to the writer in
// stream order), and once the reply is complete records the turn with the verdict on any
// question the learner answered.
//
// One class, its implementation split by concern:
//   TutorSession.cpp          asking, cancelling, the turn's start, its end and recording
//   TutorSessionPrompts.cpp   the system texts from the prompt files
//   TutorSessionContext.cpp   the context text and the pictures of a request
//   TutorSessionLines.cpp     reply lines: the splitter, the consumer, control messages
//   TutorSessionPlace.cpp     block layout in the background, placement and writing
//   TutorSessionPaint.cpp     paintings for sketch blocks
//
// Main thread only. The session holds its model weakly (the model owns the session), and
// everything it hands to the scheduler or the network holds the session weakly and the turn
// it belongs to: a late result of a turn that is over touches nothing, least of all a newer
// turn. One turn runs at a time.

#include "library/Library.h"
#include "model/NotebookModel.h"
#include "model/TutorLink.h"
#include "platform/Date.h"
#include "platform/Defaults.h"
#include "platform/Scheduler.h"
#include "press/Press.h"
#include "tutor/Claude.h"
#include "tutor/Gateway.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace nolby {

class TutorSession final : public TutorLink, public std::enable_shared_from_this<TutorSession> {
public:
    // One streamed reply: Claude through the gateway, unless a test or a fuzz target scripts
    // the stream. The handlers are called on the main thread; cancelling the returned call
    // silences them.
    using Stream = std::function<std::shared_ptr<Gateway::Call>(const Claude::Request& request, Claude::Handlers handlers)>;

    struct Services {
        // Sketch files, parents of deep dives, and whether a notebook is still kept at all.
        std::shared_ptr<Library> library;
        // Block layouts run in its background jobs; media time for the reading sweep.
        std::shared_ptr<Scheduler> scheduler;
        // Tutor and painting requests go to it unless `stream` and `paint` are given.
        std::shared_ptr<Gateway> gateway;
        // "learner-about" and the month's spend; none: neither is kept.
        std::shared_ptr<Defaults> defaults;
        // Asked for a cover when a plan arrives; none: nobody is asked.
        std::shared_ptr<Press> press;
        // The wall clock (turn records, time away, the time of day); none: the system's.
        std::function<Date()> now;
        // The launch argument "-warmup": a warm-up is asked for whatever the time away.
        bool warmup = false;
        Stream stream;
        Press::Paint paint;
        // Whether a request carries the pictures of the page and of the new pen strokes. Only a
        // scripted stream, which reads no request, does without them: they are the costliest
        // part of a turn's start.
        bool pictures = true;
    };

    // What a notebook model is made with: a session for it on these services.
    static NotebookModel::TutorMaker maker(Services services);
    // Everything a notebook model is made with when its tutor is a session on these
    // services: their library and scheduler, the scheduler's clock, and `haptics`.
    static NotebookModel::Services modelServices(Services services, std::shared_ptr<Haptics> haptics = nullptr);

    TutorSession(std::weak_ptr<NotebookModel> model, Services services);
    ~TutorSession() override;
    TutorSession(const TutorSession&) = delete;
    TutorSession& operator=(const TutorSession&) = delete;

    // ---- The model's tutor ----

    // Starts a turn soon (through the scheduler) unless one is running; clears the last error.
    void ask() override;
    // Stops the running turn: at once while its reply is still coming (nothing is recorded,
    // nothing shown); a reply already received in full is still placed and recorded, and a
    // turn asked for meanwhile starts after it.
    void cancel() override;
    void pageInserted(int at) override;
    bool task() const override { return task_; }
    std::shared_ptr<TurnState> current() const override;
    bool placing() const override { return placing_; }
    int composingPage() const override { return composingPage_; }

    // The learner's new writing that the running reply answers: its page and ink.
    struct Anchor {
        int page = 0;
        Rect rect;
        bool operator==(const Anchor&) const = default;
    };
    const std::optional<Anchor>& anchor() const { return anchor_; }
    // Paintings asked for and not yet landed or given up.
    int paintings() const { return static_cast<int>(painting_.size()); }

    // ---- The system texts (TutorSessionPrompts.cpp) ----

    // The system text for ordinary pages and for wide ones (560 points and more).
    struct Prompts {
        std::string system, wideSystem;
        bool operator==(const Prompts&) const = default;
    };
    static constexpr const char* fallbackSystem = "You are a patient tutor.";
    static constexpr double widePage = 560;
    // The texts from the prompt files "tutor.md" and "page-wide.md" of a resource folder
    // (in its "Prompts" folder, else at its top).
    static Prompts prompts(const std::filesystem::path& resources);
    // From the program's resources, read once per process.
    static const std::string& system();
    static const std::string& wideSystem();

    // ---- The request (TutorSessionContext.cpp) ----

    // The new-item table: "u1", "u2", ... for the learner's new items, in notebook order.
    using Ids = std::map<std::string, Notebook::Unread>;
    // The user message's content blocks: the context text, "page:", the page picture, and
    // "new:" with the picture of the new pen strokes when there are any.
    nlohmann::json context(const std::vector<Notebook::Unread>& fresh, const Ids& ids, int page, bool firstTurn,
                           double room, bool inside);
    // The context text alone.
    std::string contextText(const std::vector<Notebook::Unread>& fresh, const Ids& ids, int page, bool firstTurn,
                            double room, bool inside);
    // "Tuesday 3 PM": the weekday and the hour in the user's locale and time zone.
    static std::string timeOfDay(Date date);
    // The question a piece of learner writing answers: the text of an "ask" block on the page
    // whose answer room, grown 6 points up and down, meets the rectangle.
    std::optional<std::string> question(Rect answeredBy, int page);

    // ---- Writing (TutorSessionPlace.cpp) ----

    // Seconds the writer waits before a block, by the kinds of the block before it (none:
    // the first of the turn) and of the block.
    static double breath(const std::optional<std::string>& after, const std::string& before);

    // The state of one turn (the turn state the model sees, and what the driver and the reply
    // side keep while it runs); defined in TutorSessionRun.h.
    struct Run;

private:

    // Turn start and end.
    void begin();
    void run();
    void finish(const std::shared_ptr<Run>& run);
    void record(NotebookModel& model, Run& run);
    void unwind(const std::shared_ptr<Run>& run, std::exception_ptr error);
    void cleanup(NotebookModel& model);
    void setStatus(NotebookModel& model, const std::function<void(NotebookModel::TutorStatus&)>& change);
    // The turn is the one being driven and is not over.
    bool live(const std::shared_ptr<Run>& run) const;
    std::shared_ptr<Gateway::Call> startStream(const Claude::Request& request, Claude::Handlers handlers);

    // Reply lines.
    void text(const std::shared_ptr<Run>& run, std::string_view delta);
    void ended(const std::shared_ptr<Run>& run, std::exception_ptr error);
    void pump(const std::shared_ptr<Run>& run);
    void handle(const J& o, Run& run);
    void plan(NotebookModel& model, const J& o, const Run& run);
    void cover(NotebookModel& model, const J& o);
    void learner(NotebookModel& model, const J& o);
    void mark(NotebookModel& model, const J& o, Run& run);
    void transcript(const J& o, Run& run);

    // Blocks.
    void place(const std::shared_ptr<Run>& run, J o);
    void placed(const std::shared_ptr<Run>& run, const J& o, const Laid& laid, uint64_t seed);
    void layOff(const std::shared_ptr<Run>& run, J o, uint64_t seed, std::function<void(Laid)> done);
    void put(NotebookModel& model, const J& o, const Laid& laid, uint64_t seed, Run& run);
    void link(NotebookModel& model, int page, double y, uint64_t seed, Run& run);
    void write(NotebookModel& model, int page, const BlockItem& item, double pause = 0);

    // A seed for a block or mark: a random number from 1 to 2^62 − 1.
    static uint64_t seed();

    // Paintings.
    void paint(const J& o, const BlockItem& item, int page, double width, double height);
    // `keep` holds the notebook open while the painting is in flight.
    void landed(const Uuid& id, std::optional<std::vector<uint8_t>> picture, std::shared_ptr<const void> keep);
    void attach(const Uuid& id, const std::string& name);

    std::weak_ptr<NotebookModel> model_;
    Services services_;
    Date now() const;

    bool task_ = false;
    uint64_t taskNumber_ = 0;       // raised by every ask(); the turn started for it carries it
    bool startWhenDone_ = false;    // a turn was asked for while an earlier one still drains
    std::shared_ptr<Run> run_;      // the turn being driven, from its start until it is over
    std::shared_ptr<Run> current_;  // what current() shows: the running turn's state
    int composingPage_ = 0;
    std::optional<Anchor> anchor_;
    bool pointed_ = false;
    std::optional<std::string> lastType_;
    bool placing_ = false;
    bool pumping_ = false;
    // The blocks whose paintings are in flight. Each painting's request holds its notebook
    // open, not the session: the model owns the session, and a request that never answers
    // must not keep them both alive.
    std::set<Uuid> painting_;
};

}  // namespace nolby
