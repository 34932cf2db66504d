#pragma once
// Blocks on a notebook page, as the ink cache makes them, and reply objects from text.

#include "ink/Faces.h"
#include "ink/J.h"
#include "ink/blocks/Blocks.h"

#include <string>

namespace nolby::testing {

inline const Color kAccent = Color::hex(0x1971c2);

inline Blocks page(double pageW = 400) {
    Faces::registerFrom();
    return Blocks{{pageW, 869}, kAccent};
}

// A reply object from one JSON line (the tests write valid ones).
inline J obj(const std::string& json) { return *J::parse(json); }

}  // namespace nolby::testing
