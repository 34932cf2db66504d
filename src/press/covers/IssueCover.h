#pragma once
// The front cover of one notebook as a magazine issue: the painting from the cover press
// (or the printed placeholder while there is none) in one of three designs, with the
// nameplate, the issue number and dateline, the title and a line of facts. The design
// follows the issue number, so neighbouring issues on the shelf differ. Every measure is a
// fraction of the cover's width (a few of its height), so it draws at any size.

#include "notebook/NotebookHead.h"
#include "platform/Color.h"
#include "platform/Date.h"
#include "platform/Geometry.h"
#include "press/CoverBand.h"

#include <nlohmann/json.hpp>

#include <cairo.h>

#include <optional>
#include <string>
#include <vector>

namespace nolby {

struct IssueCover {
    enum class Design { bleed, grid, editorial };

    NotebookHead notebook;
    // A big cover: nameplate, issue line, the grid's first rule and the editorial contents
    // sit 46 points lower, the foot 30 points higher, and a few measures grow.
    bool large = false;
    // "Today" for the line of facts.
    Date now = ReferenceClock::now();

    // What the art shows: the painting (or none) and its arrival, as the cover's CoverBand
    // reads the press; whether the press is painting it; the press mark's pulse (0...1).
    struct Art {
        CoverBand::Look look;
        bool printing = false;
        double pulse = 0;
    };

    // What a drawing set: its design, whether it had a lens and a retro window, and every
    // text in drawing order (as shown, after any cut).
    struct Drawn {
        Design design = Design::bleed;
        bool lens = false;
        bool window = false;
        std::vector<std::string> texts;
    };

    // Issue n gets entry ((n − 1) mod 4) of bleed, grid, bleed, editorial; no number, or one
    // below 1, counts as issue 1.
    static Design design(std::optional<int64_t> issue);
    Design design() const { return design(notebook.issue); }
    // "No. 007": the issue number, at least 1, in three digits.
    std::string issueText() const;
    // The title as a file name: the first three words lower-cased and joined with "_", cut to
    // 18 characters ("untitled" when empty), and ".ink".
    std::string slug() const;
    // "a new notebook" without a written page, else "3 pages · today" (or "yesterday", or
    // the day as "Dec 8").
    std::string meta() const;
    // The title, or "New issue".
    std::string shownTitle() const;
    // The plan's "doodle" items when the plan is an object that has that array.
    std::optional<nlohmann::json> doodle() const;

    // Draws the cover filling `size` with its top left at the origin, clipped to it.
    Drawn draw(cairo_t* cr, Size size, const Art& art) const;

private:
    struct Frame;
    void drawArt(cairo_t* cr, const Rect& area, const Art& art) const;
    void masthead(cairo_t* cr, Frame& f, Color color) const;
    void issueLine(cairo_t* cr, Frame& f, double y, Color color) const;
    void coverLine(cairo_t* cr, Frame& f, Color color) const;
    void bleed(cairo_t* cr, Frame& f, const Art& art) const;
    void grid(cairo_t* cr, Frame& f, const Art& art) const;
    void editorial(cairo_t* cr, Frame& f, const Art& art) const;
};

}  // namespace nolby
