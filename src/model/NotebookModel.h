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
//   NotebookModelNotes.cpp     typed notes: opening by a click or by typing, committing, asking
//   NotebookModelGap.cpp       the typing spot and the room opened under the note being typed
//   NotebookModelNavigation.cpp pages in view, the reading page, flips and curls, the live pen
//   NotebookModelWords.cpp     the block and the word under a point, words of a page, dive marks
//   NotebookModelWay.cpp       the one next step offered, the open question, the review list
//
// Main thread only. Callbacks that the model installs on its writer, raster cache and
// scheduler hold it weakly: a late callback after the model is gone does nothing.

#include "ink/Hand.h"
#include "ink/blocks/Blocks.h"
#include "model/InkCache.h"
#include "model/NotebookStage.h"
#include "notebook/Notebook.h"
#include "platform/Clock.h"
#include "platform/Geometry.h"
#include "platform/Observed.h"
#include "platform/Path.h"
#include "platform/Scheduler.h"
#include "platform/layers/Animation.h"
#include "writing/InkRaster.h"
#include "writing/Scribe.h"

#include <cstdint>
#include <functional>
#include <limits>
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
        double top = 0;      // their smallest top when the gap opened; +inf when none
        double cut = 0;      // items from this line down count as below the note
        double applied = 0;  // how far they are moved down now
        std::vector<PageItem> before;  // the page as it was when the note opened
    };

    // Where typing without a click starts: a page, and the note's column there when the page
    // has room for one.
    struct Spot {
        double x = 0, y = 0, width = 0;
        bool operator==(const Spot&) const = default;
    };
    struct TypingSpot {
        int page = 0;
        std::optional<Spot> spot;
        bool operator==(const TypingSpot&) const = default;
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
        Point corner, finger;  // view points
        bool operator==(const Curl&) const = default;
    };

    // The animated change behind a running flip or curl, for the views to play: the value
    // (a flip's progress in x, a curl's finger) runs from `from` to `to` along `curve`,
    // starting at `begin` on the model's clock and lasting `duration` seconds. The model's
    // `leaf` and `curl` already hold the end value, as an animated change does.
    struct Motion {
        Point from, to;
        TimingFunction curve;
        double begin = 0, duration = 0;
        // Progress along the curve at a clock time: 0 before the start, 1 from the end on.
        double fraction(double time) const;
        // The value at a clock time.
        Point at(double time) const;
        bool operator==(const Motion&) const = default;
    };

    // One word of a tutor block as written on a page.
    struct Word {
        Rect rect;
        std::string text;
        Uuid block;
        bool operator==(const Word&) const = default;
    };
    // A word box of a block's ink: where it is written and its text.
    struct WordBox {
        Rect rect;
        std::string text;
        bool operator==(const WordBox&) const = default;
    };
    // The content block under a point, with its ink bounds.
    struct Hit {
        BlockItem block;
        Rect bounds;
        bool operator==(const Hit&) const = default;
    };
    // A deep-dive mark on a page: the passage's rectangles, the dive and its words.
    struct Dive {
        std::vector<Rect> rects;
        Uuid to;
        std::string text;
        bool operator==(const Dive&) const = default;
    };
    // The unanswered check-in question on the reading page and its answer room.
    struct Ask {
        BlockItem block;
        Rect room;
        bool operator==(const Ask&) const = default;
    };

    // The one next step the notebook offers.
    struct Way {
        enum class Kind { next, skip, turn, writing, reading, ask };
        Kind kind = Kind::next;
        std::optional<std::string> label;  // of `next` only: the next step's title

        static Way next(std::optional<std::string> label) { return {Kind::next, std::move(label)}; }
        static Way of(Kind kind) { return {kind, std::nullopt}; }
        // Two `next` ways are equal when their labels are; any other way equals its kind.
        bool operator==(const Way& o) const { return kind == o.kind && (kind != Kind::next || label == o.label); }
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
    Observed<std::optional<Motion>> motion;  // the flip or curl being played; none when idle

    // ---- Owned objects ----

    const std::shared_ptr<Scribe> scribe;
    const std::shared_ptr<InkCache> cache;
    const std::shared_ptr<InkRaster> raster;
    const std::shared_ptr<Voice> voice;
    std::shared_ptr<TutorLink> session;  // set once, at the end of make()
    // What the page stages read of this model: hand out NotebookStage::handle(shared_from_this(), stage).
    NotebookStage stage{*this};

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
    // The hand every typed note is written, measured and read with: it wraps words, and
    // breaks a run too long for the note's width (an address) rather than letting it run
    // past the page's edge.
    static Hand noteHand(uint64_t seed);
    // The written height of the note, at least one line.
    static double editingHeight(const Editing& e);
    // The note's box as clicks and the sheet see it: the written note with 6 points to each
    // side and 8 above and below.
    static Rect editingBox(const Editing& e);
    // The first line of an empty page: lower on tall pages, below their larger head.
    double firstLine() const;
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

    // ---- Typed notes ----
    //
    // Every change of `editing` that keeps the note (same id) but changes its text refits the
    // gap under it, so views may type straight into editing.text (editing.modify). The note's
    // `page` follows its page through every page insertion and removal.

    // Opens a new free note at a point of the current page, at least 170 wide, and its gap.
    void startWriting(Point at, bool spoken);
    // Opens a note by what lies under a point of the current page: an answer in an "ask"
    // block's room (or the 12 points above it), a margin note about the word clicked in any
    // other block, else a free note.
    void beginNote(Point at, bool spoken);
    // A click on a page: inside the open note's box nothing happens; otherwise the open note
    // is committed, the page becomes current and the learner note under the point is
    // reopened, or a note begun there. Nothing while a page turns or for a page not there.
    void click(Point at, int page);
    // Ends the note being typed: a new note with text becomes a learner TextItem, a reopened
    // note is changed or (emptied) removed with the notice "Note removed"/"Undo"; the gap is
    // closed. Text is never dropped: a note whose item or page went meanwhile is stored anew.
    void commitEditing();
    // Commits the note and starts a tutor turn (in scroll mode with nothing new, from the
    // reading page).
    void ask();

    // ---- Typing spot and the gap ----

    // Where typing without a click would start: the open question's answer room, 26 below
    // the lowest ink, or the first line of an empty page; no spot on a page without room.
    TypingSpot typingSpot();
    // Commits any note and opens a new one at the typing spot, on a new page after the
    // current one when it has no room.
    void writeHere();
    // Opens the gap under the note being typed (what lies below it moves down to start 18
    // under the note) and fits it. Openers that set `editing` themselves call it after.
    void openGap();

    // ---- Navigation ----

    // Pages on screen: all of them when scrolling, the spread's pair, else the current page.
    std::vector<int> inView() const;
    // The last page in view that has ink; the current page when none has.
    int readingPage();
    // The next page (spread) after those in view; made (appended, saved) when the pages in
    // view hold anything; none otherwise.
    std::optional<int> nextPageIndex();
    // Moves to a page: a leaf flip between spreads, a curl in one-page mode (view measured),
    // else a plain change. The note being typed is committed first. A turn that is still
    // running is landed on its own target first. Nothing but `then` for a page not there or
    // the current page. `then` runs after the landing, even when the model is gone by then.
    void go(int to, bool animated, bool slow, std::function<void()> then = {});
    // Ends a curl on a page (nothing moves for a page not there) and saves.
    void finishCurl(int landOn);
    // A flip or curl is showing.
    bool turning() const;
    // Seconds a flip and a curl take to land.
    static constexpr double flipSeconds = 0.5, slowFlipSeconds = 0.8;
    static constexpr double curlSeconds = 0.72, slowCurlSeconds = 1.05;
    static constexpr double curlBackSeconds = 0.7, slowCurlBackSeconds = 1.0;
    // The left page of the spread holding a page: pages pair (1, 2), (3, 4) ...; page 0
    // stands alone, its left page -1.
    static int spreadLeft(int page);
    // The live pen: the marker ink of the pen, its colour, and the outline of `live`.
    std::string markerName() const;
    Color penColor() const;
    std::optional<Path> liveOutline() const;

    // ---- Words and hit-testing ----

    // Block kinds drawn on a page that are not content: "mark", "link", "pto", "hole".
    static const std::set<std::string>& overlays();
    // A block's kind: its "t"; "" when its JSON is not an object.
    static std::string kind(const BlockItem& block);
    // The topmost content block whose ink, grown by 4, holds the point (current page when
    // none is given), with its ink bounds as they are.
    std::optional<Hit> blockHit(Point at, std::optional<int> on = std::nullopt);
    // The block's word nearest the point, trimmed of quotes and punctuation, its box grown by
    // 5 across and 3 down.
    std::optional<WordBox> wordAt(Point at, const BlockItem& in);
    // Every word box of a block's ink, texts as written.
    std::vector<WordBox> words(const BlockItem& in);
    // Every word of a page's content blocks, blocks by their top.
    std::vector<Word> words(int onPage);
    // The middle of a word written on the current page, a little above its baseline.
    std::optional<Point> point(std::string_view ofWord);
    // The deep-dive marks of a page.
    std::vector<Dive> dives(int onPage);
    // Writes a deep-dive mark over the rectangles, not undoable.
    void markDive(int page, const std::vector<Rect>& rects, const Uuid& to, const std::string& text);

    // ---- The next step ----

    Way way();
    void follow(const Way& way);
    std::optional<Ask> openAsk();
    // The last answer was judged "wrong" or "partly".
    bool missed() const;
    // Drops the open question (onto the review list) and asks for the next thing.
    void skip();
    // Adds an idea to the review list (newest last, at most six).
    void remember(const std::string& idea);
    // The learner wrote something no tutor turn has seen (a note being typed included).
    bool hasNewInk() const;
    // A page after those in view holds anything.
    bool laterInk() const;
    // Writing waits on a page after those in view.
    bool turnCue() const;
    // The title of the next step.
    std::optional<std::string> nextLabel() const;
    // Prompts for where the learner types, longest first.
    std::vector<std::string> fieldPrompts();

private:
    static constexpr double kInf = std::numeric_limits<double>::infinity();

    NotebookModel(Notebook notebook, Services services);
    void wire();

    // Appends an undo entry, dropping the oldest beyond maxUndo.
    void pushUndo(Snapshot snapshot);
    // Undo and redo share everything but where the entry comes from and goes.
    bool restore(std::vector<Snapshot>& from, std::vector<Snapshot>& to, bool isUndo);
    // Keeps what the tutor wrote since a snapshot clear of the items restored from it (in
    // `items`, the page as the restore installs it; `current`, the page as it stands): the
    // tutor's writing keeps its place, what stood below it stays below it, and marks on
    // words move with their words. True when it moved anything further down than restored.
    bool keepTutorWritingClear(std::vector<PageItem>& items, const std::vector<PageItem>& current,
                               const std::vector<PageItem>& snapshot);
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
    // The ink top of an item for page flow: a ringed note counts from y − 4, a block never
    // from above its own top.
    double inkTop(const PageItem& item);
    bool isPageTurn(const PageItem& item) const;
    // Has the writer write the rest of a page at once when it is writing any of the items.
    void finishWritingOf(int page, const std::vector<Uuid>& items);
    void movePlacer(int page, double from, double by);

    // Typed notes.
    void write(Point at);
    Editing newNote(double x, double y, double width, bool spoken) const;
    // The did-set step of `editing`: a note whose text changed refits its gap.
    void editingChanged();
    // Keeps the note being typed on its own page when pages come and go.
    void followEditingPage();
    // The id of the page holding the note being typed, when it has one.
    std::optional<Uuid> editingPageId() const;

    // The gap.
    void fitGap();
    void closeGap(Gap g, const std::string& text, const std::optional<TextItem>& removed);
    // Items added below the moved content while the gap is open move with it from then on.
    void joinGap(Gap& g, int page, const std::optional<Uuid>& note);
    // An item of the gap moved from `was` to `to` (both counted from the gap's `before`).
    PageItem gapPlaced(const PageItem& item, const std::map<Uuid, const PageItem*>& before, const Gap& g,
                       double was, double to) const;

    // Navigation.
    void land(int on);
    // The landing of the running flip or curl.
    struct Landing {
        Timer timer;
        int target = 0;
        bool curl = false;
        std::shared_ptr<std::function<void()>> then;  // run once, model or no model
    };
    void startTurn(Motion m, int target, bool isCurl, std::function<void()> then);
    // Ends the running landing now: its timer is cancelled; returns its `then`.
    std::function<void()> takeLanding();
    void levelChange();
    static void runOnce(const std::shared_ptr<std::function<void()>>& slot);

    Services services_;
    Subscription spreadWatch_, scrollWatch_, editingWatch_, pagesWatch_;
    std::optional<Editing> lastEditing_;  // `editing` as the did-set step last saw it
    std::optional<Uuid> editingPage_;     // the page of the note being typed
    std::optional<Landing> landing_;
};

}  // namespace nolby
