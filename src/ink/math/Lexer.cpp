#include "ink/math/Lexer.h"

#include "platform/Unicode.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

namespace nolby::math {

namespace {

// A character's class is that of its first scalar ("\r\n" is whitespace, a letter with
// accents is a letter).
char32_t firstScalar(const std::string& cluster) {
    std::u32string u = unicode::toUtf32(std::string_view(cluster).substr(0, 4));
    return u.empty() ? 0 : u.front();
}

// Cuts at most kMaxBytes, never inside a UTF-8 sequence (that would add a malformed byte).
std::string_view bounded(std::string_view text) {
    if (text.size() <= Lexer::kMaxBytes) return text;
    size_t cut = Lexer::kMaxBytes;
    for (int back = 0; back < 3 && cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80; ++back) --cut;
    return text.substr(0, cut);
}

bool isAscii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

}  // namespace

Lexer::Lexer(std::string_view text) : s(unicode::graphemes(bounded(text))) {
    if (s.size() > kMaxChars) s.resize(kMaxChars);
}

bool Lexer::isSpaceAt(size_t k) const { return k < s.size() && unicode::isWhitespace(firstScalar(s[k])); }

// Letters in the wide sense (the Alphabetic property), so a command name may hold any
// script's letters and the marks that belong to them.
bool Lexer::isLetterAt(size_t k) const {
    return k < s.size() && u_hasBinaryProperty(static_cast<UChar32>(firstScalar(s[k])), UCHAR_ALPHABETIC);
}

bool Lexer::isAsciiDigitAt(size_t k) const { return k < s.size() && s[k].size() == 1 && s[k][0] >= '0' && s[k][0] <= '9'; }

void Lexer::skipSpace() {
    while (isSpaceAt(i)) ++i;
}

size_t Lexer::tokenEnd() const {
    if (atEnd()) return i;
    if (s[i] != "\\" || i + 1 >= s.size()) return i + 1;
    if (!isLetterAt(i + 1)) return i + 2;
    size_t k = i + 1;
    while (isLetterAt(k)) ++k;
    return k;
}

std::string Lexer::tok() const {
    std::string out;
    for (size_t k = i, end = tokenEnd(); k < end; ++k) out += s[k];
    return out;
}

std::string Lexer::take() {
    std::string out = tok();
    i = tokenEnd();
    return out;
}

std::string Lexer::raw() {
    skipSpace();
    if (atEnd()) return {};
    if (s[i] != "{") return take();
    std::string out;
    int level = 1;
    for (++i; i < s.size(); ++i) {
        if (s[i] == "{") ++level;
        else if (s[i] == "}" && --level == 0) {
            ++i;
            return out;
        }
        out += s[i];
    }
    return out;  // never closed: the rest of the text
}

std::string Lexer::digits() {
    std::string out;
    while (isAsciiDigitAt(i) || (i < s.size() && s[i] == "." && isAsciiDigitAt(i + 1))) out += s[i++];
    return out;
}

std::string Lexer::canonical(std::string_view token) {
    if (isAscii(token)) return std::string(token);
    UErrorCode err = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(err);
    if (U_FAILURE(err) || !nfc) return std::string(token);
    icu::UnicodeString u = icu::UnicodeString::fromUTF8(icu::StringPiece(token.data(), static_cast<int32_t>(token.size())));
    icu::UnicodeString n = nfc->normalize(u, err);
    if (U_FAILURE(err)) return std::string(token);
    std::string out;
    n.toUTF8String(out);
    return out;
}

}  // namespace nolby::math
