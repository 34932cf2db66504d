#include "tutor/Sha256.h"

#include <openssl/evp.h>

namespace nolby {

std::string sha256(std::string_view bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    // One-shot digest; fails only when OpenSSL itself cannot run, and then yields no bytes.
    if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr) != 1) return {};
    return std::string(reinterpret_cast<const char*>(digest), length);
}

}  // namespace nolby
