#pragma once
// Blocks on a notebook page, as the ink cache makes them, and reply objects from text.

#include "ink/Faces.h"
#include "ink/J.h"
#include "ink/blocks/Blocks.h"

#include <memory>
#include <string>
#include <vector>

namespace nolby::testing {

inline const Color kAccent = Color::hex(0x1971c2);

inline Blocks page(double pageW = 400) {
    Faces::registerFrom();
    return Blocks{{pageW, 869}, kAccent};
}

// A reply object from one JSON line (the tests write valid ones).
inline J obj(const std::string& json) { return *J::parse(json); }

// The operation as a T, sharing it (so it outlives the list it came in), or null.
template <class T>
std::shared_ptr<const T> sharedAs(const InkOpRef& op) {
    return std::dynamic_pointer_cast<const T>(op);
}

// The laid-out operations of one class, in order.
template <class T>
std::vector<std::shared_ptr<const T>> opsOf(const Laid& laid) {
    std::vector<std::shared_ptr<const T>> out;
    for (const auto& op : laid.ops)
        if (auto t = std::dynamic_pointer_cast<const T>(op)) out.push_back(t);
    return out;
}

}  // namespace nolby::testing
