#pragma once
// What a pane of the issue view may ask of the view that stacks it: open a deep dive on words
// it shows, open a dive by its id (a dive mark clicked), close itself (dives only), and say
// that it took keyboard focus.

#include "platform/Geometry.h"
#include "platform/Uuid.h"

#include <functional>
#include <string>
#include <vector>

namespace nolby {

struct PaneActions {
    // The chosen words, the passage around them, the page index and the selection's line
    // rectangles on that page.
    std::function<void(const std::string& words, const std::string& passage, int page, const std::vector<Rect>& rects)> dive;
    std::function<void(const Uuid& notebook)> open;
    // Present only for dives: the notebook's own pane cannot be closed this way.
    std::function<void()> close;
    std::function<void()> focused;
};

}  // namespace nolby
