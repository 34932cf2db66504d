#pragma once
// The writer of one open notebook: it turns the drawing operations of each page item into
// timed strokes and hands them, one by one, to the page stage that shows the page, which
// reveals each stroke at its time. Text, figures and paintings come out at a human pace:
// one page at a time, one operation after another, each after its own pause, with
// paintings and other work "alongside" fading in next to the writing.
//
// An item's operations become a job. Its operations are pre-rendered into bitmaps (and a
// painting's bloom) in the background; the scheduler (`pump`) hands out an operation as a
// stroke only once its pre-render is back, so the stage never draws on the main thread what
// could be drawn ahead. A 0.1 s timer retires strokes that have ended, which marks their
// operations written, and finished jobs report their items.
//
// Everything runs on the main thread. Times are seconds on the media clock. The writer is
// held by std::shared_ptr: its timer and background work hold it weakly, and it stops its
// timer when it goes.

#include "platform/Clock.h"
#include "platform/Observed.h"
#include "platform/Scheduler.h"
#include "platform/Uuid.h"
#include "writing/Bloom.h"
#include "writing/InkRaster.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace nolby {

class Scribe : public std::enable_shared_from_this<Scribe> {
public:
    // One queued item.
    struct Job {
        int id = 0;
        Uuid page, item;
        std::vector<InkOpRef> ops;  // the whole list, also what came before the starting index
        int next = 0;               // first operation not yet handed out as a stroke
        int ended = 0;              // leading operations written
        // Per operation: its pre-rendered bitmap, a painting's bloom, and whether its
        // pre-render has returned (true from the start before the starting index).
        std::vector<std::optional<InkRaster::Raster>> sprites;
        std::vector<std::shared_ptr<const Bloom>> blooms;
        std::vector<bool> drawnPic;
        bool alongside = false;  // written in parallel with the page's sequential writing

        int count() const { return int(ops.size()); }
        bool finished() const { return ended >= count(); }
    };

    // One operation scheduled on the media clock.
    struct Stroke {
        int job = 0;
        Uuid page, item;
        int index = 0;  // of the operation in its job's ops
        InkOpRef op;
        std::optional<InkRaster::Raster> sprite;
        std::shared_ptr<const Bloom> bloom;
        double start = 0, dur = 0;
        bool beside = false;  // from an alongside job

        double end() const { return start + dur; }
    };

    // What the writer needs of a page stage. All calls come on the main thread.
    class Stage {
    public:
        virtual ~Stage() = default;
        // A job was queued for `item` on the stage's page: show only what `drawn(item)`
        // counts as written of it; the rest comes as strokes.
        virtual void taken(const Uuid& item) = 0;
        // New strokes for the stage's page, in the order made; keep them sorted by start.
        virtual void add(const std::vector<Stroke>& strokes) = 0;
        // Media time now: start the reveals due within 1.5 s, settle those long ended.
        virtual void advance(double now) = 0;
        // Show these strokes, and everything still pending, complete at once.
        virtual void finishAll(const std::vector<Stroke>& strokes) = 0;
    };

    // A registered stage: lower `order` is written first.
    struct Live {
        Uuid page;
        int order = 0;
        std::weak_ptr<Stage> stage;
    };

    Scribe(std::shared_ptr<const Clock> clock, std::shared_ptr<Scheduler> scheduler);
    ~Scribe();
    Scribe(const Scribe&) = delete;
    Scribe& operator=(const Scribe&) = delete;

    // Observed: jobs made, ended or dropped, or a stage detached.
    Observed<int> version;
    // From the first stroke scheduled until none is left.
    Observed<bool> busy;
    // Pages with at least one job.
    Observed<std::set<Uuid>> waiting;
    // Durations and pauses are divided by it; a value that is not a finite number above 0
    // counts as 1.
    Observed<double> speed{1.0};

    double basePace = 320;   // work units a second at speed 1 and pace 1
    double strokePace = 1.35;  // extra pace of everything that is not text
    double lead = 5.0;       // seconds of queued writing a fresh page waits for while a reply streams
    double pixels = 3.0;     // pre-render scale; the page stage writes it
    bool spread = false;     // several stages (one per page) may be registered at once
    // Pages whose reply has finished streaming (the replay hook adds its page itself).
    std::set<Uuid> complete;

    std::function<void()> started;                 // `busy` turned true
    std::function<void(const Uuid& item)> finished;  // once per item whose job ends

    const std::vector<Job>& jobs() const { return jobs_; }
    int jobCount() const { return jobCount_; }
    // Strokes handed out and not yet retired, sorted by end time.
    const std::vector<Stroke>& timeline() const { return timeline_; }
    double cursor() const { return cursor_; }
    const std::set<Uuid>& begun() const { return begun_; }
    bool streaming() const { return streaming_; }
    const std::vector<Live>& stages() const { return stages_; }
    bool ticking() const { return timer_.active(); }

    // Queues the operations of one item, from index `from` on (a negative `from` counts as
    // 0). While the item still has a job, the call waits for that job to end. With nothing
    // to write, the item is reported finished at once.
    void enqueue(const Uuid& page, const Uuid& item, std::vector<InkOpRef> ops, int from, bool alongside);
    // Runs `action` when the item's job ends, at once when it has none.
    void whenWritten(const Uuid& item, std::function<void()> action);
    // Leading operations of the item written; none when it has no job (all of it is).
    std::optional<int> drawn(const Uuid& item) const;
    // A tutor reply starts (true) or ends (false) streaming; then schedules.
    void composing(bool flag);

    // Turns ready operations into strokes and hands them to their stages.
    void pump();
    // Seconds the operation takes to write.
    double duration(const InkOp& op) const;
    // The timer's step: advance the stages, retire ended strokes, end finished jobs, schedule.
    void tick();

    // Registers a stage for a page (by the `spread` rule, unregistering others), then schedules.
    void attach(const std::shared_ptr<Stage>& stage, const Uuid& page, int order);
    // Unregisters a stage: strokes already begun count as written, the rest waits.
    void detach(const Stage& stage);
    // The stage registered for a page, if it still exists.
    std::shared_ptr<Stage> stage(const Uuid& page) const;
    // Writes the rest of a page at once and drops its jobs.
    void finishPage(const Uuid& page);
    // Stops all writing: the writer is idle afterwards and can be used again at once.
    void flush();

private:
    Job* job(int id);
    bool hasJob(const Uuid& item) const;
    // The speed durations and pauses are divided by.
    double pace() const;
    void bump() { version.modify([](int& v) { ++v; }); }
    void report(const Uuid& item);
    void runAfter(const Uuid& item);

    // Pre-renders operations of a job in the background, starting at index `at`.
    void draw(int jobId, std::vector<InkOpRef> ops, int at);
    void pictured(int jobId, int at, std::vector<std::optional<InkRaster::Raster>> sprites,
                  std::vector<std::shared_ptr<const Bloom>> blooms);
    // Removes finished jobs and reports their items.
    void settle();

    void startTimer();
    void stopTimer();
    // After strokes were removed: the cursor and `busy` from what is left.
    void lifted();

    std::shared_ptr<const Clock> clock_;
    std::shared_ptr<Scheduler> scheduler_;
    std::vector<Job> jobs_;
    int jobCount_ = 0;
    std::vector<Stroke> timeline_;
    double cursor_ = 0;
    std::set<Uuid> begun_;
    bool streaming_ = false;
    std::vector<Live> stages_;
    Timer timer_;
    std::map<Uuid, std::vector<std::function<void()>>> after_;
};

}  // namespace nolby
