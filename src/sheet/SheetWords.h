#pragma once
// The words of the tutor's replies as the sheet shows them, and the learner's selection of
// them: which word lies under a point, which is nearest while dragging, which are selected,
// and the selection's text forms (the text copied, the phrase the word actions use, the
// passage of the touched blocks) and its lines. Hit-testing asks for a page's words on every
// pointer event, so they are cached per page and fetched again only when the page's content
// or the writing changed. Main thread only.

#include "model/NotebookModel.h"
#include "sheet/SheetLayout.h"

#include <compare>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nolby {

class SheetWords {
public:
    // A word of a page: the page index and the index into that page's word list. Ordered by
    // page, then word.
    struct Ref {
        int page = 0;
        int word = 0;
        auto operator<=>(const Ref&) const = default;
    };
    // Where a selection began and where it ends now; it runs from the smaller end to the
    // larger, both included.
    struct Selection {
        Ref anchor, focus;
        Ref lo() const { return std::min(anchor, focus); }
        Ref hi() const { return std::max(anchor, focus); }
        bool operator==(const Selection&) const = default;
    };
    // A selected word with its page.
    struct Picked {
        int page = 0;
        NotebookModel::Word word;
        bool operator==(const Picked&) const = default;
    };

    // The page's words in reading order, from the cache while the page (its identity and its
    // content version) and the writer's version are those they were fetched for.
    const std::vector<NotebookModel::Word>& words(NotebookModel& model, int page);
    std::optional<NotebookModel::Word> word(NotebookModel& model, Ref ref);
    // The first word whose box, grown by 3 on every side, holds the page point.
    std::optional<int> wordUnder(NotebookModel& model, Point at, int page);
    // The word nearest a page point, vertical distance weighing three times; on a page
    // without words, the last word of the nearest earlier page in the layout that has some,
    // else the first of the nearest later one.
    std::optional<Ref> nearestWord(NotebookModel& model, const SheetLayout& layout, Point at, int page);
    // The deep-dive mark under a page point: a mark's rectangle counts 2 beyond its sides
    // and 4 above and below.
    static std::optional<Uuid> dive(NotebookModel& model, Point at, int page);
    // The selected words in layout order.
    std::vector<Picked> picked(NotebookModel& model, const SheetLayout& layout, const Selection& selection);
    // The words of the block of `ref`, in the page's order: (first, last) indices.
    std::optional<std::pair<int, int>> blockRange(NotebookModel& model, Ref ref);
    // Every word of the blocks the picked words touch, a space between words and a line feed
    // between blocks, blocks in the order first met.
    std::string passage(NotebookModel& model, const std::vector<Picked>& picked);

    // The words copied: a space between words of one block (none before closing punctuation),
    // a blank line between blocks.
    static std::string selectedText(const std::vector<Picked>& picked);
    // The words the actions hand on: blank lines as spaces, quotes, brackets, punctuation and
    // white space trimmed at both ends ("“entropy,”" gives "entropy").
    static std::string phrase(std::string_view selectedText);
    // The selected lines on the sheet: word boxes mapped through their page's slice, grown by
    // 2 across and 1.5 down, merged along a line.
    static std::vector<Rect> selectedLines(const SheetLayout& layout, const std::vector<Picked>& picked);
    // The picked words of one page merged into lines, in page points.
    static std::vector<Rect> linesOnPage(const std::vector<Picked>& picked, int page);
    // Word boxes merged into lines: a box joins the last line when their vertical middles
    // are less than half the box's height apart.
    static std::vector<Rect> lines(const std::vector<Rect>& boxes);

    // Forgets every page (for a model that changed wholesale).
    void clear() { cache_.clear(); }

private:
    // What a page's words were fetched for: the page's identity, its content version and the
    // writer's version, each on its own (a sum of versions can meet itself again).
    struct Key {
        Uuid page;
        int64_t version = 0;
        int scribe = 0;
        bool operator==(const Key&) const = default;
    };
    struct Entry {
        Key key;
        std::vector<NotebookModel::Word> words;
    };
    std::map<int, Entry> cache_;
};

}  // namespace nolby
