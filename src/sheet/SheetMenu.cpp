#include "sheet/SheetMenu.h"

#include "platform/Unicode.h"

namespace nolby {

namespace {

// Words separated by spaces; runs of spaces separate once.
size_t wordCount(std::string_view text) {
    size_t n = 0;
    bool inWord = false;
    for (char c : text) {
        if (c == ' ') {
            inWord = false;
        } else if (!inWord) {
            inWord = true;
            ++n;
        }
    }
    return n;
}

}  // namespace

std::string SheetMenu::label(std::string_view phrase) {
    if (unicode::graphemeCount(phrase) < 29) return std::string(phrase);
    return unicode::prefix(phrase, 26) + "\u2026";
}

std::vector<SheetMenu::Item> SheetMenu::items(std::string_view phrase) {
    std::vector<Item> out;
    if (!phrase.empty()) {
        const std::string l = label(phrase);
        out.push_back({Action::askAbout, "Ask About \u201C" + l + "\u201D"});
        out.push_back({Action::explain, "Explain"});
        out.push_back({Action::goDeeper, "Go Deeper"});
        out.push_back({std::nullopt, ""});
        out.push_back({Action::copy, "Copy"});
        if (wordCount(phrase) <= 3) out.push_back({Action::lookUp, "Look Up \u201C" + l + "\u201D"});
        out.push_back({std::nullopt, ""});
    }
    out.push_back({Action::selectAll, "Select All"});
    return out;
}

bool SheetMenu::enabled(Action action, bool hasSelection) { return action == Action::selectAll || hasSelection; }

}  // namespace nolby
