#pragma once
// The two web pages the shelf footer links to ("PRIVACY" and "HELP").

#include <string_view>

namespace nolby::Links {

inline constexpr std::string_view privacy = "https://nolby.app/iphone/privacy";
inline constexpr std::string_view support = "https://nolby.app/iphone/support";

}  // namespace nolby::Links
