#pragma once
// The model of one open notebook: the hub that the page views, the sheet, the tutor, the
// menus and the launch hooks all hold. It owns a copy of the stored notebook (written back
// through the Library), the notebook's writer, its raster cache, its ink cache, its tutor
// and its voice holder, for as long as the notebook is open.
//
// One class, its implementation split by concern:
//   NotebookModel.cpp          making a model, the wiring, scale and page versions
//   NotebookModelChange.cpp    the one change path, undo and redo, notices, saving, closing
//   NotebookModelInk.cpp       item ink and bounds, settled operations, raster layers, written items
//   NotebookModelMeasures.cpp  note text, note height, caret, answer rooms
//   NotebookModelFlow.cpp      page flow: push, carry, close up, tidy
//   NotebookModelPages.cpp     committing the open note and moving between pages
//
// Main thread only. Callbacks that the model installs on its writer, raster cache and
// scheduler hold it weakly: a late callback after the model is gone does nothing.

#include "ink/blocks/Blocks.h"
#include "model/InkCache.h"
#include "model/InkRaster.h"
#include "model/Notebook.h"
#include "model/Scribe.h"
#include "platform/Clock.h"
#include "platform/Geometry.h"
#include "platform/Observed.h"
#include "platform/Scheduler.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace nolby {

class Haptics;
class Library;
class TutorLink;
class Voice;

// The bitmap of one written item, for the page view's raster layers.
struct PageLayer {
    Uuid id;  // the item's id
    InkRaster::Raster raster;
    bool operator==(const PageLayer&) const = default;
};

class NotebookModel : public std::enable_shared_from_this<NotebookModel> {
public:
    // ---- Values ----

    // What the views show while a tutor turn runs; the tutor writes it.
    struct TutorStatus {
        struct Reading {
            int page = 0;
            std::vector<Rect> lines;  // the learner's new lines being read
            double start = 0;         // media time the reading began
        };
        struct Mark {
            int page = 0;
            Point point;
            bool operator==(const Mark&) const = default;
        };
        bool thinking = false;
        std::optional<Reading> reading;
        std::optional<Mark> thinkingAt;
        std::optional<std::string> error;

        // A reading compares by presence and start alone: moving its lines is not news.
        bool operator==(const TutorStatus& o) const;
    };

    // The transient message pill. A notice is the same notice while its id is.
    struct Notice {
        Uuid id = Uuid::random();
        std::string text;
        std::string action;  // the label of the pill's button
        bool operator==(const Notice& o) const { return id == o.id; }
    };

    enum class Tool { pen, marker, eraser };
    static std::string_view rawValue(Tool tool);
    static std::optional<Tool> toolFromRawValue(std::string_view raw);

    // The note being typed.
    struct Editing {
        int page = 0;
        Uuid id;  // a reopened note's item id; a fresh id for a new note
        double x = 0, y = 0, width = 0;
        std::string text;  // as typed, markup included
        bool isNew = true;
        bool spoken = false;
        std::optional<Rect> anchor;       // a margin note's words
        std::optional<std::string> about;  // those words; "" for a spot
        std::optional<double> below;       // a margin note's line of content below
        bool operator==(const Editing&) const = default;
    };

    // The room opened under the note being typed.
    struct Gap {
        Uuid page;
        std::set<Uuid> ids;  // the items the gap moves
        double top = 0;
        double cut = 0;
        double applied = 0;
        std::vector<PageItem> before;  // the page as it was when the note opened
    };

    // A two-page spread flipping, and a single page curling.
    struct Leaf {
        bool forward = true;
        int from = 0, to = 0;
        double progress = 0;
        bool operator==(const Leaf&) const = default;
    };
    struct Curl {
        bool forward = true;
        int top = 0, under = 0;
        Point corner, finger;
        bool operator==(const Curl&) const = default;
    };

    // The live pen stroke. Every write of it is news.
    struct Live {
        struct Sample {
            Point point;
            double pressure = 0;
        };
        std::vector<Sample> samples;
        bool operator==(const Live&) const { return false; }
    };

    // Items that page flow had carried off a page onto another, as they stood there.
    struct Displaced {
        Uuid page;   // the page that held them
        int index = 0;  // where that page stood in the notebook
        std::optional<bool> carry;
        std::vector<PageItem> items;
        bool operator==(const Displaced&) const = default;
    };

    // One undo or redo entry: a page and a full copy of its items. A redo entry made by undo
    // also keeps the copies that undo took off other pages, so that redo puts them back.
    struct Snapshot {
        Uuid page;
        std::vector<PageItem> items;
        std::vector<Displaced> displaced;
        bool operator==(const Snapshot&) const = default;
    };

    // Makes the tutor session of a model; the session holds the model weakly.
    using TutorMaker = std::function<std::shared_ptr<TutorLink>(std::weak_ptr<NotebookModel>)>;

    // What a model is made with. `haptics` null: no feedback. `tutor` empty: a stand-in
    // tutor that runs no turns (StandInTutor).
    struct Services {
        std::shared_ptr<Library> library;
        std::shared_ptr<const Clock> clock;
        std::shared_ptr<Scheduler> scheduler;
        std::shared_ptr<Haptics> haptics;
        TutorMaker tutor;
    };

    // A model for one notebook, opened on its stored last page (at most the last page). A
    // notebook without pages gets one.
    static std::shared_ptr<NotebookModel> make(Notebook notebook, Services services);
    ~NotebookModel();
    NotebookModel(const NotebookModel&) = delete;
    NotebookModel& operator=(const NotebookModel&) = delete;

    // ---- Observed state ----

    Observed<Notebook> nb;  // equal (silent) when id and updated are equal
    Observed<int> pageIndex;
    Observed<std::optional<Curl>> curl;
    Observed<std::optional<Leaf>> leaf;
    Observed<bool> spread{false};  // every write keeps scribe->spread = spread || scroll
    Observed<bool> scroll{false};
    Observed<bool> focused{true};
    Observed<std::optional<Editing>> editing;
    Observed<Tool> tool{Tool::pen};
    Observed<std::string> pen{"learner"};
    Observed<Live> live;
    Observed<int> liveVersion{0};
    Observed<std::map<Uuid, int64_t>> pageVersions;  // content changes seen per page id
    Observed<TutorStatus> tutor;
    Observed<Size> viewSize;
    Observed<double> keyboardLift{0};
    Observed<int> rasterVersion{0};  // raised when a background bitmap arrives
    Observed<std::optional<Notice>> notice;

    // ---- Owned objects ----

    const std::shared_ptr<Scribe> scribe;
    const std::shared_ptr<InkCache> cache;
    const std::shared_ptr<InkRaster> raster;
    const std::shared_ptr<Voice> voice;
    std::shared_ptr<TutorLink> session;  // set once, at the end of make()

    // ---- Plain state ----

    std::vector<Snapshot> undoStack;  // newest last, at most maxUndo entries
    std::vector<Snapshot> redoStack;
    std::optional<Gap> gap;
    std::function<void()> noticeAction;

    static constexpr size_t maxUndo = 80;
    static constexpr double noticeSeconds = 4;

    // ---- State and wiring ----

    // The scale at which one page fits the view; 1 until the view is measured, and for a
    // page size that is not positive and finite.
    double scale() const;
    // The content version of the page at an index; 0 outside the pages.
    int64_t version(int page) const;
    // The page geometry and the accent colour every ink lookup and block layout takes: the
    // notebook's colour, else "blue", else the default ink.
    Geo geo() const;
    Color accent() const;

    // ---- The change path, undo and saving ----

    using Change = std::function<void(std::vector<PageItem>&)>;
    // Applies the change to one page's items: an undo snapshot first when undoable, then
    // the page's version, the notebook's `updated` and a debounced save. Nothing for an
    // index outside the pages.
    void mutate(int page, bool undoable, const Change& change);
    // Restore the newest entry of their stack; true when something was restored. Undo
    // moves to the restored page; redo carries its overflow instead.
    bool undo();
    bool redo();
    // The items undo and redo install: the snapshot's items, each as it stood in the
    // snapshot except for what the learner did not do (a painting that has since arrived in
    // a block, a turn stamp on learner ink), followed by the blocks written since.
    static std::vector<PageItem> learnerChange(const std::vector<PageItem>& snapshot,
                                               const std::vector<PageItem>& current);
    // Shows a notice whose button runs `act`; it clears itself after noticeSeconds unless a
    // newer notice replaced it.
    void notify(std::string text, std::string action, std::function<void()> act);
    // Records the current page in the notebook and hands it to the store: at once, or debounced.
    void save(bool now);
    // Ends the model's work before its owner lets it go: the writing is finished, a turn
    // cancelled; an empty notebook without turns is deleted, any other loses its trailing
    // empty pages and is saved at once.
    void close();
    // No page holds an item and no note is being typed.
    bool isEmptyNotebook() const;

    // ---- Ink ----

    // The cache entry of an item under the notebook's geometry and accent.
    const InkCache::Entry& entry(const PageItem& item);
    // The item's ink bounds; null when it has no ink.
    Rect bounds(const PageItem& item);
    // What is on the page now, as far as it has been written; the note being typed left out.
    std::vector<InkOpRef> settledOps(int page);
    // Bitmaps of the finished items and vectors for the rest (items being written, bitmaps
    // not yet rendered), at `pixels` raster scale.
    std::pair<std::vector<PageLayer>, std::vector<InkOpRef>> layers(int page, double pixels);
    // The writer has finished an item: its pages redraw and its bitmap is rendered.
    void written(const Uuid& item);
    // The lowest ink on a page: the largest bottom of its items' non-empty ink bounds, else
    // 62 on pages lower than 700 points and 90 on taller ones. The page must exist.
    double lowestInk(int page);
    // The id of the note being typed, when there is one.
    std::optional<Uuid> editingId() const;

    // ---- Note measures ----

    static constexpr double noteSize = 17;
    static constexpr double noteLineHeight = 24.14;  // 1.42 × 17

    // The text written for a note: a margin note quotes the word it is about in grey first.
    static std::string noteText(std::string_view text, const std::optional<std::string>& about);
    // The written height of the note, at least one line.
    static double editingHeight(const Editing& e);
    // The caret after the note's text: width 0, height 17.34.
    static Rect caret(const Editing& e);
    // The answer room of an "ask" block with a height; none for every other block.
    static std::optional<Rect> room(const BlockItem& block, const Geo& geo);
    // The baseline of a note's first line below its top.
    static double firstBaseline();
    // The text without white space and line breaks at either end.
    static std::string trimmed(std::string_view text);

    // ---- Page flow ----

    // Page margins, by page height alone.
    double topMargin() const;
    double bottomMargin() const;
    // Moves the flowing items whose ink top is at or below from − 0.5 down by `by`, moves
    // the tutor's placer along, then carries the page's overflow.
    void push(int page, double from, double by);
    // Moves the content from the first overflowing item on to the carry page that follows.
    void carry(int page);
    // Brings the following carry page's content back when it fits, removing the carry page.
    void closeUp(int after);

    // ---- Notes and pages (the rest of them comes with typed notes and navigation) ----

    // Ends the note being typed. There is no typing yet: nothing to end.
    void commitEditing();
    // Moves to a page: a plain change of pageIndex and a debounced save; `then` runs at
    // once. Nothing but `then` for an index outside the pages or the current page.
    void go(int to, bool animated, bool slow, std::function<void()> then = {});

private:
    NotebookModel(Notebook notebook, Services services);
    void wire();

    // Appends an undo entry, dropping the oldest beyond maxUndo.
    void pushUndo(Snapshot snapshot);
    // Undo and redo share everything but where the entry comes from and goes.
    bool restore(std::vector<Snapshot>& from, std::vector<Snapshot>& to, bool isUndo);
    void raiseVersion(const Uuid& page);
    int pageIndexOf(const Uuid& page) const;
    void haptic();

    // After a page was restored: its items leave every other page, then empty carry pages
    // go. Returns the copies it took off other pages.
    std::vector<Displaced> tidy(const Uuid& page);
    // Puts copies that an undo took off other pages back where page flow had put them.
    void reinstate(const std::vector<Displaced>& displaced);
    // Raises the version of every page that holds the item.
    void bump(const Uuid& item);
    // The ink top of an item for page flow: a ringed note counts from y − 4.
    double inkTop(const PageItem& item);
    bool isPageTurn(const PageItem& item) const;
    // Has the writer write the rest of a page at once when it is writing any of the items.
    void finishWritingOf(int page, const std::vector<Uuid>& items);
    void movePlacer(int page, double from, double by);

    Services services_;
    Subscription spreadWatch_, scrollWatch_;
};

}  // namespace nolby
