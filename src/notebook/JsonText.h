#pragma once
// A small compact JSON text writer with the number and string forms the notebook file keeps:
// doubles and floats in their shortest round-trip form, integral ones without a fraction,
// -0 as 0, "/" escaped as "\/", invalid UTF-8 replaced by U+FFFD. Callers never pass a
// non-finite number (it has no JSON form); one that slips through is written as 0.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace nolby {

// Length of the valid UTF-8 sequence starting at s[i] (1 to 4), or 0 when the bytes there
// are not valid UTF-8 (overlong forms, surrogates, values past U+10FFFF, cut sequences).
// Writer and reader replace each byte it refuses by one U+FFFD.
size_t utf8SequenceLength(std::string_view s, size_t i);

class JsonText {
public:
    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    void key(std::string_view k);

    void string(std::string_view s);
    void number(double v);
    void number(float v);
    void integer(int64_t v);
    void unsignedInteger(uint64_t v);
    void boolean(bool v);

    const std::string& text() const { return out_; }
    std::string take() { return std::move(out_); }

private:
    void separate();

    std::string out_;
    bool needComma_ = false;
};

}  // namespace nolby
