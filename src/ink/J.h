#pragma once
// J: the read-only view of one JSON object written by the tutor (or stored in a notebook).
//
// The tutor is a language model: keys go missing, numbers arrive as strings, flags as
// numbers or words, arrays hold stray elements. Every accessor therefore takes a default or
// returns an empty or absent value instead of failing, elements of the wrong type are
// skipped one by one, and a number that is not finite counts as absent. A malformed reply
// degrades into a smaller drawing, never into an error.
//
// A J is a cheap value: it shares one immutable parsed document, so copies and nested
// objects cost no parsing or copying, and any thread may read it.

#include "platform/Geometry.h"

// Only declared here: include <nlohmann/json.hpp> to look into raw values.
#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nolby {

struct J {
    // A J of nothing: every accessor gives its default; line() is "{}".
    J() = default;
    // Wraps one object; any other value gives a J of nothing.
    explicit J(nlohmann::json object);

    // One line of JSON text as the tutor sends it. None unless the line holds one object.
    // A number too large for a double reads as absent (null) rather than losing the line.
    static std::optional<J> parse(std::string_view text);
    // How deeply arrays and objects nest in a JSON text, counted outside strings: checked
    // before parsing, so hostile text cannot make the parser recurse without bound.
    static size_t nestingDepth(std::string_view text);

    // The number rule behind every numeric accessor: Booleans 1 and 0, finite numbers, and
    // strings trimmed of spaces and tabs that parse whole as a C-locale double (hexadecimal
    // forms included). nullptr (a missing key) and everything else give none.
    static std::optional<double> number(const nlohmann::json* v);

    // A string unchanged, a number as its text (true gives "1", 3.0 gives "3").
    std::string str(std::string_view key, std::string fallback) const;
    // str() with "" as default, the empty string turned into none.
    std::optional<std::string> optStr(std::string_view key) const;
    // The strings and numbers (as text) of an array value, other elements skipped.
    std::vector<std::string> strs(std::string_view key) const;

    double num(std::string_view key, double fallback) const;
    // The elements of an array value that pass the number rule.
    std::vector<double> nums(std::string_view key) const;
    // Rounded half away from zero and clamped to ±10^12.
    int64_t int_(std::string_view key, int64_t fallback) const;
    // true, "true", "1" and "yes" (any case) read true; numbers read true unless zero.
    bool bool_(std::string_view key, bool fallback) const;

    // The array value, or nullptr. Valid while this J (or a copy of it) lives.
    const nlohmann::json* arr(std::string_view key) const;
    std::optional<J> obj(std::string_view key) const;
    // The object elements of an array value, in order.
    std::vector<J> objs(std::string_view key) const;
    // The elements of an array value that are arrays whose first two values pass the
    // number rule, as (first, second).
    std::vector<Point> points(std::string_view key) const;

    // Present and not null.
    bool has(std::string_view key) const;
    // The raw value, or nullptr when the key is missing. Valid while this J lives.
    const nlohmann::json* subscript(std::string_view key) const;
    const nlohmann::json* operator[](std::string_view key) const { return subscript(key); }

    // The object itself (an empty object for a J of nothing).
    const nlohmann::json& d() const;

    // One compact line: keys sorted byte-wise at every level, no spaces, "/" unescaped,
    // integral numbers without ".0". Non-finite numbers are left out (never null), so one
    // bad value never costs the rest of the object.
    std::string line() const;

    // Same content.
    bool operator==(const J& other) const;

private:
    // Shares ownership of the whole document while pointing at one object inside it.
    std::shared_ptr<const nlohmann::json> d_;

    J(std::shared_ptr<const nlohmann::json> root, const nlohmann::json* object);
    std::optional<J> wrap(const nlohmann::json& v) const;
};

}  // namespace nolby
