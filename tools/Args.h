#pragma once
// Command-line options of nolby-ink: each reader prints a clear message for a malformed
// value and gives none, so the command can stop with exit status 2.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nolby::tools {

using Args = std::vector<std::string>;

// The value after a flag, or null when the flag is absent.
const char* option(const Args& args, const char* flag);
bool flag(const Args& args, const char* name);
// A number from the flag within (lo, hi), or the fallback when the flag is absent.
std::optional<double> number(const Args& args, const char* flag, double fallback, double lo, double hi);
std::optional<double> sizeOption(const Args& args, double fallback);
std::optional<uint64_t> seedOption(const Args& args);

}  // namespace nolby::tools
