#include "SessionToken.h"

#include "PrivateFolder.h"
#include "ServiceImpl.h"

#include "platform/AtomicFile.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <cctype>
#include <fstream>
#include <sstream>
#include <vector>

namespace nolby::service {

std::string hex(std::string_view bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

namespace {

constexpr std::string_view kPrefix = "nolby1.";

std::string mac(std::string_view text, const std::string& secret) {
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!HMAC(EVP_sha256(), secret.data(), static_cast<int>(secret.size()), reinterpret_cast<const unsigned char*>(text.data()),
              text.size(), out, &length))
        throw std::runtime_error("no HMAC");
    return hex(std::string_view(reinterpret_cast<const char*>(out), length));
}

bool lowerHex(std::string_view s, size_t length) {
    return s.size() == length && s.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

// A count written plainly: digits only, no sign, no leading zero, small enough for 64 bits.
std::optional<int64_t> count(std::string_view s) {
    if (s.empty() || s.size() > 18 || s.find_first_not_of("0123456789") != std::string_view::npos || (s.size() > 1 && s[0] == '0'))
        return std::nullopt;
    int64_t n = 0;
    for (char c : s) n = n * 10 + (c - '0');
    return n;
}

std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    if (in.is_open()) s << in.rdbuf();
    if (!in.is_open() || in.bad()) throw std::runtime_error("cannot read the secret file " + file.string());
    std::string text = s.str();
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.pop_back();
    return text;
}

}  // namespace

std::string SessionToken::sign(const std::string& secret) const {
    const std::string body =
        std::string(kPrefix) + installation + "." + std::to_string(expires) + "." + std::to_string(epoch);
    return body + "." + mac(body, secret);
}

std::optional<SessionToken> SessionToken::verify(std::string_view text, const std::string& secret) {
    if (text.size() > 256 || text.rfind(kPrefix, 0) != 0) return std::nullopt;
    std::vector<std::string_view> parts;
    for (size_t at = kPrefix.size();;) {
        const size_t dot = text.find('.', at);
        parts.push_back(text.substr(at, dot == std::string_view::npos ? std::string_view::npos : dot - at));
        if (dot == std::string_view::npos) break;
        at = dot + 1;
    }
    if (parts.size() != 4 || !lowerHex(parts[0], 32) || !lowerHex(parts[3], 64)) return std::nullopt;
    const std::optional<int64_t> expires = count(parts[1]), epoch = count(parts[2]);
    if (!expires || !epoch) return std::nullopt;
    const std::string_view body = text.substr(0, text.size() - 65);
    const std::string expected = mac(body, secret);
    if (CRYPTO_memcmp(expected.data(), parts[3].data(), expected.size()) != 0) return std::nullopt;
    return SessionToken{std::string(parts[0]), *expires, *epoch};
}

std::string loadSecret(const std::filesystem::path& file) {
    std::error_code error;
    if (!std::filesystem::exists(file, error)) {
        if (std::optional<std::string> why = makePrivateFolder(file.parent_path())) throw std::runtime_error(*why);
        error = AtomicFile::tryCreate(file, hex(randomBytes(32)) + "\n", 0600);
        // Another gateway may have made it first; then its secret is ours too.
        if (error && error != std::errc::file_exists)
            throw std::runtime_error("cannot write the secret file " + file.string() + ": " + error.message());
    }
    std::string secret = readFile(file);
    if (secret.size() < kMinSecret)
        throw std::runtime_error("the secret file " + file.string() + " holds fewer than " + std::to_string(kMinSecret) +
                                 " characters");
    return secret;
}

}  // namespace nolby::service
