#pragma once
// The few small pictograms the magazine chrome shows (window buttons, the begin button, the
// sheet's floating buttons), drawn as our own strokes: nothing here depends on an icon font.

#include "platform/Color.h"
#include "platform/Geometry.h"

#include <cairo.h>

namespace nolby::symbols {

// textBubble is a speech bubble with two lines of text in it; the arrows point down and
// down-right.
enum class Symbol { minus, square, xmark, asterisk, textBubble, arrowDown, arrowDownRight };

// Draws the symbol for a font of `size` points centred on `centre`; `weight` from 0 (thin)
// to 1 (black) sets its stroke.
void draw(cairo_t* cr, Symbol symbol, Point centre, double size, double weight, Color color);
// The width a symbol takes beside text of `size` points.
double width(Symbol symbol, double size);

}  // namespace nolby::symbols
