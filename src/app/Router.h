#pragma once
// Hand-offs that wait for the desk: a topic from the Learn shortcut, and the question a new
// notebook was begun with, to be written and asked once that notebook is on screen.
// Main thread only; one for the process, never released.

#include "platform/Observed.h"
#include "platform/Uuid.h"

#include <optional>
#include <string>

namespace nolby {

class Router {
public:
    // A question and the notebook begun for it. Only that notebook receives it: another
    // empty notebook shown first (a window restored, one opened from the shelf) leaves it.
    struct Pending {
        Uuid notebook;
        std::string question;
        bool operator==(const Pending&) const = default;
    };

    static Router& shared();

    Observed<std::optional<std::string>> learn;
    Observed<std::optional<Pending>> pendingQuestion;
};

}  // namespace nolby
