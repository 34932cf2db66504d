#pragma once
// What gateways must agree on: one-use login challenges, the lessons each installation has
// taken on each UTC day, and which session tokens are revoked. Tokens themselves are signed
// and need no state (SessionToken). Three stores keep it:
// - memoryState: this process only (tests, and services run inside another program);
// - sqliteState: one file, kept across restarts and safe for several gateways on one machine;
// - redisState: a Redis server that any number of gateways share.
// Times are seconds since 1970 from the gateway's own clock, passed in, so every store
// judges expiry the same way; a store may forget expired entries whenever it likes.
// Every call may block on the store and is safe from any thread; a store that cannot be
// reached or read throws StateError.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace nolby::service {

struct StateError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class GatewayState {
public:
    virtual ~GatewayState() = default;

    // A challenge, usable once until `now` + `lifetime` seconds.
    virtual void issueChallenge(const std::string& challenge, int64_t now, int64_t lifetime) = 0;
    // True once for a challenge issued and not yet expired, whichever gateway asks.
    virtual bool useChallenge(const std::string& challenge, int64_t now) = 0;

    // Takes one of an installation's lessons on `day` (days since 1970, UTC) when fewer than
    // `limit` are taken (none: no limit); true when it did. Taken lessons count until given
    // back, so lessons asked for at once, on any gateway, never pass the limit.
    virtual bool takeLesson(const std::string& installation, int64_t day, std::optional<int64_t> limit, int64_t now) = 0;
    // Gives back a lesson that was taken and never spent.
    virtual void giveBackLesson(const std::string& installation, int64_t day) = 0;

    // Tokens carry the epoch they were minted in; starting a new one revokes them all.
    virtual int64_t epoch() = 0;
    virtual void revokeAll() = 0;
    // Revokes the tokens of one installation until `until` (when they have all expired).
    virtual void revoke(const std::string& installation, int64_t now, int64_t until) = 0;
    // Whether a token of `installation` minted in `epoch` is still accepted.
    virtual bool accepts(const std::string& installation, int64_t epoch, int64_t now) = 0;
};

std::shared_ptr<GatewayState> memoryState();
// Opens (or makes, 0600, its folder 0700) the file; StateError saying why it cannot.
std::shared_ptr<GatewayState> sqliteState(const std::filesystem::path& file);
// Connects to "redis://host[:port][/db]"; StateError saying why it cannot.
std::shared_ptr<GatewayState> redisState(const std::string& url);

// Unused challenges the local stores keep at most; past it the oldest are dropped.
constexpr size_t kMaxChallenges = 4096;

}  // namespace nolby::service
