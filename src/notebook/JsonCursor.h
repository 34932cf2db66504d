#pragma once
// A forward reader over JSON text that builds no document: the caller walks objects and
// arrays and reads each value as the type it expects, or skips it. Memory stays with what
// the caller keeps, whatever the size of the text.
//
// Built for files that may be damaged. Damage inside a string is repaired and reported
// through repairs(): a byte that is not valid UTF-8, an escaped surrogate without its
// partner and an unknown escape each become U+FFFD; a raw control character is kept.
// Numbers are handed over as their literal text, so the caller parses each as its own type
// (a float as a float, an integer as an integer) and decides what a number too large for
// it means. A fault of structure (a missing comma, an unclosed bracket, a bad literal,
// nesting deeper than the limit) stops the reading: failed() turns true and every later
// call does nothing.
//
// Protocol: enterObject() then `while (nextKey(key))` read or skip exactly one value per
// key; enterArray() then `while (nextElement())` read or skip exactly one value.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace nolby {

class JsonCursor {
public:
    enum class Type { object, array, string, number, boolean, null, none };

    // What was repaired in the last string read (bits).
    enum Repair : unsigned {
        badUtf8 = 1,        // bytes that are not UTF-8
        loneSurrogate = 2,  // "\ud800" without a low half, or a low half alone
        badEscape = 4,      // "\q", "\u12g4"
        rawControl = 8,     // a control character written as is (kept)
    };

    JsonCursor(std::string_view text, size_t maxDepth);

    // The type of the next value; none at the end of the text, at anything that starts no
    // value, and after a failure.
    Type peek();

    bool enterObject();
    // The next key of the innermost object, and true; false at its end (the '}' is read)
    // and on failure. The key is valid until the next call.
    bool nextKey(std::string_view& key);
    bool enterArray();
    // True when another element of the innermost array follows; false at its end (the ']'
    // is read) and on failure.
    bool nextElement();

    // The string, decoded and repaired; false (and `out` unspecified) unless one is next.
    bool string(std::string& out);
    // The literal text of a number (sign, digits, point, exponent); empty unless one is next.
    std::string_view number();
    bool boolean(bool& out);
    bool null();
    // Reads past one value of any type.
    void skip();

    unsigned repairs() const { return repairs_; }
    // Only white space is left (call after the top-level value).
    bool atEnd();

    bool failed() const { return failed_; }
    // What stopped the reading, with its byte offset.
    const std::string& error() const { return error_; }

private:
    void space();
    void fail(const char* what);
    bool expect(char c, const char* what);
    bool enter(char open);
    bool next(char close, bool key);
    // Reads a string at pos_ (a quote) into out, or past it when out is null.
    bool scanString(std::string* out);
    bool escape(std::string* out);
    bool literal(std::string_view word);

    std::string_view text_;
    size_t pos_ = 0;
    size_t maxDepth_;
    std::vector<bool> first_;  // per open container: no element read yet
    std::string key_;          // a key that needed decoding
    unsigned repairs_ = 0;
    bool failed_ = false;
    std::string error_;
};

}  // namespace nolby
