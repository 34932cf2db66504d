#pragma once
// One finished tutor turn, as the tutor recorded it.

#include "notebook/ContentHasher.h"
#include "platform/Date.h"

#include <cstdint>
#include <string>

namespace nolby {

struct Turn {
    Date at = ReferenceClock::now();  // when the turn ended
    std::string read;   // what the tutor read in the learner's writing
    std::string kind;   // the kind of writing it read
    std::string reply;  // a short transcript of the reply
    int64_t page = 0;   // the page the reply was written on

    void hashInto(ContentHasher& h) const {
        h.combine(at);
        h.combine(std::string_view(read));
        h.combine(std::string_view(kind));
        h.combine(std::string_view(reply));
        h.combine(page);
    }

    bool operator==(const Turn&) const = default;
};

}  // namespace nolby
