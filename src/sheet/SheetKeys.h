#pragma once
// The sheet's keys: the standard editing and movement commands, which keys give them on
// this desktop (Ctrl where other desktops use Command, Alt for Option), and what each does
// to the sheet's typing. Ctrl+Return is left to the menus. Commands the sheet has no use for
// are swallowed.

#include <optional>
#include <string>
#include <string_view>

namespace nolby {

class SheetTextInput;

struct SheetKeys {
    enum class Key { other, returnKey, enter, escape, backspace, del, left, right, up, down, pageUp, pageDown, home, end };
    struct Modifiers {
        bool shift = false, control = false, alt = false, meta = false;
    };
    enum class Command {
        insertNewline,
        insertNewlineIgnoringFieldEditor,
        insertLineBreak,
        cancelOperation,
        deleteBackward,
        deleteWordBackward,
        deleteToBeginningOfLine,
        deleteToBeginningOfParagraph,
        moveUp,
        scrollLineUp,
        moveDown,
        scrollLineDown,
        pageUp,
        scrollPageUp,
        pageDown,
        scrollPageDown,
        moveToBeginningOfDocument,
        scrollToBeginningOfDocument,
        moveToEndOfDocument,
        scrollToEndOfDocument,
        other,  // a command the sheet swallows
    };

    // The command a key gives; none for a key that is not the sheet's (it goes on to the
    // window: Ctrl+Return, Tab, keys with Meta).
    static std::optional<Command> command(Key key, Modifiers mods);
    // Performs a command. `shift`: Shift held in the event that gave it.
    static void perform(Command command, bool shift, SheetTextInput& input);

    // The three ways of erasing, applied to the end of the text.
    static std::string dropLastCharacter(std::string_view text);
    // Trailing white space, then back to (not including) the white space before the word.
    static std::string dropLastWord(std::string_view text);
    static std::string dropAll(std::string_view) { return {}; }
};

}  // namespace nolby
