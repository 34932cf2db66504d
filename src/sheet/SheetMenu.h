#pragma once
// The sheet's context menu: the word actions offered on the selection phrase, and which of
// them are enabled. Only the titles and the order are decided here; the Qt side builds the
// menu from them.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nolby {

struct SheetMenu {
    enum class Action { askAbout, explain, goDeeper, copy, lookUp, selectAll };
    struct Item {
        std::optional<Action> action;  // none: a separator
        std::string title;
        bool operator==(const Item&) const = default;
    };

    // The items for a selection phrase (empty: nothing selected, only "Select All").
    static std::vector<Item> items(std::string_view phrase);
    // The phrase as a title shows it: whole below 29 characters, else its first 26 and "…".
    static std::string label(std::string_view phrase);
    // Actions on the selection are enabled only while there is one.
    static bool enabled(Action action, bool hasSelection);
};

}  // namespace nolby
