#include "ink/math/Parser.h"

#include "ink/math/Tables.h"

#include <utility>
#include <vector>

namespace nolby::math {

namespace {

const std::string kPrime = "′";
const std::string kMinus = "−";

MRef sym(std::string s, Kind k) { return M::make(M::Sym{std::move(s), k}); }
MRef emptyRow() { return M::make(M::Row{}); }
MRef space(double em) { return M::make(M::Space{em}); }

// One more group or argument open for as long as it lives.
struct Nest {
    Lexer& lexer;
    explicit Nest(Lexer& l) : lexer(l) { ++lexer.depth; }
    ~Nest() { --lexer.depth; }
    Nest(const Nest&) = delete;
    Nest& operator=(const Nest&) = delete;
};

bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// Scripts may nest this far past the group bound, so a script met at the bound still
// attaches; past it a "^" or "_" is dropped.
bool tooDeepForScripts(const Lexer& lx) { return lx.depth >= 2 * Lexer::kMaxDepth; }

// The argument of "^" or "_": a braced group, else one atom, else an empty row.
MRef scriptArgument(Lexer& lx) {
    lx.skipSpace();
    if (lx.atEnd()) return emptyRow();
    if (lx.tok() == "{" && !lx.deep()) {  // too deep, the atom reader drops the brace
        lx.take();
        return parseRow(lx, "}", false);
    }
    MRef atom = parseAtom(lx, false);
    return atom ? atom : emptyRow();
}

// A run of Unicode superscript (or subscript) characters as a row of plain symbols.
MRef scriptRun(Lexer& lx, const CharTable& table) {
    std::vector<MRef> items;
    for (;;) {
        lx.skipSpace();
        if (lx.atEnd()) break;
        auto it = table.find(Lexer::canonical(lx.tok()));
        if (it == table.end()) break;
        lx.take();
        const std::string& c = it->second;
        items.push_back(sym(c, binChars().count(c) || c == kMinus ? Kind::bin : Kind::ord));
    }
    return M::make(M::Row{std::move(items)});
}

std::string marks(int n) {
    std::string out;
    out.reserve(kPrime.size() * static_cast<size_t>(n));
    for (int k = 0; k < n; ++k) out += kPrime;
    return out;
}

bool atPrime(const Lexer& lx) {
    if (lx.atEnd()) return false;
    const std::string t = lx.tok();
    return t == "'" || Lexer::canonical(t) == kPrime;
}

// A run of primes: the same tree as adding them one by one, without rebuilding the marks
// for each (a long run would cost quadratic time). After the first, the superscript is
// always a symbol of primes, so each further one adds a mark.
MRef primeRun(Lexer& lx, const MRef& base) {
    int run = 0;
    for (; atPrime(lx); lx.skipSpace()) {
        lx.take();
        ++run;
    }
    MRef primed = prime(base);
    if (run == 1) return primed;
    const auto* s = primed->as<M::Script>();
    return M::make(M::Script{s->base, sym(marks(primes(s->sup) + run - 1), Kind::ord), s->sub});
}

// Scripts, primes and Unicode script runs that follow a base. Every script added counts
// as one more level of nesting while the chain goes on, so a long chain of scripts on one
// base stops at the depth bound and the rest starts afresh.
MRef postfix(Lexer& lx, MRef base) {
    int added = 0;
    for (;;) {
        lx.skipSpace();
        if (lx.atEnd()) break;
        const std::string t = lx.tok();
        const std::string key = Lexer::canonical(t);
        if (t == "^" || t == "_") {
            if (tooDeepForScripts(lx)) break;
            lx.take();
            MRef arg = scriptArgument(lx);
            base = attach(base, arg, t == "^");
        } else if (t == "'" || key == kPrime) {
            base = primeRun(lx, base);
            continue;
        } else if (t == "\\limits" || t == "\\nolimits") {
            lx.take();  // big operators place their limits by their own rules
            continue;
        } else if (superscripts().count(key)) {
            if (tooDeepForScripts(lx)) break;
            base = attach(base, scriptRun(lx, superscripts()), true);
        } else if (subscripts().count(key)) {
            if (tooDeepForScripts(lx)) break;
            base = attach(base, scriptRun(lx, subscripts()), false);
        } else {
            break;
        }
        ++lx.depth;
        ++added;
    }
    lx.depth -= added;
    return base;
}

// A token that is not a command: a character, or a lone backslash at the end.
MRef plainAtom(Lexer& lx, const std::string& t, bool number) {
    const std::string key = Lexer::canonical(t);
    if (key == "-" || key == kMinus) return sym(kMinus, Kind::bin);
    if (key == "*") return sym("·", Kind::bin);
    if (key == "(" || key == "[") return sym(t, Kind::open);
    if (key == ")" || key == "]") return sym(t, Kind::close);
    if (key == "," || key == ";") return sym(t, Kind::punct);
    if (key == ":") return sym(":", Kind::rel);
    if (key == "|") return sym("|", Kind::ord);
    if (key == "~") return space(0.3);
    if (key == "&") return nullptr;
    static const std::pair<const char*, const char*> bigChars[] = {
        {"∫", "int"}, {"∑", "sum"}, {"∏", "prod"}, {"∮", "oint"}, {"∬", "iint"}};
    for (const auto& [c, name] : bigChars)
        if (key == c) return M::make(M::Big{name, nullptr, nullptr});
    if (key == "√") {
        MRef body = parseArg(lx);
        return M::make(M::Root{body, nullptr});
    }
    if (relChars().count(key)) return sym(t, Kind::rel);
    if (binChars().count(key)) return sym(t, Kind::bin);
    if (number && t.size() == 1 && t[0] >= '0' && t[0] <= '9') return sym(t + lx.digits(), Kind::ord);
    return sym(t, Kind::ord);
}

// "\left": the body runs to "\right" or to a closing brace; the closing delimiter is read
// only when "\right" was met.
MRef leftFence(Lexer& lx) {
    std::optional<std::string> open = fenceDelimiter(lx);
    if (lx.deep()) return M::make(M::Fence{open, emptyRow(), std::nullopt});
    MRef body = parseRow(lx, "\\right", true);
    std::optional<std::string> close = lx.consumedStop ? fenceDelimiter(lx) : std::nullopt;
    return M::make(M::Fence{open, body, close});
}

MRef squareRoot(Lexer& lx) {
    MRef index;
    lx.skipSpace();
    if (!lx.deep() && !lx.atEnd() && lx.tok() == "[") {
        lx.take();
        index = parseRow(lx, "]", false);
    }
    MRef body = parseArg(lx);
    return M::make(M::Root{body, index});
}

// Commands that build structure or spacing; nullopt when the name is none of them (a
// made null node means the command produces nothing).
std::optional<MRef> structural(Lexer& lx, const std::string& key) {
    if (key == "frac" || key == "dfrac" || key == "tfrac" || key == "cfrac") {
        MRef num = parseArg(lx);
        MRef den = parseArg(lx);
        return M::make(M::Frac{num, den, true});
    }
    if (key == "binom" || key == "dbinom" || key == "tbinom") {
        MRef top = parseArg(lx);
        MRef bottom = parseArg(lx);
        return M::make(M::Fence{"(", M::make(M::Frac{top, bottom, false}), ")"});
    }
    if (key == "left") return leftFence(lx);
    if (key == "right") {  // a right without a left: dropped with its delimiter
        fenceDelimiter(lx);
        return MRef();
    }
    if (key == "sqrt") return squareRoot(lx);
    if (key == "note") {
        std::string color = lx.raw();
        std::string label = lx.raw();
        MRef body = parseArg(lx);
        return M::make(M::Tint{color, body, label});
    }
    if (key == "operatorname") return sym(lx.raw(), Kind::fn);
    if (key == "textcolor" || key == "color") {
        std::string color = lx.raw();
        MRef body = parseArg(lx);
        return M::make(M::Tint{color, body, std::nullopt});
    }
    if (key == "langle") return sym("⟨", Kind::open);
    if (key == "rangle") return sym("⟩", Kind::close);
    if (key == "lvert") return sym("|", Kind::open);
    if (key == "rvert") return sym("|", Kind::close);
    if (key == "{") return sym("{", Kind::open);
    if (key == "}") return sym("}", Kind::close);
    if (key == "|") return sym("‖", Kind::ord);
    if (key == "quad") return space(1);
    if (key == "qquad") return space(2);
    if (key == "," || key == "thinspace") return space(0.17);
    if (key == ";" || key == ":" || key == ">") return space(0.28);
    if (key == "!") return space(-0.12);
    if (key == " ") return space(0.3);
    if (key == "\\") return space(1);  // a formula has no line breaks
    return std::nullopt;
}

// A command: t without its backslash is the name.
MRef command(Lexer& lx, const std::string& name) {
    const std::string key = Lexer::canonical(name);
    if (std::optional<MRef> made = structural(lx, key)) return *made;
    if (key == "%" || key == "_" || key == "#" || key == "$" || key == "&") return sym(name, Kind::ord);
    if (texts().count(key)) return M::make(M::Text{lx.raw()});
    if (styles().count(key)) return parseArg(lx);  // the style is not shown
    if (bigs().count(key)) return M::make(M::Big{name, nullptr, nullptr});
    if (accents().count(key)) {
        MRef body = parseArg(lx);
        return M::make(M::Accent{name, body});
    }
    if (ignored().count(key)) {
        // A sizing command's null delimiter goes with it; any other delimiter is read next.
        if (key == "middle" || startsWith(key, "big") || startsWith(key, "Big")) {
            lx.skipSpace();
            if (!lx.atEnd() && lx.tok() == ".") lx.take();
        }
        return nullptr;
    }
    if (fns().count(key)) return sym(name, Kind::fn);
    if (auto it = bins().find(key); it != bins().end()) return sym(it->second, Kind::bin);
    if (auto it = rels().find(key); it != rels().end()) return sym(it->second, Kind::rel);
    if (auto it = symbols().find(key); it != symbols().end()) return sym(it->second, Kind::ord);
    return sym(name, Kind::ord);  // unknown: written out as its name
}

}  // namespace

MRef parse(std::string_view text) {
    Lexer lexer(text);
    return parseRow(lexer, std::nullopt, false);
}

MRef parseRow(Lexer& lx, const std::optional<std::string>& stop, bool fence) {
    Nest nest(lx);
    std::vector<MRef> items;
    auto done = [&](bool consumed) {
        lx.consumedStop = consumed;
        return M::make(M::Row{std::move(items)});
    };
    for (;;) {
        lx.skipSpace();
        if (lx.atEnd()) return done(false);
        const std::string t = lx.tok();
        if (stop && t == *stop) {
            lx.take();
            return done(true);
        }
        if (t == "}") {
            if (fence) return done(false);
            lx.take();  // a stray closing brace vanishes
            continue;
        }
        MRef base;
        if (t == "^" || t == "_") {
            if (tooDeepForScripts(lx)) {
                lx.take();  // no room for another script: dropped
                continue;
            }
            base = emptyRow();
        } else {
            base = parseAtom(lx, true);
            if (!base) continue;
        }
        items.push_back(postfix(lx, std::move(base)));
    }
}

MRef parseAtom(Lexer& lx, bool number) {
    lx.skipSpace();
    if (lx.atEnd()) return nullptr;
    // A command is a backslash character with something after it; a backslash that
    // carries combining marks is one plain character.
    const bool isCommand = lx.s[lx.i] == "\\" && lx.i + 1 < lx.s.size();
    const std::string t = lx.take();
    if (t == "{") {
        if (lx.deep()) return nullptr;  // too deep: the group's contents join this row
        return parseRow(lx, "}", false);
    }
    if (!isCommand) return plainAtom(lx, t, number);
    return command(lx, t.substr(1));
}

MRef parseArg(Lexer& lx) {
    if (lx.deep()) return emptyRow();  // too deep: what would be the argument is read next
    Nest nest(lx);
    lx.skipSpace();
    if (lx.atEnd()) return emptyRow();
    if (lx.tok() == "{") {
        lx.take();
        return parseRow(lx, "}", false);
    }
    MRef atom = parseAtom(lx, false);
    return atom ? atom : emptyRow();
}

std::optional<std::string> fenceDelimiter(Lexer& lx) {
    lx.skipSpace();
    if (lx.atEnd()) return std::nullopt;
    const std::string key = Lexer::canonical(lx.take());
    if (key == "(" || key == ")" || key == "[" || key == "]" || key == "|") return key;
    if (key == "\\{" || key == "\\lbrace") return "{";
    if (key == "\\}" || key == "\\rbrace") return "}";
    if (key == "\\lbrack") return "[";
    if (key == "\\rbrack") return "]";
    if (key == "\\|" || key == "\\Vert" || key == "\\lVert" || key == "\\rVert") return "‖";
    if (key == "\\vert" || key == "\\lvert" || key == "\\rvert") return "|";
    if (key == "\\langle" || key == "<") return "⟨";
    if (key == "\\rangle" || key == ">") return "⟩";
    return std::nullopt;
}

MRef attach(const MRef& base, const MRef& script, bool sup) {
    if (const auto* s = base ? base->as<M::Script>() : nullptr) {
        if (!sup) {
            if (!s->sub) return M::make(M::Script{s->base, s->sup, script});
            return M::make(M::Script{base, nullptr, script});
        }
        if (!s->sup) return M::make(M::Script{s->base, script, s->sub});
        if (primes(s->sup) >= 1) return M::make(M::Script{s->base, M::make(M::Row{{s->sup, script}}), s->sub});
        return M::make(M::Script{base, script, nullptr});
    }
    if (const auto* b = base ? base->as<M::Big>() : nullptr) {
        if (sup) return M::make(M::Big{b->name, b->sub, script});
        return M::make(M::Big{b->name, script, b->sup});
    }
    if (sup) return M::make(M::Script{base, script, nullptr});
    return M::make(M::Script{base, nullptr, script});
}

MRef prime(const MRef& base) {
    if (const auto* s = base ? base->as<M::Script>() : nullptr) {
        if (!s->sup) return M::make(M::Script{s->base, sym(kPrime, Kind::ord), s->sub});
        if (int n = primes(s->sup); n >= 1) return M::make(M::Script{s->base, sym(marks(n + 1), Kind::ord), s->sub});
    }
    return M::make(M::Script{base, sym(kPrime, Kind::ord), nullptr});
}

int primes(const MRef& node) {
    const auto* s = node ? node->as<M::Sym>() : nullptr;
    if (!s || s->s.empty() || s->s.size() % kPrime.size() != 0) return 0;
    for (size_t k = 0; k < s->s.size(); k += kPrime.size())
        if (s->s.compare(k, kPrime.size(), kPrime) != 0) return 0;
    return static_cast<int>(s->s.size() / kPrime.size());
}

}  // namespace nolby::math
