#pragma once
// A typed note on a page, or a margin note about some words (anchor and about).

#include "notebook/ContentHasher.h"
#include "platform/Date.h"
#include "platform/Geometry.h"
#include "platform/Uuid.h"

#include <cstdint>
#include <optional>
#include <string>

namespace nolby {

struct TextItem {
    Uuid id = Uuid::random();
    double x = 0;
    double y = 0;      // top of the note
    double width = 0;  // the width the text wraps to
    std::string text;  // inline handwriting markup
    std::string color;
    double size = 0;
    Date created = ReferenceClock::now();
    std::optional<int64_t> turn;  // the tutor turn that read it; absent while unread
    bool spoken = false;
    std::optional<Rect> anchor;  // on a margin note: the words it is about, drawn circled
    std::optional<std::string> about;

    void hashInto(ContentHasher& h) const {
        h.combine(id);
        h.combine(x);
        h.combine(y);
        h.combine(width);
        h.combine(std::string_view(text));
        h.combine(std::string_view(color));
        h.combine(size);
        h.combine(created);
        h.combine(turn);
        h.combine(spoken);
        h.combine(anchor);
        h.combine(about.has_value());
        if (about) h.combine(std::string_view(*about));
    }

    // Memberwise: the note editor tells an edited note from an unchanged one by this.
    bool operator==(const TextItem&) const = default;
};

}  // namespace nolby
