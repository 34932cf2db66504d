#pragma once
// A formula in one variable, as the tutor writes it for a plot ("2x^2 - 3", "sin x",
// "|x-1|"), compiled once into a function that the plot evaluates at every sample.
//
// The language: numbers, the variable x (or t), pi, tau and e, + - * / ^ with the usual
// precedence, implicit products (2x, 3(x+1), 2pi), absolute-value bars, parentheses and a
// fixed table of functions, some usable without parentheses (sin x). Closing brackets may
// be left out and run-together names are split (sinx is sin x); anything else malformed
// gives no formula, and the plot draws no curve. Values may be NaN or infinite where the
// maths says so (log of a negative number, division by zero).

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace nolby {

class Expr {
public:
    using Fn = std::function<double(double)>;

    // Why a text is not a formula.
    struct Fail {
        std::string why;
    };

    // Longer texts (in bytes) are refused: no plot formula comes near it.
    static constexpr size_t maxLength = 1000;
    // Nesting the parser allows (brackets, bars, signs, exponents, function arguments), so
    // "((((..." or "-----...x" fails instead of exhausting the stack.
    static constexpr int maxDepth = 200;

    // The compiled formula, or null when the text is not a complete formula. Never throws;
    // `fail`, when given, receives the reason.
    static std::shared_ptr<const Expr> parse(std::string_view text, Fail* fail = nullptr);

    // The formula as a function of the variable.
    const Fn root;

private:
    explicit Expr(Fn root) : root(std::move(root)) {}

    struct Parser;
    using Unary = double (*)(double);
    static const std::map<std::string, Unary>& fns();
    static const std::set<std::string>& names();
    static const std::vector<std::string>& known();
};

}  // namespace nolby
