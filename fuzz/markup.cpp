// Arbitrary bytes through the markup reader: italics, spans and tokens must never crash,
// must hand on valid UTF-8 and must keep their shape (no empty words, bare line breaks).
#include "ink/Hand.h"
#include "platform/Unicode.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using nolby::Hand;

namespace {

void require(bool ok) {
    if (!ok) std::abort();
}

bool validUtf8(const std::string& s) { return nolby::unicode::toUtf8(nolby::unicode::toUtf32(s)) == s; }

void check(const std::vector<Hand::Span>& spans, const std::vector<Hand::Tok>& toks) {
    for (const Hand::Span& s : spans) require(!s.text.empty() && validUtf8(s.text) && !(s.math && s.code));
    for (const Hand::Tok& t : toks) {
        require(std::isfinite(t.w) && std::isfinite(t.a) && std::isfinite(t.d) && std::isfinite(t.lead) &&
                std::isfinite(t.trail));
        if (t.newline) {
            Hand::Tok bare;
            bare.newline = true;
            require(t == bare);
        } else {
            require(!t.text.empty() && validUtf8(t.text));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string prepared = Hand::prepare(text);
    require(validUtf8(prepared));
    std::vector<Hand::Span> spans = Hand::spans(prepared);
    check(spans, Hand::tokens(spans));
    // The reader must also stand raw text that skipped the preparation.
    std::vector<Hand::Span> raw = Hand::spans(text);
    check(raw, Hand::tokens(raw));
    return 0;
}
