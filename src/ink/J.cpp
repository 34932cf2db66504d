#include "ink/J.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace nolby {

using json = nlohmann::json;

namespace {

// Deeper than any reply block or notebook object; bounds every recursive walk
// (copying, comparing, writing) of a parsed document.
constexpr int kMaxDepth = 64;

// The application sets the user's locale, under which strtod may expect a decimal comma;
// tutor numbers always use a point.
locale_t cLocale() {
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return loc;
}

// strtod in the C locale over the whole of s; none unless every byte is consumed.
std::optional<double> parseWhole(const std::string& s) {
    const char* begin = s.c_str();
    char* end = nullptr;
    locale_t loc = cLocale();
    double v = loc ? strtod_l(begin, &end, loc) : std::strtod(begin, &end);
    if (end != begin + s.size()) return std::nullopt;
    return v;
}

// A numeric string: trimmed of spaces and tabs only, so a trailing line break makes it
// absent; strtod would skip other leading white space, which the rule does not allow.
std::optional<double> numberFromText(std::string_view s) {
    size_t a = s.find_first_not_of(" \t");
    if (a == std::string_view::npos) return std::nullopt;
    size_t b = s.find_last_not_of(" \t");
    std::string_view t = s.substr(a, b - a + 1);
    if (std::string_view("\n\v\f\r").find(t.front()) != std::string_view::npos)
        return std::nullopt;
    std::optional<double> v = parseWhole(std::string(t));
    if (!v || !std::isfinite(*v)) return std::nullopt;
    return v;
}

// The text of a number value: Booleans as 1 and 0, doubles with 16 significant digits
// and no trailing zeros (so 3.0 is "3"). Non-finite numbers and non-numbers give none.
std::optional<std::string> numberText(const json& v) {
    switch (v.type()) {
        case json::value_t::boolean:
            return std::string(v.get<bool>() ? "1" : "0");
        case json::value_t::number_integer:
            return std::to_string(v.get<int64_t>());
        case json::value_t::number_unsigned:
            return std::to_string(v.get<uint64_t>());
        case json::value_t::number_float: {
            double d = v.get<double>();
            if (!std::isfinite(d)) return std::nullopt;
            char buf[40];
            auto r = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::general, 16);
            return std::string(buf, r.ptr);
        }
        default:
            return std::nullopt;
    }
}

bool isDigitOrSign(char c) { return (c >= '0' && c <= '9') || c == '-'; }
bool inNumber(char c) { return isDigitOrSign(c) || c == '+' || c == '.' || c == 'e' || c == 'E'; }

// A number literal that overflows a double would make the parser reject the whole line;
// it is replaced by null so the rest survives. `mended` is filled only when something
// was replaced.
void mendHugeNumbers(std::string_view text, std::string& mended) {
    bool inString = false;
    size_t copied = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (inString) {
            if (c == '\\') ++i;
            else if (c == '"') inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (isDigitOrSign(c)) {
            size_t j = i;
            bool exponent = false;
            for (; j < text.size() && inNumber(text[j]); ++j)
                if (text[j] == 'e' || text[j] == 'E') exponent = true;
            // Only an exponent or more than 308 digits can overflow; skip the rest cheaply.
            if (!exponent && j - i < 300) {
                i = j - 1;
                continue;
            }
            std::optional<double> v = parseWhole(std::string(text.substr(i, j - i)));
            if (v && std::isinf(*v)) {
                mended.append(text.substr(copied, i - copied)).append("null");
                copied = j;
            }
            i = j - 1;
        }
    }
    if (copied > 0) mended.append(text.substr(copied));
}

// Copies v without what must never be written: non-finite numbers (the writer would put
// null) and containers deeper than any parsed line. Integral doubles become integers so
// they are written without ".0"; from 10^15 up the writer uses exponent form, which has
// no ".0" either. False means: leave v out.
bool writable(const json& v, json& out, int depth) {
    switch (v.type()) {
        case json::value_t::object:
            if (depth > kMaxDepth) return false;
            out = json::object();
            for (auto it = v.begin(); it != v.end(); ++it) {
                json e;
                if (writable(it.value(), e, depth + 1)) out[it.key()] = std::move(e);
            }
            return true;
        case json::value_t::array:
            if (depth > kMaxDepth) return false;
            out = json::array();
            for (const json& el : v) {
                json e;
                if (writable(el, e, depth + 1)) out.push_back(std::move(e));
            }
            return true;
        case json::value_t::number_float: {
            double d = v.get<double>();
            if (!std::isfinite(d)) return false;
            if (std::trunc(d) == d && std::fabs(d) < 1e15) out = static_cast<int64_t>(d);
            else out = d;
            return true;
        }
        case json::value_t::discarded:
            return false;
        default:
            out = v;
            return true;
    }
}

}  // namespace

J::J(json object) {
    if (object.is_object()) d_ = std::make_shared<const json>(std::move(object));
}

J::J(std::shared_ptr<const json> root, const json* object) : d_(std::move(root), object) {}

std::optional<J> J::wrap(const json& v) const {
    if (!v.is_object()) return std::nullopt;
    return J(d_, &v);
}

size_t J::nestingDepth(std::string_view text) {
    size_t depth = 0, deepest = 0;
    bool inString = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (inString) {
            if (c == '\\') ++i;
            else if (c == '"') inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            deepest = std::max(deepest, ++depth);
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return deepest;
}

std::optional<J> J::parse(std::string_view text) {
    if (nestingDepth(text) > static_cast<size_t>(kMaxDepth)) return std::nullopt;
    std::string mended;
    mendHugeNumbers(text, mended);
    if (!mended.empty()) text = mended;
    try {
        json v = json::parse(text.begin(), text.end(), nullptr, /*allow_exceptions=*/false);
        if (!v.is_object()) return std::nullopt;
        return J(std::move(v));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<double> J::number(const json* v) {
    if (!v) return std::nullopt;
    switch (v->type()) {
        case json::value_t::boolean:
            return v->get<bool>() ? 1.0 : 0.0;
        case json::value_t::number_integer:
            return static_cast<double>(v->get<int64_t>());
        case json::value_t::number_unsigned:
            return static_cast<double>(v->get<uint64_t>());
        case json::value_t::number_float: {
            double d = v->get<double>();
            if (!std::isfinite(d)) return std::nullopt;
            return d;
        }
        case json::value_t::string:
            return numberFromText(v->get_ref<const std::string&>());
        default:
            return std::nullopt;
    }
}

const json* J::subscript(std::string_view key) const {
    if (!d_) return nullptr;
    auto it = d_->find(key);
    return it == d_->end() ? nullptr : &*it;
}

const json& J::d() const {
    static const json empty = json::object();
    return d_ ? *d_ : empty;
}

std::string J::str(std::string_view key, std::string fallback) const {
    const json* v = subscript(key);
    if (!v) return fallback;
    if (v->is_string()) return v->get<std::string>();
    return numberText(*v).value_or(std::move(fallback));
}

std::optional<std::string> J::optStr(std::string_view key) const {
    std::string s = str(key, "");
    if (s.empty()) return std::nullopt;
    return s;
}

std::vector<std::string> J::strs(std::string_view key) const {
    std::vector<std::string> out;
    const json* a = arr(key);
    if (!a) return out;
    for (const json& e : *a) {
        if (e.is_string()) out.push_back(e.get<std::string>());
        else if (auto t = numberText(e)) out.push_back(std::move(*t));
    }
    return out;
}

double J::num(std::string_view key, double fallback) const {
    return number(subscript(key)).value_or(fallback);
}

std::vector<double> J::nums(std::string_view key) const {
    std::vector<double> out;
    const json* a = arr(key);
    if (!a) return out;
    for (const json& e : *a)
        if (auto n = number(&e)) out.push_back(*n);
    return out;
}

int64_t J::int_(std::string_view key, int64_t fallback) const {
    std::optional<double> n = number(subscript(key));
    if (!n) return fallback;
    constexpr double kLimit = 1e12;
    return static_cast<int64_t>(std::clamp(std::round(*n), -kLimit, kLimit));
}

bool J::bool_(std::string_view key, bool fallback) const {
    const json* v = subscript(key);
    if (!v) return fallback;
    switch (v->type()) {
        case json::value_t::boolean:
            return v->get<bool>();
        case json::value_t::number_integer:
            return v->get<int64_t>() != 0;
        case json::value_t::number_unsigned:
            return v->get<uint64_t>() != 0;
        case json::value_t::number_float: {
            double d = v->get<double>();
            if (!std::isfinite(d)) return fallback;
            return d != 0;
        }
        case json::value_t::string: {
            // Lowercased, not trimmed. No non-ASCII letter lowercases into these words,
            // so ASCII case folding decides exactly.
            std::string s = v->get<std::string>();
            for (char& c : s)
                if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
            return s == "true" || s == "1" || s == "yes";
        }
        default:
            return fallback;
    }
}

const json* J::arr(std::string_view key) const {
    const json* v = subscript(key);
    return v && v->is_array() ? v : nullptr;
}

std::optional<J> J::obj(std::string_view key) const {
    const json* v = subscript(key);
    if (!v) return std::nullopt;
    return wrap(*v);
}

std::vector<J> J::objs(std::string_view key) const {
    std::vector<J> out;
    const json* a = arr(key);
    if (!a) return out;
    for (const json& e : *a)
        if (auto j = wrap(e)) out.push_back(std::move(*j));
    return out;
}

std::vector<Point> J::points(std::string_view key) const {
    std::vector<Point> out;
    const json* a = arr(key);
    if (!a) return out;
    for (const json& e : *a) {
        if (!e.is_array() || e.size() < 2) continue;
        std::optional<double> x = number(&e[0]), y = number(&e[1]);
        if (x && y) out.push_back({*x, *y});
    }
    return out;
}

bool J::has(std::string_view key) const {
    const json* v = subscript(key);
    return v && !v->is_null();
}

bool J::operator==(const J& other) const { return d() == other.d(); }

std::string J::line() const {
    if (!d_) return "{}";
    json out;
    writable(*d_, out, 1);
    // Strings that are not valid UTF-8 (possible only in objects built in code) get U+FFFD
    // instead of failing the whole line.
    return out.dump(-1, ' ', false, json::error_handler_t::replace);
}

}  // namespace nolby
