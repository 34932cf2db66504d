#include "platform/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>

namespace nolby::NumberText {

namespace {

template <class T>
std::string toChars(T v) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, res.ptr);
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Whether a decimal number too large or too small for its type is the small kind: the
// power of ten of its first non-zero digit, plus its exponent, is negative (or it has no
// non-zero digit at all).
bool belowOne(std::string_view t) {
    size_t i = (!t.empty() && (t[0] == '-' || t[0] == '+')) ? 1 : 0;
    long intDigits = 0, zerosAfterPoint = 0;
    bool point = false, seen = false;
    for (; i < t.size() && (isDigit(t[i]) || t[i] == '.'); ++i) {
        if (t[i] == '.') {
            point = true;
            continue;
        }
        if (!seen && t[i] == '0') {
            if (point) ++zerosAfterPoint;
            continue;
        }
        seen = true;
        if (!point) ++intDigits;
    }
    if (!seen) return true;
    long power = intDigits > 0 ? intDigits - 1 : -(zerosAfterPoint + 1);
    long exponent = 0;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        bool negative = i < t.size() && t[i] == '-';
        if (i < t.size() && (t[i] == '-' || t[i] == '+')) ++i;
        for (; i < t.size() && isDigit(t[i]); ++i) exponent = std::min(exponent * 10 + (t[i] - '0'), 100000000L);
        if (negative) exponent = -exponent;
    }
    return power + exponent < 0;
}

// Decimal characters only: from_chars alone would also take "inf", "nan" and "infinity".
bool decimalSyntax(std::string_view t) {
    if (t.empty()) return false;
    for (char c : t)
        if (!isDigit(c) && c != '-' && c != '+' && c != '.' && c != 'e' && c != 'E') return false;
    return true;
}

template <class T>
std::optional<T> parse(std::string_view text) {
    if (!decimalSyntax(text)) return std::nullopt;
    // from_chars takes no leading '+'; a plus sign is still a number.
    std::string_view t = text[0] == '+' ? text.substr(1) : text;
    if (t.empty() || t[0] == '+') return std::nullopt;
    T v{};
    auto res = std::from_chars(t.data(), t.data() + t.size(), v, std::chars_format::general);
    if (res.ptr != t.data() + t.size()) return std::nullopt;
    if (res.ec == std::errc::result_out_of_range) {
        if (!belowOne(t)) return std::nullopt;
        return t[0] == '-' ? -T(0) : T(0);
    }
    if (res.ec != std::errc() || !std::isfinite(v)) return std::nullopt;
    return v;
}

// The exact float of a plain decimal ("-403.17") whose digits, read as one integer, fit a
// float's significand (at most 2^24) with at most ten of them after the point: both that
// integer and the power of ten are then floats exactly, so one float division rounds the true
// value once, as from_chars does. Stroke samples are written this way, and a notebook holds
// thousands. Anything else (an exponent, a sign '+', more digits) is left to from_chars.
std::optional<float> plainFloat(std::string_view t) {
    static constexpr float kTens[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
    static constexpr uint32_t kLargest = uint32_t(1) << 24;
    size_t i = 0;
    const bool negative = !t.empty() && t[0] == '-';
    if (negative) ++i;
    uint32_t m = 0;
    size_t digits = 0, fraction = 0;
    bool point = false;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (c == '.') {
            if (point || digits == 0) return std::nullopt;
            point = true;
            continue;
        }
        if (!isDigit(c)) return std::nullopt;
        m = m * 10 + uint32_t(c - '0');
        if (m > kLargest || ++digits > 9) return std::nullopt;
        if (point) ++fraction;
    }
    if (digits == 0 || (point && fraction == 0) || fraction >= std::size(kTens)) return std::nullopt;
    const float v = float(m) / kTens[fraction];
    return negative ? -v : v;
}

}  // namespace

std::string shortest(double v) { return toChars(v); }
std::string shortest(float v) { return toChars(v); }

std::string fixed(double v, int decimals) {
    // Wide enough for any double in fixed form (up to 309 integer digits).
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, std::clamp(decimals, 0, 40));
    return std::string(buf, res.ptr);
}

std::string trimmed(double v, int decimals) {
    std::string s = fixed(v, decimals);
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0') s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    if (s == "-0") s = "0";
    return s;
}

std::optional<double> parseDouble(std::string_view text) { return parse<double>(text); }
std::optional<float> parseFloat(std::string_view text) {
    if (std::optional<float> plain = plainFloat(text)) return plain;
    return parse<float>(text);
}

}  // namespace nolby::NumberText
