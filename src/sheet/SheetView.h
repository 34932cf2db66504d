#pragma once
// The scrolling document that shows one notebook (or one deep dive) as a single column of
// page slices under a head. It keeps the layout current as the model changes (one relayout
// per turn of the main loop however many changes arrive), publishes what the chrome needs
// into its SheetState, moves the sheet (glides on the media clock, the opening position at
// the end of the ink, following the tutor's pen), and draws the visible part in one pass:
// paper, head, the pages near the view, the caret and prompt, the selection multiplied on
// top.
//
// No toolkit here: a SheetHost (the Qt scroll area, or a recorder in tests) supplies the
// viewport, the scroll position, painting, the clipboard and focus, and turns
// its events into calls on this class. Pointer and keyboard input (SheetPointer,
// SheetTextInput) live in the view and reach it through SheetPointerHost. Main thread only; timers and posted work
// hold the view weakly and do nothing once it is gone.
//
//   auto sheet = SheetView::make(model, state, {scheduler, press, displayScale});
//   sheet->setHost(&host);           // the host calls sheet->scrolled() on every scroll
//   sheet->attach(true);             // in a window: pen following, a relayout
//   ... each frame: sheet->paint(cr, scheduler->now());  // viewport coordinates, points
//   ... keep painting frames while sheet->animating(now)

#include "model/NotebookModel.h"
#include "page/PagePainter.h"
#include "platform/Scheduler.h"
#include "press/PressSource.h"
#include "sheet/SheetHost.h"
#include "sheet/SheetLayout.h"
#include "sheet/SheetMarks.h"
#include "sheet/SheetPointer.h"
#include "sheet/SheetState.h"
#include "sheet/SheetTextInput.h"

#include <cairo.h>

#include <compare>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace nolby {

class SheetView final : public std::enable_shared_from_this<SheetView>, public SheetPointerHost {
public:
    struct Environment {
        std::shared_ptr<Scheduler> scheduler;  // the main loop and the media clock
        std::shared_ptr<PressSource> press;    // covers for the pages' bands; none: no covers
        double displayScale = 1;               // device pixels per point
    };

    struct Weak {
        std::weak_ptr<SheetView> v;
    };

    // A scroll-wheel or two-finger event as the sheet reads it. Deltas are the content's
    // travel in points (positive y: towards the top of the sheet).
    struct Wheel {
        enum class Phase { none, began, changed, ended, momentum };
        double dx = 0, dy = 0;
        Phase phase = Phase::none;  // none: a wheel that reports no gesture phases
        bool inverted = false;      // natural scrolling: the content follows the fingers
    };

    static std::shared_ptr<SheetView> make(const std::shared_ptr<NotebookModel>& model,
                                           std::shared_ptr<SheetState> state, Environment env);
    ~SheetView();
    SheetView(const SheetView&) = delete;
    SheetView& operator=(const SheetView&) = delete;

    // ---- Registries (main thread)

    // Every sheet view made so far, gone ones dropped at each new one.
    static const std::vector<Weak>& made();
    // The live views of made(), in the order they were made.
    static std::vector<std::shared_ptr<SheetView>> all();
    // The view that most recently took keyboard focus; only another view taking it (or the
    // view going away) clears it.
    static std::shared_ptr<SheetView> current();

    // ---- Hosting

    // The host the sheet lives in; null detaches. Not owned: the host outlives its calls.
    void setHost(SheetHost* host);
    SheetHost* host() const { return host_; }
    // The host was put into a window (true) or taken out (false): following the pen runs
    // only while in a window, and a relayout is asked for.
    void attach(bool inWindow);
    // The head's drawer; none draws no head and reserves no height.
    void setHead(std::shared_ptr<SheetHeadSource> head);
    // Replaced at every update of the pane; a relayout is asked for.
    void setActions(SheetActions actions);
    const std::optional<SheetActions>& actions() const { return actions_; }
    void setDisplayScale(double displayScale);

    // ---- Focus

    // The sheet took keyboard focus: it becomes current(), the model's `focused` is set and
    // the pane is told. Answers true.
    bool becomeFirstResponder();
    // The sheet lost keyboard focus. Answers true.
    bool resignFirstResponder();
    // The window became or stopped being the active one.
    void windowKeyChanged();

    // ---- Layout and scrolling

    void relayout();
    // Keeps a page painter for each slice near the view (the visible part grown by
    // max(its height, 500) up and down) and for the last slice.
    void place();
    // Rebuilds the outline and publishes it when it changed.
    void outline();
    // Every change of the scroll position, from the host.
    void scrolled();
    // Brings the caret of the note being typed into view, 80 below and 60 above it.
    void showCaret();
    bool gliding() const { return glide_.active(); }
    // Where the tutor's pen is on the sheet: the bottom of the next operation to write.
    std::optional<double> penY();
    // Every 0.2 s in a window while the tutor thinks or writes: shows "Writing below" and
    // keeps the pen between 40 % and 72 % of the view while following.
    void followPen();
    // Starts or stops following the pen as the tutor starts or stops thinking and writing.
    void watchPen();
    // The "Writing below" button: follow again and glide to the pen (else to the end).
    void catchUp();
    // A wheel or swipe event; true when the sheet used it up (a swipe closing a dive), false
    // when the host should scroll by it as usual.
    bool wheel(const Wheel& event);

    // ---- Drawing

    // Draws the visible part of the sheet at `now`: units are points, origin at the top-left
    // corner of the visible part. The surface's pixel density comes from its transform.
    void paint(cairo_t* cr, double now);
    // Whether the picture still changes after `now`.
    bool animating(double now) const;
    // When the caret's blink is all that changes after `now`: the part of the view its bar
    // covers (points, a little larger than the bar; empty when the caret is out of view) and
    // the seconds until it next looks different. None while anything else moves, or when
    // nothing does: a focused sheet need not be redrawn whole for its caret.
    struct Blink {
        Rect rect;
        double wait = 0;
    };
    std::optional<Blink> blinkOnly(double now) const;
    // Redraws the selection highlight and publishes the selection.
    void drawSelection();

    // ---- Pointer and keyboard input

    // The pointer side (presses, the word selection, word actions), the keyboard side
    // (typing, composing, sending, moves) and what they share of the typing.
    SheetPointer& pointer() { return pointer_; }
    SheetTextInput& input() { return input_; }
    SheetTyping& typing() { return typing_; }

    // Where the highlight, the selection bar and pen following learn of the word selection:
    // the pointer's selection unless replaced.
    struct SelectionSource {
        std::function<std::vector<Rect>()> lines;  // the selected lines, sheet points
        std::function<std::string()> phrase;      // the selection phrase
        std::function<bool()> dragging;           // a press is selecting
    };
    void setSelectionSource(SelectionSource source);

    // ---- What pointer and keyboard input ask of the view

    std::shared_ptr<NotebookModel> model() override { return model_.lock(); }
    const SheetLayout* layout() override { return layout_ ? &*layout_ : nullptr; }
    // The visible part in sheet points; empty without a host.
    Rect visibleRect() override { return visible(); }
    // The one way the sheet moves itself: clamped to the document, animated over 0.5 s with
    // a cubic ease-in-out when asked and farther than a point.
    void scrollTo(double y, bool animated) override;
    void setFollowing(bool on) override { state_->following.set(on); }
    void selectionChanged() override { drawSelection(); }
    // Publishes the selection's first line and phrase (none during a drag).
    void publishSelection() override;
    // Queues one relayout on the next turn of the main loop unless one is queued.
    void setNeedsRelayout() override;
    std::optional<std::string> clipboardText() override;
    void setClipboardText(const std::string& text) override;
    void haptic() override;
    void lookUp(const std::string& phrase, Point at, double size) override;
    void dive(const std::string& words, const std::string& passage, int page, const std::vector<Rect>& rects) override;
    void open(const Uuid& dive) override;
    bool close() override;

    // ---- Reading

    SheetState& state() const { return *state_; }
    const Environment& environment() const { return env_; }
    double headHeight() const { return headHeight_; }
    // The head lies at the column's left edge, from the sheet's top to its height.
    bool pressHead(Point at) override;
    // Relayouts run so far, pages with a live painter, and whether the opening position was
    // set (for tests and tools).
    int relayouts() const { return relayouts_; }
    std::vector<int> hostedPages() const;
    // The live painter of a page; null when the page has none now.
    PagePainter* painter(int page) const;
    bool placed() const { return placed_; }
    // The selection's rounded lines as last drawn (sheet points).
    const std::vector<Rect>& highlight() const { return highlight_; }

private:
    SheetView(const std::shared_ptr<NotebookModel>& model, std::shared_ptr<SheetState> state, Environment env);
    void measureHead(double width);
    void watchModel(int generation);
    void placeInitially();
    // The end of a gesture: true when it was a swipe that closed the dive.
    bool swipeEnded();
    double maxScroll() const;
    void repaint();
    // Publishes the selection of these lines (sheet points): none when there are none.
    void publish(const std::vector<Rect>& lines);
    Rect visible() const;
    std::shared_ptr<NotebookModel> lockModel() const { return model_.lock(); }

    struct PageHost {
        std::unique_ptr<PagePainter> painter;
        double top = 0, height = 0;  // the band shown
        Rect frame;                  // sheet points
        // Where the page's own origin lies on the sheet at `scale`: the band shown starts at
        // the frame's top. paint() draws the page there, and the caret's bar is found there.
        Point origin(double scale) const { return {frame.x, frame.y - top * scale}; }
    };
    // Whether the head or a page in view still changes after `now`: all that moves apart
    // from the caret and the prompt.
    bool contentAnimating(double now) const;

    std::weak_ptr<NotebookModel> model_;
    std::shared_ptr<SheetState> state_;
    Environment env_;
    SheetHost* host_ = nullptr;
    std::optional<SheetActions> actions_;
    std::optional<SheetLayout> layout_;
    SheetTyping typing_;
    SheetPointer pointer_{*this, typing_};
    SheetTextInput input_{*this, typing_, pointer_};
    SelectionSource selection_;
    bool dragging() const { return selection_.dragging && selection_.dragging(); }
    std::shared_ptr<SheetHeadSource> head_;
    double headHeight_ = 0;
    bool headMeasured_ = false;
    std::map<int, PageHost> hosts_;
    SheetMarks marks_;
    std::vector<Rect> highlight_;

    bool relayoutPending_ = false;
    int tracking_ = 0;
    int relayouts_ = 0;
    std::vector<Subscription> watching_;
    bool inWindow_ = false;
    bool firstResponder_ = false;
    Timer pen_;
    std::vector<Subscription> penWatch_;  // the writer's and the tutor's state, while in a window
    Timer glide_;
    bool placed_ = false;

    // The two-finger gesture in progress: the fingers' travel, and when the last wheel event
    // without phases came (120 ms of quiet ends such a gesture).
    Size swipe_;
    double lastWheel_ = -1;
    Timer quiet_;
};

}  // namespace nolby
