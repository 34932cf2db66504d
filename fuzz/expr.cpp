// Arbitrary bytes as a plot formula: parsing must not crash or overflow the stack, and a
// formula that parses must evaluate (NaN and infinities are fine) the same way twice.
#include "ink/Expr.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string_view>

using namespace nolby;

namespace {

bool same(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    Expr::Fail fail;
    auto f = Expr::parse(text, &fail);
    if (!f) {
        if (fail.why.empty()) std::abort();
        return 0;
    }
    if (size > Expr::maxLength) std::abort();
    const double xs[] = {-3, -1, -0.0, 0, 0.5, 2, 1e6, std::numeric_limits<double>::quiet_NaN()};
    for (double x : xs)
        if (!same(f->root(x), f->root(x))) std::abort();
    return 0;
}
