#pragma once
// Operations as JSON lines, one object a line, for people and for tools outside the
// project (keep the keys stable):
//   "op"     class name of the innermost operation
//   "wrap"   wrapper class names from the outside in
//   "bounds" [x, y, w, h] of the whole operation, or null
//   "cost", "pace", "pause"
//   "text"   text operations only
//   "color"  "#rrggbbaa" (strokes, fills, text)
//   "width"  strokes only
//   "blend"  "normal", "multiply", ...
// and for layouts a last line {"height": h, "rooms": [[x, y, w, h], ...]}.

#include "ink/ops/Laid.h"

#include <cstdio>
#include <string>

namespace nolby::tools {

// A JSON string literal of the text.
std::string quoted(const std::string& s);
std::string opJson(const InkOp& op);
std::string laidJson(const Laid& laid);
void printOps(std::FILE* out, const std::vector<InkOpRef>& ops);

}  // namespace nolby::tools
