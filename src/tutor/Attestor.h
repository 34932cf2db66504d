#pragma once
// Device attestation for the gateway login. A device that can prove it is genuine makes a
// key, has it attested over a hash of the gateway's one-time challenge and logs in with the
// result; every other device logs in with the "unsupported" form instead. This machine has
// no attestation service, so the program's own attestor reports unsupported; tests put in
// one that attests, to drive the attested login and each of its fallbacks.
//
// The calls may block: they run in background jobs.

#include <memory>
#include <optional>
#include <string>

namespace nolby {

class Attestor {
public:
    virtual ~Attestor() = default;
    // Whether this device can attest keys at all.
    virtual bool supported() const = 0;
    // A new attestation key's id; none when it cannot be made.
    virtual std::optional<std::string> generateKey() = 0;
    // The attestation object (bytes) of the key over the 32-byte client-data hash; none
    // when the device refuses.
    virtual std::optional<std::string> attestKey(const std::string& keyId, const std::string& clientDataHash) = 0;

    // The attestor of this machine: attestation is not supported here.
    static std::shared_ptr<Attestor> unsupported();
};

}  // namespace nolby
