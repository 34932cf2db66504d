#pragma once
// The pen stroke being drawn: its filled outline, in the pen's colour, or for the marker
// multiplied onto the page in the highlighter's colour at 75 %.

#include "platform/Color.h"
#include "platform/Path.h"

#include <cairo.h>

#include <optional>
#include <string>

namespace nolby {

struct LiveStroke {
    std::optional<Path> outline;  // page points; none while no stroke is in progress
    bool marker = false;          // the marker tool is in hand
    std::optional<std::string> markerName;
    Color penColor;
    double scale = 1;
    double ox = 0;  // the page's left edge in the view

    // The colour and operator the outline is filled with.
    Color fillColor() const;
    cairo_operator_t fillOperator() const { return marker ? CAIRO_OPERATOR_MULTIPLY : CAIRO_OPERATOR_OVER; }

    void draw(cairo_t* cr) const;

    bool operator==(const LiveStroke&) const = default;
};

}  // namespace nolby
