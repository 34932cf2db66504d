// Arbitrary bytes through the maths lexer, parser and typesetter: never a crash, always a
// row, every required child present, every space finite, the tree shallow (the layout walks
// it recursively), the same tree on a second reading, and finite ink.
#include "FuzzSupport.h"
#include "ink/Ink.h"
#include "ink/math/Lexer.h"
#include "ink/math/MathInk.h"
#include "ink/math/Parser.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

using namespace nolby;
using namespace nolby::fuzz;
using namespace nolby::math;

namespace {

// Returns the height of the tree below and including m.
int check(const MRef& m) {
    require(m != nullptr);
    int below = 0;
    auto child = [&](const MRef& k) {
        if (k) below = std::max(below, check(k));
    };
    if (auto* n = m->as<M::Row>()) {
        for (const MRef& k : n->items) require(k != nullptr), child(k);
    } else if (auto* n = m->as<M::Script>()) {
        require(n->base && (n->sup || n->sub));
        child(n->base), child(n->sup), child(n->sub);
    } else if (auto* n = m->as<M::Frac>()) {
        require(n->num && n->den);
        child(n->num), child(n->den);
    } else if (auto* n = m->as<M::Fence>()) {
        require(n->body != nullptr);
        child(n->body);
    } else if (auto* n = m->as<M::Root>()) {
        require(n->body != nullptr);
        child(n->body), child(n->index);
    } else if (auto* n = m->as<M::Big>()) {
        require(!n->name.empty());
        child(n->sub), child(n->sup);
    } else if (auto* n = m->as<M::Accent>()) {
        require(n->body != nullptr);
        child(n->body);
    } else if (auto* n = m->as<M::Space>()) {
        require(std::isfinite(n->em));
    } else if (auto* n = m->as<M::Tint>()) {
        require(n->body != nullptr);
        child(n->body);
    }
    return below + 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    Lexer lexer(text);
    require(lexer.s.size() <= Lexer::kMaxChars);
    MRef tree = parseRow(lexer, std::nullopt, false);
    require(tree && tree->as<M::Row>());
    require(lexer.depth == 0 && lexer.atEnd());
    require(check(tree) <= 4 * Lexer::kMaxDepth);
    std::string once = dump(tree);
    require(dump(parse(text)) == once);

    // Lay it out and write it, inline and displayed: every box on the page must be finite.
    loadFaces();
    for (bool display : {false, true}) {
        MathInk ink(size);
        std::vector<InkOpRef> ops;
        std::vector<MathInk::Note> notes;
        MathInk::Extent e = ink.draw(std::string(text), 20, Ink::ink, display, 10, 30, ops, notes);
        require(std::isfinite(e.w) && std::isfinite(e.a) && std::isfinite(e.d));
        requireFiniteOps(ops);
        for (const auto& n : notes) require(finite(n.box));
    }
    return 0;
}
