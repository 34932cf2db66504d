#include "ink/math/Tables.h"

namespace nolby::math {

// Function-local statics: built once under the compiler's thread-safe initialisation.

const CharTable& symbols() {
    static const CharTable table = {
        {"alpha", "α"},     {"beta", "β"},         {"gamma", "γ"},     {"delta", "δ"},
        {"epsilon", "ε"},   {"varepsilon", "ε"},   {"zeta", "ζ"},      {"eta", "η"},
        {"theta", "θ"},     {"vartheta", "θ"},     {"iota", "ι"},      {"kappa", "κ"},
        {"lambda", "λ"},    {"mu", "μ"},           {"nu", "ν"},        {"xi", "ξ"},
        {"pi", "π"},        {"varpi", "π"},        {"rho", "ρ"},       {"varrho", "ρ"},
        {"sigma", "σ"},     {"varsigma", "ς"},     {"tau", "τ"},       {"upsilon", "υ"},
        {"phi", "φ"},       {"varphi", "φ"},       {"chi", "χ"},       {"psi", "ψ"},
        {"omega", "ω"},     {"Gamma", "Γ"},        {"Delta", "Δ"},     {"Theta", "Θ"},
        {"Lambda", "Λ"},    {"Xi", "Ξ"},           {"Pi", "Π"},        {"Sigma", "Σ"},
        {"Upsilon", "Υ"},   {"Phi", "Φ"},          {"Psi", "Ψ"},       {"Omega", "Ω"},
        {"infty", "∞"},     {"partial", "∂"},      {"nabla", "∇"},     {"hbar", "ℏ"},
        {"ell", "ℓ"},       {"degree", "°"},       {"circ", "∘"},      {"ldots", "…"},
        {"cdots", "⋯"},     {"dots", "…"},         {"prime", "′"},     {"forall", "∀"},
        {"exists", "∃"},    {"emptyset", "∅"},     {"varnothing", "∅"}, {"angle", "∠"},
        {"triangle", "△"},  {"star", "⋆"},         {"heartsuit", "♥"}, {"checkmark", "✓"},
    };
    return table;
}

const CharTable& bins() {
    static const CharTable table = {
        {"cdot", "·"}, {"times", "×"}, {"pm", "±"},     {"mp", "∓"},     {"div", "÷"},
        {"cup", "∪"},  {"cap", "∩"},   {"oplus", "⊕"},  {"otimes", "⊗"}, {"ast", "∗"},
        {"wedge", "∧"}, {"vee", "∨"},  {"land", "∧"},   {"lor", "∨"},    {"setminus", "∖"},
    };
    return table;
}

const CharTable& rels() {
    static const CharTable table = {
        {"to", "→"},            {"rightarrow", "→"},     {"longrightarrow", "→"},
        {"leftarrow", "←"},     {"gets", "←"},           {"longleftarrow", "←"},
        {"Rightarrow", "⇒"},    {"implies", "⇒"},        {"Longrightarrow", "⇒"},
        {"Leftarrow", "⇐"},     {"Longleftarrow", "⇐"},  {"Leftrightarrow", "⇔"},
        {"iff", "⇔"},           {"Longleftrightarrow", "⇔"}, {"leftrightarrow", "↔"},
        {"mapsto", "↦"},        {"approx", "≈"},         {"neq", "≠"},
        {"ne", "≠"},            {"le", "≤"},             {"leq", "≤"},
        {"leqslant", "≤"},      {"ge", "≥"},             {"geq", "≥"},
        {"geqslant", "≥"},      {"in", "∈"},             {"notin", "∉"},
        {"subset", "⊂"},        {"subseteq", "⊆"},       {"supset", "⊃"},
        {"supseteq", "⊇"},      {"sim", "∼"},            {"simeq", "≃"},
        {"equiv", "≡"},         {"propto", "∝"},         {"ll", "≪"},
        {"gg", "≫"},            {"perp", "⊥"},           {"parallel", "∥"},
        {"cong", "≅"},          {"uparrow", "↑"},        {"downarrow", "↓"},
        {"mid", "|"},
    };
    return table;
}

const NameSet& fns() {
    static const NameSet names = {"sin",    "cos",    "tan",    "cot",  "sec",  "csc",  "log",  "ln",
                                  "exp",    "det",    "dim",    "arg",  "deg",  "arcsin", "arccos", "arctan",
                                  "sinh",   "cosh",   "tanh",   "gcd",  "Pr",   "mod",  "ker"};
    return names;
}

const NameSet& bigs() {
    static const NameSet names = {"int", "iint",   "oint",   "sum",    "prod",   "lim",    "max",
                                  "min", "sup",    "inf",    "limsup", "liminf", "bigcup", "bigcap"};
    return names;
}

const NameSet& texts() {
    static const NameSet names = {"text",   "textrm", "textit", "textbf",    "textsf",
                                  "texttt", "mathrm", "mbox",   "textnormal"};
    return names;
}

const NameSet& styles() {
    static const NameSet names = {"mathbf", "mathit", "mathcal", "mathbb", "mathfrak", "mathscr",
                                  "boldsymbol", "mathsf", "mathtt", "bm", "pmb"};
    return names;
}

const NameSet& accents() {
    static const NameSet names = {"hat", "widehat", "bar",  "overline",  "vec",       "overrightarrow",
                                  "dot", "ddot",    "tilde", "widetilde", "underline", "not"};
    return names;
}

const NameSet& ignored() {
    static const NameSet names = {"middle", "big",   "Big",   "bigg",         "Bigg",      "bigl",
                                  "bigr",   "Bigl",  "Bigr",  "biggl",        "biggr",     "displaystyle",
                                  "textstyle", "scriptstyle", "limits", "nolimits"};
    return names;
}

const CharTable& superscripts() {
    static const CharTable table = {
        {"⁰", "0"}, {"¹", "1"}, {"²", "2"}, {"³", "3"}, {"⁴", "4"}, {"⁵", "5"}, {"⁶", "6"},
        {"⁷", "7"}, {"⁸", "8"}, {"⁹", "9"}, {"⁺", "+"}, {"⁻", "−"}, {"ⁿ", "n"}, {"ⁱ", "i"},
    };
    return table;
}

const CharTable& subscripts() {
    static const CharTable table = {
        {"₀", "0"}, {"₁", "1"}, {"₂", "2"}, {"₃", "3"}, {"₄", "4"}, {"₅", "5"}, {"₆", "6"},
        {"₇", "7"}, {"₈", "8"}, {"₉", "9"}, {"₊", "+"}, {"₋", "−"}, {"ₙ", "n"}, {"ᵢ", "i"},
    };
    return table;
}

const NameSet& relChars() {
    static const NameSet chars = [] {
        NameSet out = {"=", "<", ">"};
        for (const auto& [name, c] : rels()) out.insert(c);
        return out;
    }();
    return chars;
}

const NameSet& binChars() {
    static const NameSet chars = [] {
        NameSet out = {"+"};
        for (const auto& [name, c] : bins()) out.insert(c);
        return out;
    }();
    return chars;
}

}  // namespace nolby::math
