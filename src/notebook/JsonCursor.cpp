#include "notebook/JsonCursor.h"

#include "notebook/JsonText.h"
#include "platform/Unicode.h"

#include <cstring>

namespace nolby {

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool inNumber(char c) { return isDigit(c) || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E'; }

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Four hexadecimal digits at s[i], or -1.
long hex4(std::string_view s, size_t i) {
    if (i + 4 > s.size()) return -1;
    long v = 0;
    for (size_t k = 0; k < 4; ++k) {
        int d = hexValue(s[i + k]);
        if (d < 0) return -1;
        v = v * 16 + d;
    }
    return v;
}

}  // namespace

JsonCursor::JsonCursor(std::string_view text, size_t maxDepth) : text_(text), maxDepth_(maxDepth) {
    // A byte-order mark before the document is no content.
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
}

void JsonCursor::space() {
    while (pos_ < text_.size() && isSpace(text_[pos_])) ++pos_;
}

void JsonCursor::fail(const char* what) {
    if (failed_) return;
    failed_ = true;
    error_ = std::string(what) + " at byte " + std::to_string(pos_);
}

bool JsonCursor::expect(char c, const char* what) {
    space();
    if (pos_ < text_.size() && text_[pos_] == c) {
        ++pos_;
        return true;
    }
    fail(what);
    return false;
}

JsonCursor::Type JsonCursor::peek() {
    if (failed_) return Type::none;
    space();
    if (pos_ >= text_.size()) return Type::none;
    char c = text_[pos_];
    switch (c) {
    case '{': return Type::object;
    case '[': return Type::array;
    case '"': return Type::string;
    case 't':
    case 'f': return Type::boolean;
    case 'n': return Type::null;
    default: return c == '-' || isDigit(c) ? Type::number : Type::none;
    }
}

bool JsonCursor::enter(char open) {
    if (failed_) return false;
    if (!expect(open, open == '{' ? "expected an object" : "expected an array")) return false;
    if (first_.size() >= maxDepth_) {
        fail("nested too deep");
        return false;
    }
    first_.push_back(true);
    return true;
}

bool JsonCursor::enterObject() { return enter('{'); }
bool JsonCursor::enterArray() { return enter('['); }

bool JsonCursor::next(char close, bool key) {
    if (failed_ || first_.empty()) return false;
    space();
    if (pos_ < text_.size() && text_[pos_] == close) {
        ++pos_;
        first_.pop_back();
        return false;
    }
    if (!first_.back() && !expect(',', key ? "expected ',' or '}'" : "expected ',' or ']'")) return false;
    first_.back() = false;
    return true;
}

bool JsonCursor::nextElement() { return next(']', false); }

bool JsonCursor::nextKey(std::string_view& key) {
    if (!next('}', true)) return false;
    space();
    if (pos_ >= text_.size() || text_[pos_] != '"') {
        fail("expected a key");
        return false;
    }
    // Most keys hold no escape: point into the text instead of copying.
    size_t start = pos_ + 1;
    size_t end = start;
    while (end < text_.size() && text_[end] != '"' && text_[end] != '\\') ++end;
    if (end < text_.size() && text_[end] == '"') {
        key = text_.substr(start, end - start);
        pos_ = end + 1;
    } else {
        unsigned saved = repairs_;
        if (!scanString(&key_)) return false;
        repairs_ = saved;
        key = key_;
    }
    return expect(':', "expected ':'");
}

bool JsonCursor::escape(std::string* out) {
    // pos_ is at the backslash.
    if (pos_ + 1 >= text_.size()) {
        fail("unterminated string");
        return false;
    }
    char c = text_[pos_ + 1];
    const char* simple = nullptr;
    switch (c) {
    case '"': simple = "\""; break;
    case '\\': simple = "\\"; break;
    case '/': simple = "/"; break;
    case 'b': simple = "\b"; break;
    case 'f': simple = "\f"; break;
    case 'n': simple = "\n"; break;
    case 'r': simple = "\r"; break;
    case 't': simple = "\t"; break;
    default: break;
    }
    if (simple) {
        if (out) out->push_back(*simple);
        pos_ += 2;
        return true;
    }
    if (c != 'u') {
        // Unknown escape: the backslash and the character after it stand for U+FFFD.
        repairs_ |= badEscape;
        if (out) out->append(kReplacement);
        pos_ += 2;
        return true;
    }
    long unit = hex4(text_, pos_ + 2);
    if (unit < 0) {
        repairs_ |= badEscape;
        if (out) out->append(kReplacement);
        pos_ += 2;  // the digits that follow are read as plain characters
        return true;
    }
    pos_ += 6;
    char32_t cp = static_cast<char32_t>(unit);
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        long low = (pos_ + 1 < text_.size() && text_[pos_] == '\\' && text_[pos_ + 1] == 'u') ? hex4(text_, pos_ + 2) : -1;
        if (low >= 0xDC00 && low <= 0xDFFF) {
            cp = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (static_cast<char32_t>(low) - 0xDC00);
            pos_ += 6;
        } else {
            repairs_ |= loneSurrogate;
            cp = 0xFFFD;
        }
    } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
        repairs_ |= loneSurrogate;
        cp = 0xFFFD;
    }
    if (out) unicode::appendUtf8(*out, cp);
    return true;
}

bool JsonCursor::scanString(std::string* out) {
    // pos_ is at the opening quote.
    ++pos_;
    repairs_ = 0;
    if (out) {
        out->clear();
        // The decoded text is no longer than the raw text unless bad bytes grow into U+FFFD.
        const void* close = std::memchr(text_.data() + pos_, '"', text_.size() - pos_);
        if (close) out->reserve(static_cast<const char*>(close) - (text_.data() + pos_));
    }
    while (pos_ < text_.size()) {
        // A run of plain characters at once.
        size_t run = pos_;
        while (run < text_.size()) {
            unsigned char b = static_cast<unsigned char>(text_[run]);
            if (b == '"' || b == '\\' || b < 0x20 || b >= 0x80) break;
            ++run;
        }
        if (out) out->append(text_.substr(pos_, run - pos_));
        pos_ = run;
        if (pos_ >= text_.size()) break;
        unsigned char b = static_cast<unsigned char>(text_[pos_]);
        if (b == '"') {
            ++pos_;
            return true;
        }
        if (b == '\\') {
            if (!escape(out)) return false;
            continue;
        }
        if (b < 0x20) {
            repairs_ |= rawControl;
            if (out) out->push_back(static_cast<char>(b));
            ++pos_;
            continue;
        }
        size_t n = utf8SequenceLength(text_, pos_);
        if (n == 0) {
            repairs_ |= badUtf8;
            if (out) out->append(kReplacement);
            ++pos_;
        } else {
            if (out) out->append(text_.substr(pos_, n));
            pos_ += n;
        }
    }
    fail("unterminated string");
    return false;
}

bool JsonCursor::string(std::string& out) {
    if (peek() != Type::string) {
        fail("expected a string");
        return false;
    }
    return scanString(&out);
}

std::string_view JsonCursor::number() {
    if (peek() != Type::number) {
        fail("expected a number");
        return {};
    }
    size_t start = pos_;
    while (pos_ < text_.size() && inNumber(text_[pos_])) ++pos_;
    return text_.substr(start, pos_ - start);
}

bool JsonCursor::literal(std::string_view word) {
    if (text_.substr(pos_, word.size()) != word) {
        fail("bad literal");
        return false;
    }
    pos_ += word.size();
    return true;
}

bool JsonCursor::boolean(bool& out) {
    if (peek() != Type::boolean) {
        fail("expected true or false");
        return false;
    }
    out = text_[pos_] == 't';
    return literal(out ? "true" : "false");
}

bool JsonCursor::null() {
    if (peek() != Type::null) {
        fail("expected null");
        return false;
    }
    return literal("null");
}

void JsonCursor::skip() {
    switch (peek()) {
    case Type::object: {
        if (!enterObject()) return;
        std::string_view key;
        while (nextKey(key)) skip();
        return;
    }
    case Type::array:
        if (!enterArray()) return;
        while (nextElement()) skip();
        return;
    case Type::string:
        scanString(nullptr);
        return;
    case Type::number:
        number();
        return;
    case Type::boolean: {
        bool b;
        boolean(b);
        return;
    }
    case Type::null:
        null();
        return;
    case Type::none:
        fail(pos_ >= text_.size() ? "unexpected end" : "expected a value");
        return;
    }
}

bool JsonCursor::atEnd() {
    if (failed_) return false;
    space();
    return pos_ == text_.size();
}

}  // namespace nolby
