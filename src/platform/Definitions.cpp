#include "platform/Definitions.h"

#include "platform/Defaults.h"

namespace nolby {

namespace {

bool unreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

std::string percentEncoded(std::string_view text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (unreserved(c)) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('%');
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 15]);
        }
    }
    return out;
}

}  // namespace

std::string DictionaryPage::address(std::string_view pattern, std::string_view phrase) {
    const std::string encoded = percentEncoded(phrase);
    const size_t at = pattern.find("{}");
    if (at == std::string_view::npos) return std::string(pattern) + encoded;
    return std::string(pattern.substr(0, at)) + encoded + std::string(pattern.substr(at + 2));
}

void DictionaryPage::show(const std::string& phrase, Point, double) {
    if (phrase.empty() || !open_) return;
    std::string pattern(defaultAddress);
    if (defaults_)
        if (std::optional<std::string> chosen = defaults_->string(addressKey); chosen && !chosen->empty())
            pattern = *chosen;
    open_(address(pattern, phrase));
}

}  // namespace nolby
