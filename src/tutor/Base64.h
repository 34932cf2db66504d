#pragma once
// Standard Base64 (the "+/" alphabet, "=" fill, no line breaks), as the gateway's login
// exchanges it. Decoding is strict: no white space, no missing or misplaced fill, nothing
// outside the alphabet.

#include <optional>
#include <string>
#include <string_view>

namespace nolby::Base64 {

std::string encode(std::string_view bytes);

// The bytes, or none when the text is not exactly Base64.
std::optional<std::string> decode(std::string_view text);

}  // namespace nolby::Base64
