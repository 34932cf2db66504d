#include "sheet/SheetKeys.h"

#include "platform/Unicode.h"
#include "sheet/SheetTextInput.h"

namespace nolby {

std::optional<SheetKeys::Command> SheetKeys::command(Key key, Modifiers m) {
    if (m.meta) return std::nullopt;
    const bool ctrl = m.control, alt = m.alt;
    switch (key) {
        case Key::returnKey:
        case Key::enter:
            if (ctrl) return std::nullopt;  // the menu's "send and next step"
            if (alt) return Command::insertNewlineIgnoringFieldEditor;
            return Command::insertNewline;
        case Key::escape: return Command::cancelOperation;
        case Key::backspace:
            if (ctrl && m.shift) return Command::deleteToBeginningOfLine;
            if (ctrl || alt) return Command::deleteWordBackward;
            return Command::deleteBackward;
        case Key::up: return ctrl ? Command::moveToBeginningOfDocument : Command::moveUp;
        case Key::down: return ctrl ? Command::moveToEndOfDocument : Command::moveDown;
        case Key::pageUp: return Command::pageUp;
        case Key::pageDown: return Command::pageDown;
        case Key::home: return ctrl ? Command::moveToBeginningOfDocument : Command::scrollToBeginningOfDocument;
        case Key::end: return ctrl ? Command::moveToEndOfDocument : Command::scrollToEndOfDocument;
        case Key::del:
        case Key::left:
        case Key::right: return Command::other;
        case Key::other: return std::nullopt;
    }
    return std::nullopt;
}

void SheetKeys::perform(Command c, bool shift, SheetTextInput& input) {
    switch (c) {
        case Command::insertNewline:
            if (shift) input.type("\n", true);
            else input.send();
            return;
        case Command::insertNewlineIgnoringFieldEditor:
        case Command::insertLineBreak: input.type("\n", shift); return;
        case Command::cancelOperation: input.escape(); return;
        case Command::deleteBackward: input.erase(dropLastCharacter); return;
        case Command::deleteWordBackward: input.erase(dropLastWord); return;
        case Command::deleteToBeginningOfLine:
        case Command::deleteToBeginningOfParagraph: input.erase(dropAll); return;
        case Command::moveUp:
        case Command::scrollLineUp: input.line(-1); return;
        case Command::moveDown:
        case Command::scrollLineDown: input.line(1); return;
        case Command::pageUp:
        case Command::scrollPageUp: input.page(false); return;
        case Command::pageDown:
        case Command::scrollPageDown: input.page(true); return;
        case Command::moveToBeginningOfDocument:
        case Command::scrollToBeginningOfDocument: input.toStart(); return;
        case Command::moveToEndOfDocument:
        case Command::scrollToEndOfDocument: input.toEnd(); return;
        case Command::other: return;
    }
}

std::string SheetKeys::dropLastCharacter(std::string_view text) {
    const std::vector<size_t> bounds = unicode::graphemeBounds(text);
    if (bounds.size() < 2) return {};
    return std::string(text.substr(0, bounds[bounds.size() - 2]));
}

std::string SheetKeys::dropLastWord(std::string_view text) {
    std::u32string u = unicode::toUtf32(text);
    while (!u.empty() && unicode::isWhitespace(u.back())) u.pop_back();
    while (!u.empty() && !unicode::isWhitespace(u.back())) u.pop_back();
    return unicode::toUtf8(u);
}

}  // namespace nolby
