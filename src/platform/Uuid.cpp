#include "platform/Uuid.h"

#include <optional>
#include <random>

namespace nolby {

namespace {

thread_local std::optional<std::mt19937> repeated;

}  // namespace

void Uuid::repeatable(std::optional<uint64_t> seed) {
    if (!seed) {
        repeated.reset();
        return;
    }
    std::seed_seq words{uint32_t(*seed), uint32_t(*seed >> 32)};
    repeated.emplace(words);
}

Uuid Uuid::random() {
    // random_device reads the kernel's generator; identifiers need uniqueness, not seeds.
    static thread_local std::random_device device;
    Uuid u;
    for (size_t i = 0; i < u.bytes.size(); i += 4) {
        uint32_t r = repeated ? uint32_t((*repeated)()) : device();
        for (size_t k = 0; k < 4; ++k) u.bytes[i + k] = static_cast<uint8_t>(r >> (8 * k));
    }
    u.bytes[6] = static_cast<uint8_t>((u.bytes[6] & 0x0F) | 0x40);
    u.bytes[8] = static_cast<uint8_t>((u.bytes[8] & 0x3F) | 0x80);
    return u;
}

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool isHyphenPlace(size_t i) { return i == 8 || i == 13 || i == 18 || i == 23; }

}  // namespace

std::optional<Uuid> Uuid::parse(std::string_view text) {
    if (text.size() != 36) return std::nullopt;
    Uuid u;
    size_t nibble = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (isHyphenPlace(i)) {
            if (text[i] != '-') return std::nullopt;
            continue;
        }
        int v = hexValue(text[i]);
        if (v < 0) return std::nullopt;
        uint8_t& b = u.bytes[nibble / 2];
        b = static_cast<uint8_t>(nibble % 2 == 0 ? v << 4 : b | v);
        ++nibble;
    }
    return u;
}

std::string Uuid::string() const {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(36);
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) out.push_back('-');
        out.push_back(digits[bytes[i] >> 4]);
        out.push_back(digits[bytes[i] & 0x0F]);
    }
    return out;
}

}  // namespace nolby
