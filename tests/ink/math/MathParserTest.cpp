#include "ink/math/Lexer.h"
#include "ink/math/Parser.h"
#include "ink/math/Tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace nolby::math {
namespace {

struct Case {
    const char* formula;
    const char* tree;
};

void expectTrees(const std::vector<Case>& cases) {
    for (const Case& c : cases) EXPECT_EQ(dump(parse(c.formula)), c.tree) << "formula: " << c.formula;
}

// How many nodes deep the tree goes; the layout walks it recursively.
int height(const MRef& m) {
    if (!m) return 0;
    int below = 0;
    auto deeper = [&](const MRef& k) { below = std::max(below, height(k)); };
    if (auto* n = m->as<M::Row>())
        for (const MRef& k : n->items) deeper(k);
    if (auto* n = m->as<M::Script>()) deeper(n->base), deeper(n->sup), deeper(n->sub);
    if (auto* n = m->as<M::Frac>()) deeper(n->num), deeper(n->den);
    if (auto* n = m->as<M::Fence>()) deeper(n->body);
    if (auto* n = m->as<M::Root>()) deeper(n->body), deeper(n->index);
    if (auto* n = m->as<M::Big>()) deeper(n->sub), deeper(n->sup);
    if (auto* n = m->as<M::Accent>()) deeper(n->body);
    if (auto* n = m->as<M::Tint>()) deeper(n->body);
    return below + 1;
}

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int k = 0; k < n; ++k) out += s;
    return out;
}

TEST(MathParser, NumbersAndPlainCharacters) {
    expectTrees({
        {"", "row()"},
        {" \t\r\n ", "row()"},
        {"12.5", "row(sym(12.5,ord))"},
        {"1.2.3", "row(sym(1.2.3,ord))"},  // several points taken as they come
        {"3.", "row(sym(3,ord) sym(.,ord))"},
        {".5", "row(sym(.,ord) sym(5,ord))"},
        {"1 2", "row(sym(1,ord) sym(2,ord))"},  // digits do not skip whitespace
        {"a-b", "row(sym(a,ord) sym(−,bin) sym(b,ord))"},
        {"a−b", "row(sym(a,ord) sym(−,bin) sym(b,ord))"},
        {"a*b", "row(sym(a,ord) sym(·,bin) sym(b,ord))"},
        {"f(x)", "row(sym(f,ord) sym((,open) sym(x,ord) sym(),close))"},
        {"[a,b];", "row(sym([,open) sym(a,ord) sym(,,punct) sym(b,ord) sym(],close) sym(;,punct))"},
        {"x:y", "row(sym(x,ord) sym(:,rel) sym(y,ord))"},
        {"|x|", "row(sym(|,ord) sym(x,ord) sym(|,ord))"},  // typed bar is ord, \mid is rel
        {"a~b", "row(sym(a,ord) space(0.3) sym(b,ord))"},
        {"a & b", "row(sym(a,ord) sym(b,ord))"},
        {"a=b<c>d", "row(sym(a,ord) sym(=,rel) sym(b,ord) sym(<,rel) sym(c,ord) sym(>,rel) sym(d,ord))"},
        {"a≤b→c", "row(sym(a,ord) sym(≤,rel) sym(b,ord) sym(→,rel) sym(c,ord))"},
        {"a+b×c·d", "row(sym(a,ord) sym(+,bin) sym(b,ord) sym(×,bin) sym(c,ord) sym(·,bin) sym(d,ord))"},
        {"∫∑∏∮∬", "row(big(int) big(sum) big(prod) big(oint) big(iint))"},
        {"√2", "row(root(sym(2,ord)))"},
        {"√{x+1}", "row(root(row(sym(x,ord) sym(+,bin) sym(1,ord))))"},
        {"π r", "row(sym(π,ord) sym(r,ord))"},
        {"x\\", "row(sym(x,ord) sym(\\,ord))"},  // a trailing lone backslash
        {"'x", "row(sym(',ord) sym(x,ord))"},
        // Canonically equivalent spellings compare equal but keep their own text:
        // "=" + combining long solidus is "≠", the Greek question mark is ";".
        {"a=\xCC\xB8" "b", "row(sym(a,ord) sym(=\xCC\xB8,rel) sym(b,ord))"},
        {"a\xCD\xBE", "row(sym(a,ord) sym(\xCD\xBE,punct))"},
        // A backslash carrying a combining mark is one plain character, not a command.
        {"\\\xCC\x81x", "row(sym(\\\xCC\x81,ord) sym(x,ord))"},
    });
}

TEST(MathParser, Scripts) {
    expectTrees({
        {"x^2", "row(script(sym(x,ord),sup=sym(2,ord)))"},
        {"x^{2}", "row(script(sym(x,ord),sup=row(sym(2,ord))))"},
        {"x^23", "row(script(sym(x,ord),sup=sym(2,ord)) sym(3,ord))"},
        {"x^{23}", "row(script(sym(x,ord),sup=row(sym(23,ord))))"},
        {"x ^ 2", "row(script(sym(x,ord),sup=sym(2,ord)))"},
        {"x_1^2", "row(script(sym(x,ord),sup=sym(2,ord),sub=sym(1,ord)))"},
        {"x^2_1", "row(script(sym(x,ord),sup=sym(2,ord),sub=sym(1,ord)))"},
        {"x_1_2", "row(script(script(sym(x,ord),sub=sym(1,ord)),sub=sym(2,ord)))"},
        {"x^2^3", "row(script(script(sym(x,ord),sup=sym(2,ord)),sup=sym(3,ord)))"},
        {"x^", "row(script(sym(x,ord),sup=row()))"},
        {"^2", "row(script(row(),sup=sym(2,ord)))"},
        {"_", "row(script(row(),sub=row()))"},
        {"x^}", "row(script(sym(x,ord),sup=sym(},ord)))"},  // a closing brace as argument is a symbol
        {"x^^", "row(script(sym(x,ord),sup=sym(^,ord)))"},
        {"x^\\alpha", "row(script(sym(x,ord),sup=sym(α,ord)))"},
        {"x^&", "row(script(sym(x,ord),sup=row()))"},
        {"e^{-x}", "row(script(sym(e,ord),sup=row(sym(−,bin) sym(x,ord))))"},
        // Unicode super- and subscripts.
        {"x²³", "row(script(sym(x,ord),sup=row(sym(2,ord) sym(3,ord))))"},
        {"x² ³", "row(script(sym(x,ord),sup=row(sym(2,ord) sym(3,ord))))"},
        {"x⁻¹", "row(script(sym(x,ord),sup=row(sym(−,bin) sym(1,ord))))"},
        {"x⁺ⁿⁱ", "row(script(sym(x,ord),sup=row(sym(+,bin) sym(n,ord) sym(i,ord))))"},
        {"a₁₂", "row(script(sym(a,ord),sub=row(sym(1,ord) sym(2,ord))))"},
        {"a₊₋ₙᵢ", "row(script(sym(a,ord),sub=row(sym(+,bin) sym(−,bin) sym(n,ord) sym(i,ord))))"},
        {"xⁿ₀", "row(script(sym(x,ord),sup=row(sym(n,ord)),sub=row(sym(0,ord))))"},  // runs never mix
        {"x²²^3", "row(script(script(sym(x,ord),sup=row(sym(2,ord) sym(2,ord))),sup=sym(3,ord)))"},
        {"²", "row(sym(²,ord))"},  // no base: an ordinary character
        // Primes.
        {"f'", "row(script(sym(f,ord),sup=sym(′,ord)))"},
        {"f′", "row(script(sym(f,ord),sup=sym(′,ord)))"},
        {"f''", "row(script(sym(f,ord),sup=sym(′′,ord)))"},
        {"f'''", "row(script(sym(f,ord),sup=sym(′′′,ord)))"},
        {"f ' ′ '", "row(script(sym(f,ord),sup=sym(′′′,ord)))"},
        {"f^2'''", "row(script(script(sym(f,ord),sup=sym(2,ord)),sup=sym(′′′,ord)))"},
        {"f_1''", "row(script(sym(f,ord),sup=sym(′′,ord),sub=sym(1,ord)))"},
        {"f'^2", "row(script(sym(f,ord),sup=row(sym(′,ord) sym(2,ord))))"},
        {"f''^2", "row(script(sym(f,ord),sup=row(sym(′′,ord) sym(2,ord))))"},
        {"f^2'", "row(script(script(sym(f,ord),sup=sym(2,ord)),sup=sym(′,ord)))"},
        {"f_1'", "row(script(sym(f,ord),sup=sym(′,ord),sub=sym(1,ord)))"},
        {"f'_1", "row(script(sym(f,ord),sup=sym(′,ord),sub=sym(1,ord)))"},
        {"f^\\prime'", "row(script(sym(f,ord),sup=sym(′′,ord)))"},
        {"f'^2'", "row(script(script(sym(f,ord),sup=row(sym(′,ord) sym(2,ord))),sup=sym(′,ord)))"},
        // Limits of big operators replace each other on their side.
        {"\\sum_a_b", "row(big(sum,sub=sym(b,ord)))"},
        {"\\sum_{i=1}^n", "row(big(sum,sub=row(sym(i,ord) sym(=,rel) sym(1,ord)),sup=sym(n,ord)))"},
        {"\\int\\limits_0^1", "row(big(int,sub=sym(0,ord),sup=sym(1,ord)))"},
        {"\\sum\\nolimits^a^b", "row(big(sum,sup=sym(b,ord)))"},
        {"∑_k", "row(big(sum,sub=sym(k,ord)))"},
        {"\\lim_{x\\to0}", "row(big(lim,sub=row(sym(x,ord) sym(→,rel) sym(0,ord))))"},
        {"\\limits x", "row(sym(x,ord))"},
    });
}

TEST(MathParser, FencesAndDelimiters) {
    expectTrees({
        {"\\left( x \\right.", "row(fence((,row(sym(x,ord)),.))"},
        {"\\left. x \\right|", "row(fence(.,row(sym(x,ord)),|))"},
        {"\\left(x\\right)", "row(fence((,row(sym(x,ord)),)))"},
        {"{ \\left( x }", "row(row(fence((,row(sym(x,ord)),.)))"},
        {"{\\left(a}b", "row(row(fence((,row(sym(a,ord)),.)) sym(b,ord))"},
        {"\\left( x", "row(fence((,row(sym(x,ord)),.))"},
        {"\\left", "row(fence(.,row(),.))"},
        {"\\left[a\\right]", "row(fence([,row(sym(a,ord)),]))"},
        {"\\left\\{ a \\right\\}", "row(fence({,row(sym(a,ord)),}))"},
        {"\\left\\lbrace a \\right\\rbrace", "row(fence({,row(sym(a,ord)),}))"},
        {"\\left\\lbrack a \\right\\rbrack", "row(fence([,row(sym(a,ord)),]))"},
        {"\\left\\| a \\right\\Vert", "row(fence(‖,row(sym(a,ord)),‖))"},
        {"\\left\\lVert a \\right\\rVert", "row(fence(‖,row(sym(a,ord)),‖))"},
        {"\\left\\vert a \\right\\rvert", "row(fence(|,row(sym(a,ord)),|))"},
        {"\\left\\lvert a \\right|", "row(fence(|,row(sym(a,ord)),|))"},
        {"\\left\\langle a \\right\\rangle", "row(fence(⟨,row(sym(a,ord)),⟩))"},
        {"\\left< a \\right>", "row(fence(⟨,row(sym(a,ord)),⟩))"},
        {"\\left\\foo a \\right x", "row(fence(.,row(sym(a,ord)),.))"},  // unknown delimiters are consumed
        {"\\left(a\\rightarrow b\\right)", "row(fence((,row(sym(a,ord) sym(→,rel) sym(b,ord)),)))"},
        {"\\left( \\frac12 \\right)^2",
         "row(script(fence((,row(frac(sym(1,ord),sym(2,ord))),)),sup=sym(2,ord)))"},
        {"\\left(\\left[a\\right]\\right)", "row(fence((,row(fence([,row(sym(a,ord)),])),)))"},
        {"a \\right) b", "row(sym(a,ord) sym(b,ord))"},  // a right without a left is dropped
        {"\\right", "row()"},
        {"\\langle x \\rangle", "row(sym(⟨,open) sym(x,ord) sym(⟩,close))"},
        {"\\lvert x \\rvert", "row(sym(|,open) sym(x,ord) sym(|,close))"},
        {"\\{ x \\}", "row(sym({,open) sym(x,ord) sym(},close))"},
        {"\\|x\\|", "row(sym(‖,ord) sym(x,ord) sym(‖,ord))"},
        {"a\\mid b", "row(sym(a,ord) sym(|,rel) sym(b,ord))"},
        // Sizing commands vanish; their null delimiter goes with them.
        {"\\bigl( x \\bigr)", "row(sym((,open) sym(x,ord) sym(),close))"},
        {"( x )", "row(sym((,open) sym(x,ord) sym(),close))"},
        {"\\big. x", "row(sym(x,ord))"},
        {"\\Bigg. x \\middle. y \\middle| z",
         "row(sym(x,ord) sym(y,ord) sym(|,ord) sym(z,ord))"},
        {"\\displaystyle x \\textstyle .", "row(sym(x,ord) sym(.,ord))"},  // only sizing eats a dot
        {"\\binom{n}{k}", "row(fence((,frac(row(sym(n,ord)),row(sym(k,ord)),nobar),)))"},
        {"\\dbinom nk \\tbinom12",
         "row(fence((,frac(sym(n,ord),sym(k,ord),nobar),)) fence((,frac(sym(1,ord),sym(2,ord),nobar),)))"},
    });
}

TEST(MathParser, StructureCommands) {
    expectTrees({
        {"\\frac12", "row(frac(sym(1,ord),sym(2,ord)))"},
        {"\\frac{12}{34}", "row(frac(row(sym(12,ord)),row(sym(34,ord))))"},
        {"\\dfrac a b \\tfrac{x}y \\cfrac1{2}",
         "row(frac(sym(a,ord),sym(b,ord)) frac(row(sym(x,ord)),sym(y,ord)) frac(sym(1,ord),row(sym(2,ord))))"},
        {"\\frac{a}", "row(frac(row(sym(a,ord)),row()))"},
        {"\\frac", "row(frac(row(),row()))"},
        {"\\frac}{", "row(frac(sym(},ord),row()))"},
        {"\\frac\\alpha\\beta", "row(frac(sym(α,ord),sym(β,ord)))"},
        {"\\sqrt[3]{x}", "row(root(row(sym(x,ord)),index=row(sym(3,ord))))"},
        {"\\sqrt x", "row(root(sym(x,ord)))"},
        {"\\sqrt [n] x", "row(root(sym(x,ord),index=row(sym(n,ord))))"},
        {"\\sqrt[n]", "row(root(row(),index=row(sym(n,ord))))"},
        {"\\sqrt", "row(root(row()))"},
        {"\\note{red}{slope}{m}", "row(tint(red,row(sym(m,ord)),label=slope))"},
        {"\\note{#ff0000}{rise over run}\\frac ab",
         "row(tint(#ff0000,frac(sym(a,ord),sym(b,ord)),label=rise over run))"},
        {"\\note red", "row(tint(r,sym(d,ord),label=e))"},  // unbraced: one token each
        {"\\color{red}{x}y", "row(tint(red,row(sym(x,ord))) sym(y,ord))"},
        {"\\textcolor{blue}x", "row(tint(blue,sym(x,ord)))"},
        {"\\operatorname{sgn} x", "row(sym(sgn,fn) sym(x,ord))"},
        {"\\operatorname{arg max}", "row(sym(arg max,fn))"},
        {"\\text{if } x", "row(text(\"if \") sym(x,ord))"},
        {"\\text x", "row(text(\"x\"))"},
        {"\\text{a{b}c}d", "row(text(\"a{b}c\") sym(d,ord))"},
        {"\\text{abc", "row(text(\"abc\"))"},  // never closed: the rest of the text
        {"\\text", "row(text(\"\"))"},
        {"\\mathrm{d}x", "row(text(\"d\") sym(x,ord))"},  // texts before styles
        {"\\textbf{A} \\mbox{ok} \\textnormal{n} \\texttt{t}",
         "row(text(\"A\") text(\"ok\") text(\"n\") text(\"t\"))"},
        {"\\mathbf{v}", "row(row(sym(v,ord)))"},  // the style is not shown
        {"\\mathbb R \\mathcal{L} \\bm x \\pmb y",
         "row(sym(R,ord) row(sym(L,ord)) sym(x,ord) sym(y,ord))"},
        {"\\boldsymbol{\\alpha}", "row(row(sym(α,ord)))"},
        {"\\hat x", "row(accent(hat,sym(x,ord)))"},
        {"\\vec{v} \\overline{AB} \\not=",
         "row(accent(vec,row(sym(v,ord))) accent(overline,row(sym(A,ord) sym(B,ord))) accent(not,sym(=,rel)))"},
        {"\\widetilde", "row(accent(widetilde,row()))"},
        {"\\ddot x_1", "row(script(accent(ddot,sym(x,ord)),sub=sym(1,ord)))"},
    });
}

TEST(MathParser, SpacesAndEscapes) {
    expectTrees({
        {"\\quad\\qquad", "row(space(1) space(2))"},
        {"\\,\\thinspace", "row(space(0.17) space(0.17))"},
        {"\\;\\:\\>", "row(space(0.28) space(0.28) space(0.28))"},
        {"\\!", "row(space(-0.12))"},
        {"a\\ b", "row(sym(a,ord) space(0.3) sym(b,ord))"},
        {"a\\\\b", "row(sym(a,ord) space(1) sym(b,ord))"},  // a formula has no line breaks
        {"\\% \\_ \\# \\$ \\&", "row(sym(%,ord) sym(_,ord) sym(#,ord) sym($,ord) sym(&,ord))"},
    });
}

TEST(MathParser, CommandTables) {
    expectTrees({
        {"\\alpha\\varepsilon\\vartheta\\varsigma\\varphi",
         "row(sym(α,ord) sym(ε,ord) sym(θ,ord) sym(ς,ord) sym(φ,ord))"},
        {"\\Gamma\\Delta\\Omega\\infty\\partial\\nabla",
         "row(sym(Γ,ord) sym(Δ,ord) sym(Ω,ord) sym(∞,ord) sym(∂,ord) sym(∇,ord))"},
        {"\\hbar\\ell\\degree\\ldots\\cdots\\prime",
         "row(sym(ℏ,ord) sym(ℓ,ord) sym(°,ord) sym(…,ord) sym(⋯,ord) sym(′,ord))"},
        {"\\forall\\exists\\varnothing\\triangle\\heartsuit\\checkmark",
         "row(sym(∀,ord) sym(∃,ord) sym(∅,ord) sym(△,ord) sym(♥,ord) sym(✓,ord))"},
        {"\\cdot\\times\\pm\\mp\\div\\setminus\\land\\ast",
         "row(sym(·,bin) sym(×,bin) sym(±,bin) sym(∓,bin) sym(÷,bin) sym(∖,bin) sym(∧,bin) sym(∗,bin))"},
        {"\\to\\gets\\implies\\iff\\Longleftrightarrow\\mapsto",
         "row(sym(→,rel) sym(←,rel) sym(⇒,rel) sym(⇔,rel) sym(⇔,rel) sym(↦,rel))"},
        {"\\leq\\geqslant\\neq\\ne\\notin\\subseteq\\equiv\\propto\\cong\\downarrow",
         "row(sym(≤,rel) sym(≥,rel) sym(≠,rel) sym(≠,rel) sym(∉,rel) sym(⊆,rel) sym(≡,rel) sym(∝,rel) "
         "sym(≅,rel) sym(↓,rel))"},
        {"\\sin x\\log\\ln\\arctan\\Pr\\mod\\ker",
         "row(sym(sin,fn) sym(x,ord) sym(log,fn) sym(ln,fn) sym(arctan,fn) sym(Pr,fn) sym(mod,fn) sym(ker,fn))"},
        {"\\deg\\degree", "row(sym(deg,fn) sym(°,ord))"},
        {"\\int\\iint\\oint\\prod\\max\\inf\\limsup\\bigcup\\bigcap",
         "row(big(int) big(iint) big(oint) big(prod) big(max) big(inf) big(limsup) big(bigcup) big(bigcap))"},
        // Unknown commands are written out as their names.
        {"\\foo", "row(sym(foo,ord))"},
        {"\\foo123", "row(sym(foo,ord) sym(123,ord))"},
        {"\\αβ", "row(sym(αβ,ord))"},
        {"\\1", "row(sym(1,ord))"},
        {"\\begin{pmatrix}",
         "row(sym(begin,ord) row(sym(p,ord) sym(m,ord) sym(a,ord) sym(t,ord) sym(r,ord) sym(i,ord) sym(x,ord)))"},
    });
}

TEST(MathParser, StrayBraces) {
    expectTrees({
        {"a}b", "row(sym(a,ord) sym(b,ord))"},
        {"}}", "row()"},
        {"{a", "row(row(sym(a,ord)))"},
        {"{}", "row(row())"},
        {"{a}^2", "row(script(row(sym(a,ord)),sup=sym(2,ord)))"},
        {"{{a}b}c", "row(row(row(sym(a,ord)) sym(b,ord)) sym(c,ord))"},
    });
}

TEST(MathParser, EveryTableEntryIsReachable) {
    auto expectSym = [](const std::string& formula, const std::string& s, const char* kind) {
        EXPECT_EQ(dump(parse(formula)), "row(sym(" + s + "," + kind + "))") << formula;
    };
    for (const auto& [name, c] : symbols()) expectSym("\\" + name, c, "ord");
    for (const auto& [name, c] : bins()) expectSym("\\" + name, c, "bin");
    for (const auto& [name, c] : rels()) expectSym("\\" + name, c, "rel");
    for (const std::string& name : fns()) expectSym("\\" + name, name, "fn");
    for (const std::string& c : relChars())
        if (c != "|") expectSym(c, c, "rel");  // a typed bar is ord
    for (const std::string& c : binChars()) expectSym(c, c, "bin");
    for (const std::string& name : bigs()) EXPECT_EQ(dump(parse("\\" + name)), "row(big(" + name + "))");
    for (const std::string& name : texts()) EXPECT_EQ(dump(parse("\\" + name + "{a b}")), "row(text(\"a b\"))");
    for (const std::string& name : styles()) EXPECT_EQ(dump(parse("\\" + name + " x")), "row(sym(x,ord))");
    for (const std::string& name : accents())
        EXPECT_EQ(dump(parse("\\" + name + " x")), "row(accent(" + name + ",sym(x,ord)))");
    for (const std::string& name : ignored()) EXPECT_EQ(dump(parse("\\" + name)), "row()") << name;
    for (const auto& [c, plain] : superscripts()) {
        const char* kind = plain == "+" || plain == "−" ? "bin" : "ord";
        EXPECT_EQ(dump(parse("x" + c)), "row(script(sym(x,ord),sup=row(sym(" + plain + "," + kind + "))))");
    }
    for (const auto& [c, plain] : subscripts()) {
        const char* kind = plain == "+" || plain == "−" ? "bin" : "ord";
        EXPECT_EQ(dump(parse("x" + c)), "row(script(sym(x,ord),sub=row(sym(" + plain + "," + kind + "))))");
    }
}

TEST(MathParser, TableSizes) {
    EXPECT_EQ(symbols().size(), 60u);
    EXPECT_EQ(bins().size(), 15u);
    EXPECT_EQ(rels().size(), 43u);
    EXPECT_EQ(fns().size(), 23u);
    EXPECT_EQ(bigs().size(), 14u);
    EXPECT_EQ(texts().size(), 9u);
    EXPECT_EQ(styles().size(), 11u);
    EXPECT_EQ(accents().size(), 12u);
    EXPECT_EQ(ignored().size(), 16u);
    EXPECT_EQ(superscripts().size(), 14u);
    EXPECT_EQ(subscripts().size(), 14u);
    // Distinct characters: 29 relations (the long arrows repeat the short ones) + "=", "<", ">";
    // 13 operators ("land"/"lor" repeat "wedge"/"vee") + "+".
    EXPECT_EQ(relChars().size(), 32u);
    EXPECT_EQ(binChars().size(), 14u);
    EXPECT_TRUE(relChars().count("|"));
}

TEST(MathLexer, Tokens) {
    struct TokCase {
        const char* text;
        const char* token;
    } cases[] = {
        {"\\alpha2", "\\alpha"}, {"\\right)", "\\right"}, {"\\,x", "\\,"},     {"\\\\x", "\\\\"},
        {"\\ x", "\\ "},         {"\\", "\\"},            {"x\\y", "x"},       {"\\éa1", "\\éa"},
        {"\\{", "\\{"},          {"\r\nx", "\r\n"},       {"e\xCC\x81x", "e\xCC\x81"},
    };
    for (const TokCase& c : cases) {
        Lexer lexer(c.text);
        EXPECT_EQ(lexer.tok(), c.token) << c.text;
        EXPECT_EQ(lexer.i, 0u);  // tok() does not move
        EXPECT_EQ(lexer.take(), c.token);
    }
    Lexer lexer("\\alpha2");
    lexer.take();
    EXPECT_EQ(lexer.i, 6u);  // moved by the token's length in characters
}

TEST(MathLexer, RawAndDigits) {
    Lexer a("  {a{b}c} d");
    EXPECT_EQ(a.raw(), "a{b}c");
    EXPECT_EQ(a.s[a.i], " ");
    EXPECT_EQ(a.raw(), "d");
    EXPECT_EQ(a.raw(), "");
    EXPECT_TRUE(a.atEnd());

    Lexer open("{ab{c");
    EXPECT_EQ(open.raw(), "ab{c");
    EXPECT_TRUE(open.atEnd());

    Lexer cmd("\\alpha{x}");
    EXPECT_EQ(cmd.raw(), "\\alpha");

    Lexer n("1.2.3x");
    EXPECT_EQ(n.digits(), "1.2.3");
    EXPECT_EQ(n.tok(), "x");
    Lexer point("3.");
    EXPECT_EQ(point.digits(), "3");
    EXPECT_EQ(point.tok(), ".");
    Lexer wide("１2");  // a fullwidth digit is a number but not an ASCII one
    EXPECT_EQ(wide.digits(), "");
}

TEST(MathLexer, RowRecordsWhetherItConsumedItsStop) {
    Lexer stopped("a}b");
    EXPECT_EQ(dump(parseRow(stopped, "}", false)), "row(sym(a,ord))");
    EXPECT_TRUE(stopped.consumedStop);
    EXPECT_EQ(stopped.tok(), "b");

    Lexer fenced("a}b");
    EXPECT_EQ(dump(parseRow(fenced, "\\right", true)), "row(sym(a,ord))");
    EXPECT_FALSE(fenced.consumedStop);
    EXPECT_EQ(fenced.tok(), "}");  // left for the enclosing group

    Lexer ended("a b");
    ended.consumedStop = true;
    EXPECT_EQ(dump(parseRow(ended, "}", false)), "row(sym(a,ord) sym(b,ord))");
    EXPECT_FALSE(ended.consumedStop);

    Lexer inner("x\\right)");
    parseRow(inner, "\\right", true);
    EXPECT_TRUE(inner.consumedStop);
    EXPECT_EQ(fenceDelimiter(inner), ")");
    EXPECT_EQ(fenceDelimiter(inner), std::nullopt);  // at the end: nothing
}

TEST(MathParser, ScriptOperations) {
    MRef x = M::make(M::Sym{"x", Kind::ord});
    MRef two = M::make(M::Sym{"2", Kind::ord});
    EXPECT_EQ(primes(M::make(M::Sym{"′′′", Kind::ord})), 3);
    EXPECT_EQ(primes(M::make(M::Sym{"", Kind::ord})), 0);
    EXPECT_EQ(primes(M::make(M::Sym{"′x", Kind::ord})), 0);
    EXPECT_EQ(primes(M::make(M::Row{{M::make(M::Sym{"′", Kind::ord})}})), 0);
    EXPECT_EQ(primes(nullptr), 0);
    EXPECT_EQ(dump(prime(prime(x))), "script(sym(x,ord),sup=sym(′′,ord))");
    EXPECT_EQ(dump(attach(attach(x, two, false), two, false)),
              "script(script(sym(x,ord),sub=sym(2,ord)),sub=sym(2,ord))");
    MRef big = M::make(M::Big{"sum", nullptr, nullptr});
    EXPECT_EQ(dump(attach(attach(attach(big, two, true), x, false), x, true)), "big(sum,sub=sym(x,ord),sup=sym(x,ord))");
}

// Tutor text is untrusted: nesting and length are bounded, and below the bounds nothing
// changes.
TEST(MathParser, DeepNestingIsReadFlat) {
    const int bound = 4 * Lexer::kMaxDepth;
    for (const std::string& text : {repeat("{", 100000) + "x", repeat("\\frac", 50000), repeat("x^{", 30000),
                                    repeat("\\sqrt", 50000), repeat("√", 4000), repeat("\\left(", 30000),
                                    repeat("x^", 40000), "x" + repeat("^1", 3000), "x" + repeat("_1'", 3000),
                                    repeat("\\frac{", 20000), repeat("\\note{r}{l}{", 10000),
                                    repeat("x^{y_{", 10000), repeat("\\sqrt[", 20000), repeat("{x}^", 20000)}) {
        MRef tree = parse(text);
        ASSERT_TRUE(tree && tree->as<M::Row>()) << text.substr(0, 20);
        EXPECT_LE(height(tree), bound) << text.substr(0, 20);
    }
    // The contents beyond the bound are kept, read into the row at the bound.
    std::string deep = dump(parse(repeat("{", 100) + "x^2" + repeat("}", 100) + "y"));
    EXPECT_NE(deep.find("script(sym(x,ord),sup=sym(2,ord))"), std::string::npos);
    EXPECT_NE(deep.find("sym(y,ord)"), std::string::npos);
    // Below the bound, groups nest exactly.
    EXPECT_EQ(dump(parse(repeat("{", 40) + "x" + repeat("}", 40))), repeat("row(", 41) + "sym(x,ord)" + repeat(")", 41));
    std::string frac = "sym(x,ord)";
    for (int k = 0; k < 20; ++k) frac = "frac(sym(1,ord)," + frac + ")";
    EXPECT_EQ(dump(parse(repeat("\\frac1", 20) + "x")), "row(" + frac + ")");
}

TEST(MathParser, LongInputIsCut) {
    EXPECT_EQ(dump(parse(repeat("1", 10000))), "row(sym(" + repeat("1", Lexer::kMaxChars) + ",ord))");
    // The cut counts characters, not bytes.
    EXPECT_EQ(Lexer(repeat("α", 5000)).s.size(), Lexer::kMaxChars);
    EXPECT_EQ(Lexer(repeat("x", 3999) + "yz").s.back(), "y");
    // A single cluster of endless combining marks is bounded by bytes, cut on a UTF-8 boundary.
    Lexer marks("e" + repeat("\xCC\x81", 40000));
    size_t bytes = 0;
    for (const std::string& c : marks.s) bytes += c.size();
    EXPECT_LE(bytes, Lexer::kMaxBytes);
    EXPECT_EQ(bytes % 2, 1u);
}

}  // namespace
}  // namespace nolby::math
