#include "ink/Ink.h"

#include "platform/Unicode.h"

#include <cstdint>
#include <unordered_map>

namespace nolby::Ink {

namespace {

struct Tones {
    uint32_t stroke, fill, wash;
};

const std::unordered_map<std::string, Tones>& tones() {
    static const std::unordered_map<std::string, Tones> table{
        {"ink", {0x1e1e1e, 0xadb5bd, 0xe9ecef}},    {"black", {0x1e1e1e, 0xadb5bd, 0xe9ecef}},
        {"red", {0xe03131, 0xffa8a8, 0xffe3e3}},    {"blue", {0x1971c2, 0x74c0fc, 0xd0ebff}},
        {"green", {0x2f9e44, 0x8ce99a, 0xd3f9d8}},  {"orange", {0xf08c00, 0xffc078, 0xffe8cc}},
        {"violet", {0x6741d9, 0xb197fc, 0xe5dbff}}, {"purple", {0x6741d9, 0xb197fc, 0xe5dbff}},
        {"pink", {0xc2255c, 0xfaa2c1, 0xffdeeb}},   {"magenta", {0xc2255c, 0xfaa2c1, 0xffdeeb}},
        {"teal", {0x0c8599, 0x63e6be, 0xc3fae8}},   {"cyan", {0x0c8599, 0x66d9e8, 0xc5f6fa}},
        {"yellow", {0xe6a700, 0xffe066, 0xfff3bf}}, {"gold", {0xe6a700, 0xffe066, 0xfff3bf}},
        {"brown", {0x8f5a2b, 0xe8c39e, 0xf6e7d7}},  {"grey", {0x7a766f, 0xced4da, 0xf1f3f5}},
        {"gray", {0x7a766f, 0xced4da, 0xf1f3f5}},
    };
    return table;
}

const std::unordered_map<std::string, uint32_t>& markers() {
    static const std::unordered_map<std::string, uint32_t> table{
        {"yellow", 0xffec80}, {"pink", 0xffc2da},   {"green", 0xb7f0c0}, {"blue", 0xb5dcff},
        {"orange", 0xffd3a0}, {"violet", 0xdccfff}, {"teal", 0xa9efe0},  {"red", 0xffc2c2},
    };
    return table;
}

// Spaces and tabs only: a colour word never spans lines.
std::string_view trimmed(std::string_view s) {
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string_view::npos) return {};
    size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

std::optional<uint32_t> hexColor(std::string_view s) {
    if (s.size() != 7 || s[0] != '#') return std::nullopt;
    std::string_view digits = s.substr(1);
    // The platform's number parser takes one leading plus sign.
    if (digits[0] == '+') digits.remove_prefix(1);
    uint32_t v = 0;
    for (char c : digits) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return std::nullopt;
        v = v << 4 | static_cast<uint32_t>(d);
    }
    return v;
}

}  // namespace

Color color(const std::optional<std::string>& name, Color fallback) {
    if (!name) return fallback;
    std::string lower = unicode::lowercased(*name);
    std::string_view s = trimmed(lower);
    if (s.empty()) return fallback;
    auto it = tones().find(std::string(s));
    if (it != tones().end()) return Color::hex(it->second.stroke);
    if (auto v = hexColor(s)) return Color::hex(*v);
    return fallback;
}

Color marker(const std::optional<std::string>& name) {
    std::string key = name ? unicode::lowercased(*name) : std::string("yellow");
    auto it = markers().find(key);
    return Color::hex(it != markers().end() ? it->second : 0xffec80);
}

Color wash(const std::optional<std::string>& name) {
    std::string key = name ? unicode::lowercased(*name) : std::string();
    auto it = tones().find(key);
    return Color::hex(it != tones().end() ? it->second.wash : 0xfff3bf);
}

Color fill(const std::optional<std::string>& name) {
    std::string key = name ? unicode::lowercased(*name) : std::string();
    auto it = tones().find(key);
    if (it != tones().end()) return Color::hex(it->second.fill);
    return color(name, Color::hex(0xced4da));
}

bool isStrokeName(std::string_view lower) { return tones().count(std::string(lower)) > 0; }

const std::vector<std::string>& names() {
    static const std::vector<std::string> list{"blue", "red", "green", "violet", "orange", "teal", "pink"};
    return list;
}

}  // namespace nolby::Ink
