#pragma once
// Session tokens that any gateway holding the same secret can check on its own: the
// installation the token was issued to, when it expires and the revocation epoch it was
// minted in, signed with HMAC-SHA-256. Whether a valid token was revoked since is the
// shared state's to say (GatewayState::accepts).
//
//   nolby1.<installation: 32 hex digits>.<expires: seconds since 1970>.<epoch>.<signature: 64 hex digits>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace nolby::service {

struct SessionToken {
    std::string installation;
    int64_t expires = 0;
    int64_t epoch = 0;

    std::string sign(const std::string& secret) const;
    // The token's contents when `secret` signed it; none for anything else, however made.
    // Expiry is not judged here.
    static std::optional<SessionToken> verify(std::string_view text, const std::string& secret);
};

// Secrets shorter than this are refused.
constexpr size_t kMinSecret = 32;

// The signing secret kept in `file`: read when it is there (its bytes, less trailing white
// space), else made (32 random bytes as 64 hex digits), written atomically, 0600, in a
// folder made 0700. Gateways started at once on one file end up with the same secret.
// Throws std::runtime_error saying why it cannot.
std::string loadSecret(const std::filesystem::path& file);

}  // namespace nolby::service
