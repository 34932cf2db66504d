#pragma once
// The top of a sheet, above its first page. For a notebook it is the issue's masthead: the
// cover painting as a wide strip, a kicker line (issue number, quarter, who leads), the
// title in large display type and the plan's first steps with the current one marked. For
// a deep dive it names the issue it came from, shows the chosen words as its title and
// offers a close button.
//
// Every size scales with k = scale / 1.1, so the head has its nominal sizes at the largest
// sheet scale (wide pages) and shrinks with the sheet; the 64 points above, the 8 below,
// the 1-point rule and the 26-point close button stay fixed.
//
// Headless: the sheet view hosts it as its head source: it lays the head out for the page
// column's width and the sheet's scale, is told when the head changed (and through `height`
// when its height did) and draws it in the same pass as the pages.

#include "ink/mag/TextBlock.h"
#include "library/Library.h"
#include "model/NotebookModel.h"
#include "notebook/Notebook.h"
#include "platform/Color.h"
#include "platform/Geometry.h"
#include "platform/Observed.h"
#include "press/PressSource.h"
#include "sheet/FlowRow.h"
#include "sheet/SheetHost.h"

#include <cairo.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace nolby {

class SheetHead final : public SheetHeadSource {
public:
    // Fixed room around the head's column.
    static constexpr double kTop = 64;
    static constexpr double kBottom = 8;
    static constexpr double kClose = 26;  // the deep dive's close button, a circle
    static constexpr int kCoverPixels = 1600;
    static constexpr size_t kMaxSteps = 7;

    // A piece of text placed in head coordinates (origin at the head's top-left).
    struct Text {
        chrome::Block block;
        Point at;  // the block's top-left corner
        Color color;

        Rect frame() const { return {at.x, at.y, block.width(), block.height()}; }
        // The first line's baseline.
        double baseline() const { return at.y + block.ascent; }
    };

    // One plan step: its number and its text on one baseline.
    struct Step {
        int n = 0;
        Text number;
        Text text;
        Rect frame;
    };

    // A head laid out; the content functions give it from y 0, the whole head from the
    // top of the sheet.
    struct Laid {
        std::optional<Rect> cover;  // the cover strip (issue head with a cover)
        Text kicker;                // the left part of the kicker line
        std::optional<Text> mode;   // issue head: who leads, flush right
        std::optional<Rect> close;  // deep-dive head with a close action
        Text title;
        std::optional<Text> subtitle;  // deep-dive head
        std::vector<Step> steps;       // issue head
        Rect rule = Rect::null();      // the rule under the content (whole head only)
        double height = 0;
    };

    // What the head reads beyond its notebook: the cover press (none: no strip) and the
    // library, for a deep dive's parent (none: the parent is never found).
    struct Sources {
        std::shared_ptr<PressSource> press;
        std::shared_ptr<Library> library;
    };

    SheetHead(std::shared_ptr<NotebookModel> model, double width, double scale, std::function<void()> close,
              std::function<void(double)> height, Sources sources = {});
    SheetHead(const SheetHead&) = delete;
    SheetHead& operator=(const SheetHead&) = delete;

    // ---- Texts ----

    // "NO. 001": the issue number, at least three digits; absent or below 2 reads as 1.
    static std::string issueNumber(const Notebook& nb);
    // "NO. 012  •  Q3 2026": the number and the quarter of the notebook's creation.
    static std::string issueKicker(const Notebook& nb);
    // Who leads the lesson: "YOU LEAD", "YOU WORK IT OUT" or "NOLBY LEADS".
    static std::string modeLabel(const std::string& mode);
    // The title shown, or "A new issue" for an empty one.
    static std::string issueTitle(const Notebook& nb);
    // The first steps of the plan (at most seven); none when the plan is absent, is not a
    // JSON object or has no steps.
    static std::vector<std::string> planSteps(const Notebook& nb);
    // "DEEP DIVE  •  FROM “PARENT TITLE”": the parent's title, "Untitled" when it is empty,
    // "the issue" when the parent is not in the library, upper-cased.
    static std::string diveKicker(const std::optional<Notebook>& parent);
    // The dive's title when it says more than its chosen words (compared lower-cased).
    static std::optional<std::string> diveSubtitle(const Notebook& nb);

    // ---- Layout ----

    // The two kinds of content, `width` wide, from y 0.
    static Laid issue(const Notebook& nb, double k, double width, bool cover);
    static Laid dive(const Notebook& nb, double k, double width, const std::optional<Notebook>& parent, bool close);

    // The whole head as it stands: the content 64 below the top, the rule, 8 below.
    const Laid& laid() const { return laid_; }
    double height() const { return laid_.height; }
    double width() const { return width_; }
    double scale() const { return scale_; }
    double k() const { return scale_ / 1.1; }
    bool isDive() const;

    // Lays the head out again for a new column width or sheet scale.
    void resize(double width, double scale);
    // Reads the notebook, the press and the library again; reports a changed height.
    // Runs by itself when the notebook, the library's notebooks or a press that can be
    // watched change.
    void refresh();
    // Called after every refresh that changed what the head shows (to redraw it).
    std::function<void()> changed;

    // ---- As the sheet's head ----

    // Lays the head out for a column `width` wide at the sheet's scale; answers its height.
    double layout(double width, double scale) override;
    void paint(cairo_t* cr, double now) override;
    void onChange(std::function<void()> changed) override;
    // The close button takes a press on it.
    bool press(Point at) override;

    // ---- Drawing and the close button ----

    // Draws the head in its own coordinates (origin at its top-left).
    void draw(cairo_t* cr) const;
    // Whether the point (head coordinates) is on the close button.
    bool hitsClose(Point p) const;
    // Runs the close action (nothing without one).
    void pressClose() const;
    // The close button's help text.
    static constexpr const char* kCloseHelp = "Close the deep dive \u2014 Esc";

private:
    // Everything the head shows depends on: a notebook change that leaves it alone (a note
    // being typed) costs no layout.
    struct Inputs {
        Notebook nb;
        std::optional<std::string> parentTitle;
        bool parentFound = false;
        std::shared_ptr<const Image> cover;
        double width = 0, scale = 0;
        bool operator==(const Inputs& o) const;
    };
    Inputs inputs() const;
    Laid layOut(const Inputs& in) const;

    std::shared_ptr<NotebookModel> model_;
    double width_;
    double scale_;
    std::function<void()> close_;
    std::function<void(double)> height_;
    Sources sources_;
    std::shared_ptr<const Image> cover_;
    Laid laid_;
    std::optional<Inputs> last_;
    double reported_ = -1;
    Subscription watchNotebook_, watchLibrary_, watchPress_;
};

}  // namespace nolby
