#pragma once
// SHA-256 (OpenSSL): the client-data hash the device attests over the gateway's challenge.

#include <string>
#include <string_view>

namespace nolby {

// The 32-byte digest of `bytes`.
std::string sha256(std::string_view bytes);

}  // namespace nolby
