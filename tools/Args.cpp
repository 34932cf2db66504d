#include "Args.h"
#include "platform/NumberText.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace nolby::tools {

const char* option(const Args& args, const char* flag) {
    for (size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == flag) return args[i + 1].c_str();
    return nullptr;
}

bool flag(const Args& args, const char* name) {
    for (const auto& a : args)
        if (a == name) return true;
    return false;
}

std::optional<double> number(const Args& args, const char* name, double fallback, double lo, double hi) {
    const char* s = option(args, name);
    if (!s) return fallback;
    std::optional<double> v = NumberText::parseDouble(s);
    if (!v || !(*v > lo && *v < hi)) {
        std::fprintf(stderr, "nolby-ink: %s must be a number between %s and %s\n", name, NumberText::shortest(lo).c_str(),
                     NumberText::shortest(hi).c_str());
        return std::nullopt;
    }
    return v;
}

std::optional<double> sizeOption(const Args& args, double fallback) { return number(args, "--size", fallback, 0, 1000); }

std::optional<uint64_t> seedOption(const Args& args) {
    const char* s = option(args, "--seed");
    if (!s) return 1;
    char* end = nullptr;
    errno = 0;
    unsigned long long v = std::strtoull(s, &end, 10);
    if (end == s || *end || errno == ERANGE || *s == '-') {
        std::fprintf(stderr, "nolby-ink: --seed must be a whole number from 0 to 18446744073709551615\n");
        return std::nullopt;
    }
    return v;
}

}  // namespace nolby::tools
