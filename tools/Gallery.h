#pragma once
// Named drawings of every operation kind, rendered headless at several reveal fractions
// so a person can look at them (in the manner of a graphics library's test pictures).

#include "ink/ops/InkOp.h"

#include <string>
#include <vector>

namespace nolby::tools {

struct GalleryCase {
    std::string name;
    double width, height;
    std::vector<InkOpRef> ops;
};

std::vector<GalleryCase> galleryCases();

// Writes OUTDIR/<name>.png for every case: three panels at t = 0.25, 0.5 and 1. Prints the
// operations to `out`. False when a file could not be written.
bool renderGallery(const std::string& outdir, std::FILE* out);

}  // namespace nolby::tools
