#include "platform/Regex.h"

#include <cstdio>
#include <cstdlib>

namespace nolby::regex {

const icu::RegexPattern* compile(const char16_t* pattern, const char* name) {
    UErrorCode err = U_ZERO_ERROR;
    UParseError where{};
    icu::RegexPattern* p = icu::RegexPattern::compile(icu::UnicodeString(pattern), 0, where, err);
    if (U_FAILURE(err) || !p) {
        std::fprintf(stderr, "%s pattern does not compile: %s\n", name, u_errorName(err));
        std::abort();
    }
    return p;
}

}  // namespace nolby::regex
