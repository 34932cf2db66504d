#pragma once
// The few small pictograms the magazine chrome shows (window buttons, the begin button),
// drawn as our own strokes: nothing here depends on an icon font.

#include "platform/Color.h"
#include "platform/Geometry.h"

#include <cairo.h>

namespace nolby::symbols {

enum class Symbol { minus, square, xmark, asterisk };

// Draws the symbol for a font of `size` points centred on `centre`; `weight` from 0 (thin)
// to 1 (black) sets its stroke.
void draw(cairo_t* cr, Symbol symbol, Point centre, double size, double weight, Color color);

}  // namespace nolby::symbols
