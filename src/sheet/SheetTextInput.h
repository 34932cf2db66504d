#pragma once
// The keyboard side of the sheet: typing a question anywhere on the sheet without clicking
// first, composed input from input methods, Return to send, Escape, erasing, and the line,
// page and document moves. Typing opens a note at the typing spot, or a margin note about
// the selected words; every keystroke edits the model's note in place. The insertion point
// is always at the end of the note. Draws nothing. Main thread only.

#include "sheet/SheetPointer.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace nolby {

class SheetTextInput {
public:
    // A range of the note's text in UTF-16 code units, as input methods count.
    struct Range {
        static constexpr int64_t notFound = -1;
        int64_t location = notFound;
        int64_t length = 0;
        bool operator==(const Range&) const = default;
    };

    SheetTextInput(SheetPointerHost& host, SheetTyping& typing, SheetPointer& pointer)
        : host_(host), typing_(typing), pointer_(pointer) {}

    // ---- Text ----

    // The one path for inserted text. `shift`: Shift held in the event that typed it.
    void type(std::string_view s, bool shift = false);
    // The clipboard's text, typed; nothing without text.
    void paste();
    // Committed text from the input method: it replaces the composing text.
    void insertText(std::string_view s);
    // The input method's composing text, shown at the end of the note.
    void setMarkedText(std::string_view s);
    // Ends the composition; the note keeps the text shown so far.
    void unmarkText() { marked_.clear(); }
    bool hasMarkedText() const { return !marked_.empty(); }
    Range markedRange() const;
    Range selectedRange() const;
    // The caret on the sheet (1 point wide, as tall as the caret); none without a note.
    std::optional<Rect> caretRect() const;

    // ---- Actions ----

    // Return: sends the note (commits it and asks the tutor), or takes the next step.
    void send();
    // Escape: drops the typing, else the selection, else closes a deep dive.
    void escape();
    // Applies a text function to the draft, else to the open note; never closes a note.
    void erase(const std::function<std::string(std::string_view)>& f);
    // Scrolls by a line (dir −1 up, 1 down) unless the open note has text.
    void line(double dir);
    // Scrolls by the visible height less 72. Up stops following the pen; down leaves
    // following as it is (Page Down and the space bar).
    void page(bool down);
    // Goes to the start (following off) or the end (following on) of the sheet.
    void toStart();
    void toEnd();

    // ---- Undo and redo of typing ----

    bool undoTyping();
    bool redoTyping();

    const std::string& draft() const { return typing_.draft; }
    const std::string& marked() const { return marked_; }
    const std::string& unmarked() const { return unmarked_; }

    // UTF-16 code units of UTF-8 text (a character outside the basic plane counts 2).
    static int64_t utf16Length(std::string_view s);

private:
    // Opens a note for typing: about the selection when there is one, else at the typing
    // spot. True when a note is open afterwards.
    bool openNote(NotebookModel& model);
    void setNoteText(NotebookModel& model, std::string text);
    // The stored text of the reopened note being typed; none for a new note or one gone.
    static std::optional<std::string> storedText(const NotebookModel& model);

    struct Untyped {
        Uuid id;
        std::string text;
    };

    SheetPointerHost& host_;
    SheetTyping& typing_;
    SheetPointer& pointer_;
    std::string marked_, unmarked_;
    std::optional<Untyped> untyped_;
};

}  // namespace nolby
