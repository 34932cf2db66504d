#pragma once
// A window of an old desktop interface around any content: a blue title bar with the title
// and three grey buttons, a grey frame and a white content area, with a soft drop shadow.
// Every measure is a multiple of `scale`.

#include "platform/Geometry.h"

#include <cairo.h>

#include <functional>
#include <string>

namespace nolby {

struct RetroWindow {
    std::string title;
    double scale = 1;

    // Measures in units of scale.
    static constexpr double kBar = 13;      // title bar height
    static constexpr double kButtonW = 10;  // button frame
    static constexpr double kButtonH = 9;
    static constexpr double kTitle = 7.5;   // title size
    static constexpr double kSymbol = 5.5;  // button symbol size

    // Where the content goes in a window drawn in `frame`.
    Rect contentFrame(const Rect& frame) const;
    // Draws the window in `frame`; `content` draws into its content frame, clipped to it.
    void draw(cairo_t* cr, const Rect& frame, const std::function<void(cairo_t*, const Rect&)>& content) const;
};

}  // namespace nolby
