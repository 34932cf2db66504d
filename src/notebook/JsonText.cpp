#include "notebook/JsonText.h"

#include <charconv>
#include <cmath>

namespace nolby {

void JsonText::separate() {
    if (needComma_) out_.push_back(',');
    needComma_ = false;
}

void JsonText::beginObject() { separate(); out_.push_back('{'); }
void JsonText::endObject() { out_.push_back('}'); needComma_ = true; }
void JsonText::beginArray() { separate(); out_.push_back('['); }
void JsonText::endArray() { out_.push_back(']'); needComma_ = true; }

void JsonText::key(std::string_view k) {
    string(k);
    out_.push_back(':');
    needComma_ = false;
}

size_t utf8SequenceLength(std::string_view s, size_t i) {
    auto at = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    auto cont = [&](size_t k) { return k < s.size() && (at(k) & 0xC0) == 0x80; };
    unsigned char c = at(i);
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) return cont(i + 1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        if (!cont(i + 1) || !cont(i + 2)) return 0;
        unsigned char c1 = at(i + 1);
        if (c == 0xE0 && c1 < 0xA0) return 0;   // overlong
        if (c == 0xED && c1 >= 0xA0) return 0;  // surrogate
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (!cont(i + 1) || !cont(i + 2) || !cont(i + 3)) return 0;
        unsigned char c1 = at(i + 1);
        if (c == 0xF0 && c1 < 0x90) return 0;
        if (c == 0xF4 && c1 >= 0x90) return 0;
        return 4;
    }
    return 0;
}

namespace {

void escapeControl(std::string& out, unsigned char c) {
    static constexpr char hex[] = "0123456789abcdef";
    switch (c) {
    case '\b': out += "\\b"; return;
    case '\f': out += "\\f"; return;
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    default: break;
    }
    out += "\\u00";
    out.push_back(hex[c >> 4]);
    out.push_back(hex[c & 0x0F]);
}

template <class T>
void appendChars(std::string& out, T v) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, res.ptr);
}

}  // namespace

void JsonText::string(std::string_view s) {
    separate();
    out_.push_back('"');
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c == '"') out_ += "\\\"";
        else if (c == '\\') out_ += "\\\\";
        else if (c == '/') out_ += "\\/";
        else if (c < 0x20) escapeControl(out_, c);
        if (c == '"' || c == '\\' || c == '/' || c < 0x20) { ++i; continue; }
        size_t n = utf8SequenceLength(s, i);
        if (n == 0) {
            out_ += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        out_.append(s.substr(i, n));
        i += n;
    }
    out_.push_back('"');
    needComma_ = true;
}

void JsonText::number(double v) {
    separate();
    if (!std::isfinite(v) || v == 0) v = 0;  // folds -0 and any stray non-finite value into 0
    appendChars(out_, v);
    needComma_ = true;
}

void JsonText::number(float v) {
    separate();
    if (!std::isfinite(v) || v == 0) v = 0;
    appendChars(out_, v);
    needComma_ = true;
}

void JsonText::integer(int64_t v) { separate(); appendChars(out_, v); needComma_ = true; }
void JsonText::unsignedInteger(uint64_t v) { separate(); appendChars(out_, v); needComma_ = true; }
void JsonText::boolean(bool v) { separate(); out_ += v ? "true" : "false"; needComma_ = true; }

}  // namespace nolby
