#pragma once
// The pointer side of the sheet: what a press, a drag, a release, a right click or a look-up
// does, and the word actions on the selection (ask about it in a margin note, have it
// explained, go deeper into it, copy it, look it up). Presses that miss the words go to the
// model: they open or reopen a typed note, answer a check-in question in its answer room, or
// only end the note being typed. Holds the selection and the press state; draws nothing.
// Main thread only.

#include "sheet/SheetPointerHost.h"
#include "sheet/SheetWords.h"

#include <optional>
#include <string>
#include <vector>

namespace nolby {

// What the keyboard keeps of the typing and the pointer ends or asks for: text typed while
// no note could open, and the wish to bring the caret into view after the next relayout.
struct SheetTyping {
    std::string draft;
    bool revealCaret = false;
};

class SheetPointer {
public:
    enum class Cursor { arrow, pointingHand, iBeam };

    SheetPointer(SheetPointerHost& host, SheetTyping& typing) : host_(host), typing_(typing) {}

    // ---- Pointer events, in sheet points ----

    // A press with its click count; `extend` when Shift is held.
    void down(Point at, int clicks, bool extend);
    void dragged(Point to);
    void up();
    Cursor cursor(Point at);
    // Before a context menu: a word under the pointer outside the selection becomes it.
    void menuAt(Point at);
    // A look-up gesture on a word: it becomes the selection and is looked up.
    void quickLook(Point at);

    // ---- Word actions ----

    bool startNote();
    void askAbout() { startNote(); }
    void explain();
    void goDeeper();
    void copy();
    void selectAll();
    // Every word of the pages laid out, first to last; none when they hold no words.
    std::optional<SheetWords::Selection> allWords();
    void lookUp();

    // ---- The selection ----

    const std::optional<SheetWords::Selection>& selection() const { return selection_; }
    void setSelection(std::optional<SheetWords::Selection> s);
    // Clears the selection and redraws it when there is one.
    void clearSelection();
    std::vector<SheetWords::Picked> picked();
    std::string selectedText();
    // The selected text as the actions use it: blank lines as spaces, trimmed.
    std::string phrase();
    std::string passage();
    std::vector<Rect> selectedLines();
    std::vector<Rect> selectedLines(int onPage);

    bool dragging() const { return dragging_; }
    bool clickOnly() const { return clickOnly_; }
    const std::optional<Uuid>& pressedDive() const { return pressedDive_; }
    SheetWords& words() { return words_; }

private:
    // A press below the words: the model's click, or only the end of the note being typed.
    void pressPaper(NotebookModel& model, const SheetLayout& layout, Point at, int page, Point q);
    bool inColumn(const SheetLayout& layout, double x) const;
    // The word under a sheet point, inside a slice.
    std::optional<SheetWords::Ref> wordAt(Point at);

    SheetPointerHost& host_;
    SheetTyping& typing_;
    SheetWords words_;
    std::optional<SheetWords::Selection> selection_;
    bool dragging_ = false;
    bool clickOnly_ = false;
    std::optional<Uuid> pressedDive_;
};

}  // namespace nolby
