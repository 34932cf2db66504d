#pragma once
// The cover press: gives every issue (a notebook without a parent) a painted cover, once.
//
// It writes a painting prompt (the subject) from the notebook's plan, title or first words,
// asks the painter for a 3:4 picture, trims any plain mat the picture came with, keeps it as
// "<UPPER-CASE-UUID>.jpg" in the data folder's "Covers" folder and serves decoded
// thumbnails of it (700 or 1600 pixels on the long side) to whatever shows covers.
//
// Thumbnails are kept under a memory budget: past it, the ones asked for longest ago go
// first (never one that something still holds, as a cover on screen does), and a later ask
// loads them again. Whatever shows covers asks for the ones in view first, then the ones
// near it, so those are warm before they scroll in.
//
// Main thread only, except the work it hands to the scheduler's background: at most two
// paintings are trimmed, encoded and written at once, and thumbnails are decoded there; the
// results come back through post(). A painting that fails leaves the notebook without a
// cover until the next run (the cover file alone says what is printed at start-up).

#include "notebook/Notebook.h"
#include "notebook/NotebookHead.h"
#include "platform/Image.h"
#include "platform/Observed.h"
#include "platform/Scheduler.h"
#include "platform/Uuid.h"
#include "press/PressSource.h"

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace nolby {

class Press final : public PressSource, public std::enable_shared_from_this<Press> {
public:
    using Bytes = std::vector<uint8_t>;
    // The picture's bytes, or nothing when the painting failed. Callable once, from any thread.
    using Reply = std::function<void(std::optional<Bytes> picture)>;
    // Sends one paint request and answers through `reply`: kind "cover", the subject, the
    // aspect label "3:4" and the palette in words. The application passes the painter's
    // request; tests pass a fake. Called on the main thread.
    using Paint = std::function<void(const std::string& kind, const std::string& subject, const std::string& aspect,
                                     const std::optional<std::string>& inks, Reply reply)>;

    // Paintings in flight at once; more wait in arrival order.
    static constexpr int kSlots = 2;
    // The two thumbnail sizes, in pixels on the long side.
    static constexpr int kSmall = 700;
    static constexpr int kLarge = 1600;

    // A press on `dataFolder`: makes its "Covers" folder (a failure is ignored) and takes
    // every "<UUID>.jpg" there as a printed cover. Without `paint` every painting fails.
    static std::shared_ptr<Press> make(const std::filesystem::path& dataFolder, std::shared_ptr<Scheduler> scheduler,
                                       Paint paint);

    // The application hands its scheduler and painter over once, before the first shared().
    static void configure(std::shared_ptr<Scheduler> scheduler, Paint paint);
    // The application's press on the process's data folder, made on first use.
    static const std::shared_ptr<Press>& shared();

    Press(const Press&) = delete;
    Press& operator=(const Press&) = delete;

    const std::filesystem::path dir;  // the "Covers" folder

    // Observed: raised when a cover is printed and when a thumbnail has loaded.
    int64_t version() const override { return version_.get(); }
    // Observed: notebooks whose cover is queued or being painted.
    const std::set<Uuid>& printing() const { return printing_.get(); }
    // Calls `onChange` after every change of `version` or `printing`.
    [[nodiscard]] Subscription observe(std::function<void()> onChange);
    // Calls `onChange` after every change to one notebook's cover: queued, painted, failed,
    // forgotten, a thumbnail of it loaded. What happens to other notebooks' covers is silent,
    // so a view of one notebook stays still while the press works through the others.
    [[nodiscard]] Subscription observe(const Uuid& id, std::function<void()> onChange);

    // Notebooks that have a cover file.
    const std::set<Uuid>& printed() const { return printed_; }
    // Notebooks whose cover was printed during this run.
    const std::set<Uuid>& fresh() const override { return fresh_; }
    // Notebooks whose painting failed during this run; not asked for again until the next.
    const std::set<Uuid>& failed() const { return failed_; }
    // Decoded thumbnails by key ("<UUID>@700", "<UUID>@1600").
    const std::map<std::string, std::shared_ptr<const Image>>& thumbs() const { return thumbs_; }
    // The thumbnails' memory budget, in bytes, and what they take now.
    static constexpr size_t kThumbBudget = size_t(128) << 20;
    size_t thumbBudget() const { return budget_; }
    void setThumbBudget(size_t bytes);
    size_t thumbBytes() const { return bytes_; }
    // How many thumbnails of `px` pixels (on the long side) surely fit the budget.
    size_t thumbsThatFit(int px) const;

    // Asks for the notebook's cover when it is an issue that has none, is not being painted,
    // did not fail this run and has something to paint from. Cheap to call often.
    void ensure(const NotebookHead& notebook);

    // The printed cover at 700 pixels when `px` is at most 700, else at 1600, from the
    // cache, where it becomes the one asked for most lately. A miss starts one background
    // load of that size (loads run in the order asked) and meanwhile gives the cached 700
    // one, if any. Nothing for a notebook without a printed cover.
    std::shared_ptr<const Image> image(const Uuid& id, int px) override;

    // Removes the notebook's cover file (any failure ignored) and forgets that it has one.
    void forget(const Uuid& id);

    // The painting prompt of a notebook: its plan's "art", else a sentence about its title
    // (with its first four plan steps), else one about the first words typed on its first
    // page; nothing when there is none of these.
    static std::optional<std::string> subject(const NotebookHead& notebook);

    // Where a painting's plain mat is cut: the rectangle kept, in pixels from the top left.
    struct Crop {
        int x = 0, y = 0, width = 0, height = 0;
        bool operator==(const Crop&) const = default;
    };
    // The part of the picture a cover keeps: the whole picture unless a plain border shows
    // on all four sides, then the picture inside it less a further 1.2 % of each dimension.
    static Crop trim(const Image& picture);
    // The painting decoded, trimmed and encoded as JPEG at quality 0.9; nothing when it does
    // not decode or cannot be encoded.
    static std::optional<Bytes> finish(std::span<const uint8_t> painting);

    // "<UPPER-CASE-UUID>.jpg"
    static std::string fileName(const Uuid& id) { return id.string() + ".jpg"; }
    // "<UPPER-CASE-UUID>@<px>"
    static std::string thumbKey(const Uuid& id, int px);

private:
    Press(const std::filesystem::path& dataFolder, std::shared_ptr<Scheduler> scheduler, Paint paint);

    struct Request {
        Uuid id;
        std::string subject;
        std::string inks;
    };

    void pump();
    void painted(const Uuid& id, std::optional<Bytes> picture);
    void done(const Uuid& id, bool ok);
    void loaded(const Uuid& id, const std::string& key, std::shared_ptr<const Image> image);
    static std::shared_ptr<const Image> thumbnail(const std::filesystem::path& file, int px);
    void bump() { version_.set(version_.get() + 1); }
    void touched(const Uuid& id);
    void dropThumbs(const Uuid& id);
    void keepWithinBudget(const std::string& spare);

    std::shared_ptr<Scheduler> scheduler_;
    Paint paint_;
    Observed<int64_t> version_{0};
    Observed<std::set<Uuid>> printing_;
    std::deque<Request> queue_;
    int running_ = 0;
    std::set<Uuid> failed_;
    std::set<Uuid> printed_;
    std::set<Uuid> fresh_;
    std::map<std::string, std::shared_ptr<const Image>> thumbs_;
    std::map<std::string, uint64_t> asked_;  // by thumbnail key: when it was last asked for
    uint64_t asks_ = 0;
    size_t bytes_ = 0;
    size_t budget_ = kThumbBudget;
    std::set<std::string> loading_;
    std::multimap<Uuid, std::weak_ptr<std::function<void()>>> perNotebook_;
};

}  // namespace nolby
