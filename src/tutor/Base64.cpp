#include "tutor/Base64.h"

#include <array>
#include <cstdint>

namespace nolby::Base64 {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The value of each byte as a Base64 digit; -1 for every other byte ("=" included).
constexpr std::array<int8_t, 256> digits() {
    std::array<int8_t, 256> d{};
    for (auto& v : d) v = -1;
    for (int i = 0; i < 64; ++i) d[static_cast<unsigned char>(kAlphabet[i])] = static_cast<int8_t>(i);
    return d;
}
constexpr std::array<int8_t, 256> kDigits = digits();

}  // namespace

std::string encode(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    auto at = [&](size_t k) { return static_cast<uint32_t>(static_cast<unsigned char>(bytes[k])); };
    for (; i + 3 <= bytes.size(); i += 3) {
        uint32_t v = at(i) << 16 | at(i + 1) << 8 | at(i + 2);
        for (int s = 18; s >= 0; s -= 6) out += kAlphabet[(v >> s) & 63];
    }
    size_t rest = bytes.size() - i;
    if (rest > 0) {
        uint32_t v = at(i) << 16 | (rest == 2 ? at(i + 1) << 8 : 0);
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

std::optional<std::string> decode(std::string_view text) {
    if (text.size() % 4 != 0) return std::nullopt;
    size_t fill = 0;
    if (!text.empty() && text.back() == '=') fill = text.size() >= 2 && text[text.size() - 2] == '=' ? 2 : 1;
    std::string out;
    out.reserve(text.size() / 4 * 3);
    const size_t digitsEnd = text.size() - fill;
    uint32_t v = 0;
    for (size_t i = 0; i < digitsEnd; ++i) {
        int d = kDigits[static_cast<unsigned char>(text[i])];
        if (d < 0) return std::nullopt;  // "=" in the middle lands here too
        v = v << 6 | static_cast<uint32_t>(d);
        if (i % 4 == 3) {
            out += static_cast<char>(v >> 16);
            out += static_cast<char>(v >> 8);
            out += static_cast<char>(v);
            v = 0;
        }
    }
    if (fill == 2) out += static_cast<char>(v >> 4);
    if (fill == 1) {
        out += static_cast<char>(v >> 10);
        out += static_cast<char>(v >> 2);
    }
    return out;
}

}  // namespace nolby::Base64
