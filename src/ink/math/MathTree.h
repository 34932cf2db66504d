#pragma once
// The maths language as a tree: what the parser reads out of a formula and the box
// layout sets. Nodes are immutable and shared.

#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace nolby::math {

// The atom class of a symbol, used only for the spacing around it.
enum class Kind { ord, bin, rel, open, close, punct, fn };

struct M;
using MRef = std::shared_ptr<const M>;  // null stands for "none" where a child is optional

struct M {
    // A sequence of atoms laid left to right.
    struct Row {
        std::vector<MRef> items;
    };
    // One symbol (a character, a whole number, a function or command name).
    struct Sym {
        std::string s;
        Kind kind = Kind::ord;
    };
    struct Script {
        MRef base, sup, sub;
    };
    struct Frac {
        MRef num, den;
        bool bar = true;  // false for binomials
    };
    struct Fence {
        std::optional<std::string> open;
        MRef body;
        std::optional<std::string> close;
    };
    struct Root {
        MRef body, index;
    };
    // A big operator or limit-like name ("int", "sum", "lim", ...).
    struct Big {
        std::string name;
        MRef sub, sup;
    };
    struct Accent {
        std::string name;
        MRef body;
    };
    // Horizontal space in ems of the current size.
    struct Space {
        double em = 0;
    };
    // Set upright, character for character.
    struct Text {
        std::string s;
    };
    // A coloured part; with a label it becomes a note written under a display formula.
    struct Tint {
        std::string color;
        MRef body;
        std::optional<std::string> label;
    };

    std::variant<Row, Sym, Script, Frac, Fence, Root, Big, Accent, Space, Text, Tint> v;

    template <class T>
    static MRef make(T node) {
        return std::make_shared<const M>(M{std::move(node)});
    }
    template <class T>
    const T* as() const {
        return std::get_if<T>(&v);
    }
};

// A compact, stable text form of a tree for tests and tools, e.g.
// row(sym(x,ord) script(sym(y,ord),sup=sym(2,ord)))
std::string dump(const MRef& m);

}  // namespace nolby::math
