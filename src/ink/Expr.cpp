#include "ink/Expr.h"

#include "platform/Unicode.h"

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <optional>

namespace nolby {

namespace {

using Fn = Expr::Fn;

// Decimal text as a double with a period as the decimal point, whatever the locale.
std::optional<double> decimal(const std::string& text) {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    double v = strtod_l(text.c_str(), &end, c);
    if (end != text.c_str() + text.size()) return std::nullopt;
    return v;
}

std::string replaced(std::string s, std::string_view from, std::string_view to) {
    std::string out;
    size_t at = 0;
    for (size_t hit; (hit = s.find(from, at)) != std::string::npos; at = hit + from.size())
        out.append(s, at, hit - at).append(to);
    return out.append(s, at, std::string::npos);
}

// Lower-cased, with the typographic operators and π spelled the way the grammar reads them.
std::string normalised(std::string_view text) {
    std::string s = unicode::lowercased(text);
    s = replaced(std::move(s), "**", "^");
    s = replaced(std::move(s), "\u00B7", "*");
    s = replaced(std::move(s), "\u00D7", "*");
    s = replaced(std::move(s), "\u2212", "-");
    return replaced(std::move(s), "\u03C0", "pi");
}

char32_t first(const std::string& g) {
    std::u32string s = unicode::toUtf32(g);
    return s.empty() ? 0 : s[0];
}

bool isAsciiDigit(const std::string& g) { return g.size() == 1 && g[0] >= '0' && g[0] <= '9'; }
bool isLetter(const std::string& g) { return unicode::isLetter(first(g)); }

double roundHalfUp(double v) { return std::floor(v + 0.5); }
double sign(double v) { return v > 0 ? 1 : v < 0 ? -1 : v == 0 ? 0 : v; }

Fn constant(double v) {
    return [v](double) { return v; };
}

}  // namespace

const std::map<std::string, Expr::Unary>& Expr::fns() {
    static const std::map<std::string, Unary> table = {
        {"sin", [](double v) { return std::sin(v); }},     {"cos", [](double v) { return std::cos(v); }},
        {"tan", [](double v) { return std::tan(v); }},     {"asin", [](double v) { return std::asin(v); }},
        {"acos", [](double v) { return std::acos(v); }},   {"atan", [](double v) { return std::atan(v); }},
        {"sinh", [](double v) { return std::sinh(v); }},   {"cosh", [](double v) { return std::cosh(v); }},
        {"tanh", [](double v) { return std::tanh(v); }},   {"exp", [](double v) { return std::exp(v); }},
        {"log", [](double v) { return std::log(v); }},     {"ln", [](double v) { return std::log(v); }},
        {"log10", [](double v) { return std::log10(v); }}, {"log2", [](double v) { return std::log2(v); }},
        {"sqrt", [](double v) { return std::sqrt(v); }},   {"abs", [](double v) { return std::fabs(v); }},
        {"floor", [](double v) { return std::floor(v); }}, {"ceil", [](double v) { return std::ceil(v); }},
        {"round", roundHalfUp},                            {"sign", sign},
        {"sgn", sign},
    };
    return table;
}

const std::set<std::string>& Expr::names() {
    static const std::set<std::string> set = {"pi", "e", "x", "t", "tau", "pow", "min", "max", "mod"};
    return set;
}

// Every name, longest first, for splitting run-together names ("sinx" is sin x).
const std::vector<std::string>& Expr::known() {
    static const std::vector<std::string> list = [] {
        std::vector<std::string> v;
        for (const auto& [name, f] : fns()) v.push_back(name);
        for (const char* n : {"pi", "tau", "pow", "min", "max", "mod", "x", "t", "e"}) v.push_back(n);
        std::stable_sort(v.begin(), v.end(), [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
        return v;
    }();
    return list;
}

// Recursive descent over the characters of the normalised text; each rule returns the
// compiled function of what it read.
struct Expr::Parser {
    std::vector<std::string> chars;
    size_t pos = 0;
    int depth = 0;

    // Counts one level of nesting for as long as it lives.
    struct Level {
        Parser& p;
        explicit Level(Parser& p) : p(p) {
            if (++p.depth > maxDepth) throw Fail{"too deep at " + std::to_string(p.pos)};
        }
        ~Level() { --p.depth; }
    };

    const std::string& peek() {
        static const std::string end(1, '\0');
        while (pos < chars.size() && unicode::isWhitespace(first(chars[pos]))) ++pos;
        return pos < chars.size() ? chars[pos] : end;
    }

    bool take(const char* c) {
        if (peek() != c) return false;
        ++pos;
        return true;
    }

    Fn sum() {
        Fn l = prod();
        for (;;) {
            if (take("+")) {
                Fn r = prod();
                l = [a = std::move(l), b = std::move(r)](double x) { return a(x) + b(x); };
            } else if (take("-")) {
                Fn r = prod();
                l = [a = std::move(l), b = std::move(r)](double x) { return a(x) - b(x); };
            } else {
                return l;
            }
        }
    }

    bool startsImplicitFactor() {
        const std::string& c = peek();
        return c == "(" || c == "." || isAsciiDigit(c) || isLetter(c);
    }

    Fn prod() {
        Fn l = unary();
        for (;;) {
            Fn r;
            if (take("*")) {
                r = unary();
            } else if (take("/")) {
                Fn d = unary();
                l = [a = std::move(l), b = std::move(d)](double x) { return a(x) / b(x); };
                continue;
            } else if (startsImplicitFactor()) {
                r = power();
            } else {
                return l;
            }
            l = [a = std::move(l), b = std::move(r)](double x) { return a(x) * b(x); };
        }
    }

    Fn unary() {
        Level level(*this);
        if (take("-")) {
            Fn u = unary();
            return [u = std::move(u)](double x) { return -u(x); };
        }
        if (take("+")) return unary();
        return power();
    }

    // An atom, raised to a unary when "^" follows (right-associative, signed exponents).
    Fn power() {
        Fn a = atom();
        if (!take("^")) return a;
        Fn e = unary();
        return [a = std::move(a), e = std::move(e)](double x) { return std::pow(a(x), e(x)); };
    }

    Fn atom() {
        Level level(*this);
        const std::string& c = peek();
        if (take("(")) return closed(sum(), ")");
        if (take("|")) {
            Fn s = closed(sum(), "|");
            return [s = std::move(s)](double x) { return std::fabs(s(x)); };
        }
        if (isAsciiDigit(c) || c == ".") return number();
        if (isLetter(c)) return name();
        throw Fail{"unexpected '" + c + "' at " + std::to_string(pos)};
    }

    // A closing bracket is optional.
    Fn closed(Fn f, const char* close) {
        take(close);
        return f;
    }

    Fn number() {
        size_t start = pos;
        std::string text;
        for (; pos < chars.size() && (isAsciiDigit(chars[pos]) || chars[pos] == "."); ++pos) text += chars[pos];
        if (pos + 1 < chars.size() && chars[pos] == "e" && (isAsciiDigit(chars[pos + 1]) || chars[pos + 1] == "-")) {
            text += chars[pos++];
            if (chars[pos] == "-") text += chars[pos++];
            for (; pos < chars.size() && isAsciiDigit(chars[pos]); ++pos) text += chars[pos];
        }
        std::optional<double> v = decimal(text);
        if (!v) throw Fail{"bad number at " + std::to_string(start)};
        return constant(*v);
    }

    bool nameStartsWith(size_t start, size_t end, const std::string& k) const {
        if (k.size() > end - start) return false;
        for (size_t i = 0; i < k.size(); ++i)
            if (chars[start + i].size() != 1 || chars[start + i][0] != k[i]) return false;
        return true;
    }

    Fn name() {
        size_t start = pos;
        std::string n;
        for (; pos < chars.size() && (isLetter(chars[pos]) || isAsciiDigit(chars[pos]) || chars[pos] == "_"); ++pos)
            n += chars[pos];
        if (!fns().count(n) && !names().count(n)) {
            for (const std::string& k : known()) {
                if (!nameStartsWith(start, pos, k)) continue;
                n = k;
                pos = start + k.size();
                break;
            }
        }
        return named(n);
    }

    Fn named(const std::string& n) {
        if (n == "pi") return constant(M_PI);
        if (n == "tau") return constant(2 * M_PI);
        if (n == "x" || n == "t") return [](double x) { return x; };
        if (n == "e") {
            if (!take("(")) return constant(M_E);
            Fn s = closed(sum(), ")");
            return [s = std::move(s)](double x) { return std::exp(s(x)); };
        }
        if (n == "pow" || n == "min" || n == "max" || n == "mod") return binary(n);
        auto f = fns().find(n);
        if (f == fns().end()) throw Fail{"unknown " + n};
        Unary fn = f->second;
        Fn arg = take("(") ? closed(sum(), ")") : power();
        return [fn, arg = std::move(arg)](double x) { return fn(arg(x)); };
    }

    // Two arguments: an optional "(", a sum, an optional ",", a sum, an optional ")".
    Fn binary(const std::string& n) {
        take("(");
        Fn a = sum();
        take(",");
        Fn b = sum();
        take(")");
        if (n == "pow") return [a = std::move(a), b = std::move(b)](double x) { return std::pow(a(x), b(x)); };
        if (n == "min")
            return [a = std::move(a), b = std::move(b)](double x) {
                double u = a(x), v = b(x);
                return v < u ? v : u;
            };
        if (n == "max")
            return [a = std::move(a), b = std::move(b)](double x) {
                double u = a(x), v = b(x);
                return u <= v ? v : u;
            };
        // mod takes the sign of the divisor.
        return [a = std::move(a), b = std::move(b)](double x) {
            double u = a(x), v = b(x);
            return u - v * std::floor(u / v);
        };
    }

    Fn whole() {
        Fn f = sum();
        peek();
        if (pos < chars.size()) throw Fail{"junk at " + std::to_string(pos)};
        return f;
    }
};

std::shared_ptr<const Expr> Expr::parse(std::string_view text, Fail* fail) {
    try {
        if (text.size() > maxLength) throw Fail{"too long"};
        Parser p;
        p.chars = unicode::graphemes(normalised(text));
        return std::shared_ptr<const Expr>(new Expr(p.whole()));
    } catch (Fail& f) {
        if (fail) *fail = std::move(f);
        return nullptr;
    }
}

}  // namespace nolby
