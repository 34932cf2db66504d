#pragma once
// What the writer asks of an operation's kind. It looks through wrappers (shifts, turns,
// pace) to the innermost operation and tests its exact class: a subclass is another kind.

#include "ink/ops/FillOp.h"
#include "ink/ops/ImageOp.h"
#include "ink/ops/MonoOp.h"
#include "ink/ops/PhraseOp.h"
#include "ink/ops/StrokeOp.h"
#include "ink/ops/TextOp.h"
#include "ink/ops/WrapOp.h"

#include <typeinfo>

namespace nolby::scribe {

inline const InkOp& innermost(const InkOp& op) {
    const InkOp* p = &op;
    while (auto wrap = dynamic_cast<const WrapOp*>(p)) {
        if (!wrap->inner) break;
        p = wrap->inner.get();
    }
    return *p;
}

// Stroked and filled paths: the stage animates them itself, so they get no bitmap.
inline bool isPath(const InkOp& base) { return typeid(base) == typeid(StrokeOp) || typeid(base) == typeid(FillOp); }
// Paintings: they get a bloom.
inline bool isImage(const InkOp& base) { return typeid(base) == typeid(ImageOp); }
// Text is written at the base pace; everything else at the stroke pace on top.
inline bool isText(const InkOp& base) {
    return typeid(base) == typeid(MonoOp) || typeid(base) == typeid(TextOp) || typeid(base) == typeid(PhraseOp);
}

}  // namespace nolby::scribe
