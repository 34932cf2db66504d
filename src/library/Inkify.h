#pragma once
// Turns a painting on white paper into ink on transparent paper, so the notebook's own
// paper shows through: white vanishes, ink keeps its colour with the white taken out.

#include "platform/Image.h"

#include <memory>

namespace nolby {

// The ink image of a painting of the same size; null when no bitmap can be had.
// Translucent parts of the painting count as lying on white paper.
std::shared_ptr<const Image> inkify(const Image& painting);

}  // namespace nolby
