#pragma once
// The learner's stored pen stroke, filled as a variable-width outline. Its outline and
// drawing come with the pen stroke outlines; here it takes its place among the operations.

#include "ink/ops/InkOp.h"

namespace nolby {

class InkStrokeOp : public InkOp {
public:
    const char* className() const override { return "InkStrokeOp"; }

protected:
    InkStrokeOp() = default;
};

}  // namespace nolby
