#pragma once
// Renders operations onto paper into a PNG, sized to what they cover.

#include "ink/ops/InkOp.h"

#include <string>
#include <vector>

namespace nolby::tools {

// Draws the operations at reveal t on paper covering `area` (null: their bounds) plus a
// margin, at 2 pixels per point. False when the file could not be written.
bool renderPng(const std::vector<InkOpRef>& ops, Rect area, double t, const std::string& file);

}  // namespace nolby::tools
