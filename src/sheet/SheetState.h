#pragma once
// What the sheet view publishes for the chrome around it (the pane's selection bar, the
// "Writing below" button, the outline) and what the chrome reaches it through: its layout,
// scroll position, visible height, word selection and outline, and the two flags that drive
// following the tutor's pen.
//
// One exists per sheet pane, made by the pane and kept for its life; the pane hands it to
// the sheet view, which writes it and points `sheet` back at itself (weakly, so closing the
// pane releases both). Every field is observable on its own, and a write of a value equal to
// the stored one is silent: the sheet writes its layout, viewport and selection on every
// relayout and scroll, and this is what keeps those writes from redrawing the chrome when
// nothing changed. Main thread only.

#include "platform/Geometry.h"
#include "platform/Observed.h"
#include "platform/Uuid.h"
#include "sheet/SheetLayout.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace nolby {

class SheetView;

class SheetState {
public:
    // The words selected on the sheet, as the selection bar shows them.
    struct Selection {
        Rect rect;         // the first selected line, in viewport coordinates (y down)
        std::string text;  // the selected words as the selection's actions use them
        bool operator==(const Selection&) const = default;
    };

    // One row of the issue outline: one page item.
    struct Entry {
        enum class Kind { heading, question, dive };
        Uuid id;           // the page item
        Kind kind = Kind::heading;
        std::string text;  // what the row shows
        double y = 0;      // sheet y of the top of the item's ink
        bool operator==(const Entry&) const = default;
    };

    Observed<std::optional<Selection>> selection;
    Observed<bool> following{true};     // the sheet keeps the writing pen in view
    Observed<bool> writingBelow{false};  // the pen writes below the view while not followed
    Observed<double> scrollY{0};         // sheet y of the visible part's top edge
    Observed<double> viewport{0};        // height of the visible part
    Observed<std::optional<SheetLayout>> layout;  // none until the first relayout
    Observed<std::vector<Entry>> outline;         // in sheet order
    std::weak_ptr<SheetView> sheet;               // set by the sheet view that shows this state

    SheetState() = default;
    SheetState(const SheetState&) = delete;
    SheetState& operator=(const SheetState&) = delete;
};

}  // namespace nolby
