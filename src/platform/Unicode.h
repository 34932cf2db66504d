#pragma once
// The little Unicode the layouts need, over ICU: user-perceived characters (grapheme
// clusters), character classes and lower-casing. Text is UTF-8 everywhere.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nolby::unicode {

// Decodes UTF-8; malformed bytes become U+FFFD one byte at a time.
std::u32string toUtf32(std::string_view s);
std::string toUtf8(std::u32string_view s);
void appendUtf8(std::string& out, char32_t c);

// The text split into grapheme clusters ("\r\n" and "e" + combining accent are one each).
std::vector<std::string> graphemes(std::string_view s);
// Byte offsets where each grapheme cluster starts, plus s.size() at the end.
std::vector<size_t> graphemeBounds(std::string_view s);
size_t graphemeCount(std::string_view s);
// The first `count` grapheme clusters of the text (all of it when it has no more).
std::string prefix(std::string_view s, size_t count);

bool isLetter(char32_t c);
bool isDigit(char32_t c);       // decimal digits of any script
bool isNumber(char32_t c);      // any numeric character: digits, fractions, numerals
bool isWhitespace(char32_t c);  // spaces, tabs and line breaks
bool isPunctuation(char32_t c);
// Default-ignorable characters (joiners, variation selectors) that no font needs to draw.
bool isIgnorable(char32_t c);
// Whether the text holds nothing but whitespace (or nothing at all).
bool isBlank(std::string_view s);

// Full Unicode lower-casing, independent of the locale.
std::string lowercased(std::string_view s);
// Full Unicode upper-casing ("ß" becomes "SS"), independent of the locale.
std::string uppercased(std::string_view s);

}  // namespace nolby::unicode
