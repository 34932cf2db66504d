#pragma once
// The paper behind one page and its magazine furniture: the paper texture, on the opening
// page a cover band, the masthead line with the issue number and title, and the folio with
// the page number and the brand. A plain value drawn into a cairo context at the size the
// page view offers it (view points, origin at the top left).

#include "ink/mag/ChromeText.h"
#include "notebook/Notebook.h"
#include "platform/Geometry.h"
#include "press/CoverBand.h"

#include <cairo.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nolby {

struct PaperView {
    // Where the page sits in a spread; chooses the layout of the furniture.
    enum class PageSide { single, left, right };

    // What the paper reads of its notebook. Made from a Notebook, so a paper value stays
    // small however many pages the notebook has.
    struct Issue {
        Uuid id;
        std::string title;
        std::optional<int64_t> issue;
        std::string color = "blue";

        Issue() = default;
        Issue(const Notebook& nb) : id(nb.id), title(nb.title), issue(nb.issue), color(nb.color) {}  // NOLINT: implicit
        bool operator==(const Issue&) const = default;
    };

    Size pageSize;                  // carried only: the drawing takes the offered size
    double scale = 1;               // carried only
    int64_t number = 1;             // the page number in the folio, from 1
    Issue notebook;
    double top = 76;                // top margin in view points; sets the cover band's height
    double furniture = 1;           // size factor of every text and rule of the furniture
    std::optional<double> headY;    // centre of the masthead line; none: 72
    std::optional<double> folioY;   // centre of the folio; none: the view height − 53
    bool openerBand = true;         // whether page 1 may carry the cover band
    PageSide side = PageSide::single;
    bool ground = true;             // whether the paper texture is drawn

    // The fields as the page view fills them in for page `index` of the notebook at view
    // scale `s`: the single-page form for a single side, the sided form otherwise.
    static PaperView forPage(const Notebook& nb, int64_t index, double s, PageSide side, bool ground);

    // The opening page: the band is allowed, this is page 1 and the notebook has a title.
    bool opener() const;
    // The masthead's text ("NO. 007  ·  FRACTIONS"); empty when the notebook has no title.
    std::string masthead() const;
    // The folio's page number ("07").
    std::string folioNumber() const;
    // The cover band's height: max(top − 18, 70).
    double bandHeight() const;

    // Draws the paper at the offered size W × H, the band as `band` shows it. Nothing for a
    // size below 1 or not finite, or a furniture factor or margin that is not finite.
    void draw(cairo_t* cr, Size offered, const CoverBand::Look& band = {}) const;

    // The masthead as set: the line, its left end and baseline in view points.
    struct MastheadLine {
        chrome::Line line;
        double x = 0, baseline = 0;
    };
    // None without a title, a furniture factor or room for the line.
    std::optional<MastheadLine> mastheadLine(double W) const;

    // One item of the folio row, laid out in view points.
    struct FolioPart {
        enum class Kind { brand, rule, number };
        Kind kind;
        chrome::Line text;  // empty for the rule
        Rect frame;         // the item's box, centred on the folio's y
        Color color;
    };
    // The folio's row at the offered size, left to right: number, rule, brand on a single or
    // left page, brand, rule, number on a right page. Empty without a furniture factor.
    std::vector<FolioPart> folio(double W, double H) const;

    // The parts, each drawn on its own (the body draws them in this order).
    void drawGround(cairo_t* cr, double W, double H) const;
    void drawBand(cairo_t* cr, double W, const CoverBand::Look& band) const;
    void drawMasthead(cairo_t* cr, double W) const;
    void drawFolio(cairo_t* cr, double W, double H) const;

    bool operator==(const PaperView&) const = default;
};

// The back of a page view of `view` size: the paper colour over the whole view when
// `ground` is set, then the paper and its furniture when there is one. Nothing for a size
// below 1 or not finite.
void drawPageBack(cairo_t* cr, Size view, bool ground, const PaperView* paper, const CoverBand::Look& band = {});

}  // namespace nolby
