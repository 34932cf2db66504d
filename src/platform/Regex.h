#pragma once
// ICU regular expressions (the engine the layouts' patterns were written for).

#include <unicode/regex.h>

namespace nolby::regex {

// Compiles a pattern written into the program. A pattern that does not compile is a
// programming error: it is reported with its name and the process stops.
const icu::RegexPattern* compile(const char16_t* pattern, const char* name);

}  // namespace nolby::regex
