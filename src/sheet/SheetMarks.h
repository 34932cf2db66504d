#pragma once
// Where the learner's typing goes, shown on the sheet's page: a blinking caret and, while
// nothing is being typed, a faint handwritten prompt at that spot ("what would you like to
// learn?" in a new notebook, "your answer" under an open question ...). Drawn in page points
// times the sheet's scale, on the page of the spot only, so it scrolls with its page.
//
// spot() and prompt() are read from the model each frame; SheetMarks keeps only what the
// animations need between frames: when the caret last moved (its blink starts again fully
// lit), the prompt's fade, and the prompt's ink laid out once per text and place.
// Main thread only.

#include "ink/Ink.h"
#include "ink/ops/InkOp.h"
#include "model/NotebookModel.h"
#include "page/PageGeometry.h"
#include "page/Presence.h"
#include "platform/Image.h"

#include <cairo.h>

#include <optional>
#include <string>
#include <vector>

namespace nolby {

// The blinking bar: solid for half a second after every move, then fading out and in with a
// period of one second, ten times; then it stays lit until it moves again (as the desktop's
// own carets stop blinking): a sheet left alone repaints nothing. The fade is drawn in
// quarter steps of opacity, so a blink repaints the bar eight times a second, not at every
// frame.
struct Caret {
    Color color = Ink::learner;

    static constexpr double kSolid = 0.5;     // seconds fully lit after a move
    static constexpr double kFade = 0.5;      // seconds of one fade, out or in
    static constexpr double kBlinking = 10;   // seconds of blinking after that
    static constexpr int kSteps = 4;          // opacity steps drawn between lit and dark
    // Whether the bar still changes `t` seconds after it last moved.
    static bool blinks(double t) { return t < kSolid + kBlinking; }
    // The bar's opacity `t` seconds after it last moved.
    static double opacity(double t);
    // The opacity drawn: opacity(t) to the nearest step.
    static double drawn(double t);
    // Seconds from `t` until the drawn opacity changes; infinity once it no longer does.
    static double untilChange(double t);
    // Draws the bar: a capsule `w` × `h` with its top-left corner at (x, y).
    void draw(cairo_t* cr, double x, double y, double w, double h, double alpha) const;
};

class SheetMarks {
public:
    struct Spot {
        int page = 0;
        Rect caret;  // page points
        std::optional<std::string> prompt;
        double top = 0;  // page y where the prompt's first line begins
        bool operator==(const Spot&) const = default;
    };

    // Where the marks go: after the note being typed; nowhere while the tutor thinks, reads or
    // writes; else at the typing spot, the caret an empty note would show there.
    static std::optional<Spot> spot(NotebookModel& model);
    // The handwritten prompt for the typing spot, none when there is nothing to say.
    static std::optional<std::string> prompt(NotebookModel& model);

    // The launch argument that keeps the caret in a window not shown as active (for
    // screenshots); set once by the application from its arguments.
    static constexpr const char* kCaretArgument = "-caret";
    static bool caretArgument;
    static bool hasCaretArgument(int argc, const char* const* argv);

    static constexpr double kPromptFade = 0.2;  // seconds
    static constexpr double kPromptSize = 17;
    static constexpr Color kPromptColor = Color::rgba8(164, 158, 148, 191);  // 0.75 of 255, rounded

    // Reads the spot for this frame: restarts the blink when the caret moved by a quarter
    // point or more, fades the prompt in or out when it came or went. Returns the spot.
    const std::optional<Spot>& sync(NotebookModel& model, double now);
    // Draws the marks of page `page` as synced: the prompt when shown, the caret when the
    // sheet has keyboard focus and the window is active (or the caret argument is given).
    // `geo` places page points in the context.
    void paint(cairo_t* cr, NotebookModel& model, int page, const PageGeometry& geo, bool active, double now);
    // Whether the picture still changes after `now` (the caret blinks, the prompt fades).
    bool animating(NotebookModel& model, bool active, double now) const;
    // The caret blinks again from `now`, lit first (the sheet took the keyboard, its window
    // came to the front).
    void wake(double now) { caretSince_ = now; }
    // Whether the prompt is fading in or out at `now`.
    bool promptMoving(double now) const { return promptShown_.animating(now); }

    // The caret as drawn, while it blinks: its page, its bar where `paint` puts it for that
    // page's geometry (see `bar`), and the seconds from `now` until it next looks different.
    struct Blink {
        int page = 0;
        Rect caret;  // page points
        double wait = 0;
    };
    std::optional<Blink> blink(NotebookModel& model, bool active, double now) const;
    // The rectangle the caret's bar fills for a caret at `caret` (page points) on a page
    // placed by `geo`, in the coordinates `paint` draws in.
    static Rect bar(const Rect& caret, const PageGeometry& geo);

    // The caret's identity: its corner in quarter points, "x y" truncated toward zero; a new
    // identity restarts the blink. Coordinates that are not finite numbers in range count as 0.
    static std::string caretIdentity(const Rect& caret);

    // For tests.
    double caretSince() const { return caretSince_; }
    double promptAmount(double now) const { return promptShown_.amount(now); }
    const std::vector<InkOpRef>& promptOps() const { return promptOps_; }

private:
    bool caretVisible(NotebookModel& model, bool active) const;
    void layPrompt(NotebookModel& model, const Spot& spot);

    std::optional<Spot> spot_;
    std::string caretId_;
    double caretSince_ = 0;
    Presence promptShown_{kPromptFade, TimingFunction::easeOut()};
    bool synced_ = false;
    // The prompt last laid out (kept while it fades out), and where.
    struct PromptKey {
        std::string text;
        double x = 0, top = 0, width = 0;
        int page = 0;
        bool operator==(const PromptKey&) const = default;
    };
    std::optional<PromptKey> promptKey_;
    std::vector<InkOpRef> promptOps_;
    Rect promptBounds_ = Rect::null();  // of promptOps_
    // The prompt's bitmap, for the device transform it was made under (its translation
    // taken relative to the bitmap's whole-pixel corner).
    struct PromptPlace {
        double xx = 0, yx = 0, xy = 0, yy = 0, x0 = 0, y0 = 0;
        bool operator==(const PromptPlace&) const = default;
    };
    std::shared_ptr<const Image> promptImage_;
    PromptPlace promptPlace_;
    // Copies the prompt's bitmap into `cr` (units: page points) at `alpha`.
    void paintPrompt(cairo_t* cr, double alpha);
};

}  // namespace nolby
